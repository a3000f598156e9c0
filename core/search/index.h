#pragma once

// CIndex: one open index set (layout in core/search/index_format.h) with the
// volume store it belongs to, the variant table and the result lists of the last
// query.
//
// Open reads the header tables into memory and maps the postings file read-only;
// queries read the posting lists in place. The files are not trusted: a block
// number, NextBlock entry, page or position count that does not fit the files
// ends that posting list as if it ended there (see PostingCursor), so a damaged
// set gives fewer hits, never a read outside the mapping or the tables.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/message_sink.h"
#include "core/io/mapped_file.h"
#include "core/search/directory_cache.h"
#include "core/search/index_format.h"
#include "core/search/pair_index.h"
#include "core/search/query.h"
#include "core/search/result_merge.h"
#include "core/search/term_matcher.h"
#include "core/search/variants.h"
#include "core/store/filelist.h"

namespace quillwen {

inline constexpr char16_t kIndexOpenFailedMessage[] = u"データを開けませんでした。";

class CIndex {
 public:
  // `messages` receives "データを開けませんでした。" when Open fails; it must outlive
  // the index. Without a sink the failure is only returned.
  explicit CIndex(MessageSink* messages = nullptr) : messages_(messages) {}
  ~CIndex();
  CIndex(const CIndex&) = delete;
  CIndex& operator=(const CIndex&) = delete;

  void SetMessageSink(MessageSink* messages) { messages_ = messages; }

  // Opens the index set of `scope` (folder/baseName + "", "_desc" or "_content" +
  // "-idx.h" and "-idx.m") and the volume store folder/baseName, after reading the
  // variant table of `folder` afresh (its absence is no error; one that does not
  // belong to the set is set aside). Empties the last result.
  // Whatever was open is closed first. On failure (a file missing or unreadable,
  // a header shorter than 1400000 bytes, the mapping refused, the volume store not
  // opened) shows "データを開けませんでした。", closes the index and returns false.
  bool Open(const std::filesystem::path& folder, std::u16string_view baseName, IndexScope scope);

  // Releases the tables, the mapping and the volume store; harmless when closed.
  // The result lists and the variant table stay.
  void Close();
  bool IsOpen() const { return open_; }

  // Why the last Open failed: the file and what is wrong with it.
  const DataFault& LastFault() const { return lastFault_; }
  std::string LastError() const { return lastFault_.Text(); }

  // Whether the last Open found that the variant table does not belong to the
  // index set (VariantTableFitsIndex) and set it aside: searches and result pages
  // then count variants as different characters whatever they are asked.
  bool VariantTableRefused() const { return variantTableRefused_; }
  // Whether the last Open found no variant table (missing, unreadable or without
  // a group) while the index set holds the lists of variant groups: searches then
  // count variants as different characters whatever they are asked.
  bool VariantTableMissing() const { return variantTableMissing_; }
  // What the last Open found wrong with the variant table: for a refused table,
  // the header whose list of a group does not fit it; for a missing one, why.
  const DataFault& VariantTableFault() const { return variantFault_; }
  // The postings file of the set last opened, where a damaged list lies.
  const std::filesystem::path& PostingsPath() const { return postingsPath_; }

  // The header tables, empty while closed. NextBlock holds an entry for each
  // block of the postings file at most: entries past the file's last block could
  // only name blocks that are never read.
  std::span<const uint32_t> FirstBlock() const { return firstBlock_; }
  std::span<const uint32_t> LastPage() const { return lastPage_; }
  std::span<const uint32_t> NextBlock() const { return nextBlock_; }
  // The mapped postings file.
  std::span<const unsigned char> Postings() const { return {postings_.Data(), postings_.Size()}; }
  // The tables and postings a term matcher reads; empty while closed.
  IndexTables Tables() const;
  // For a walk through all the postings at once (the pair index's writer), not
  // for searches: the postings at [offset, offset + length) leave resident
  // memory.
  void ReleaseResidentPostings(size_t offset, size_t length) const {
    postings_.ReleaseResidentPages(offset, length);
  }

  // The pair index beside the set (B + "-pairs.qw"), opened with it when it is
  // there and belongs to it. Searches read its lists where they can and find the
  // same pages as without it; a collection without one searches as before.
  const PairIndex& Pairs() const { return pairs_; }
  // Whether searches read the pair index: it is open, wanted, and no list of it
  // has been found damaged since the set was opened.
  bool UsesPairIndex() const {
    return pairsWanted_ && pairs_.IsOpen() && !pairs_.Damaged() &&
           !pairsDamaged_.load(std::memory_order_relaxed);
  }
  // Why the pair index is not used though it is there: the last Open set it
  // aside, or a search found its table damaged (a damaged list is told by the
  // search's result alone). Empty when it is missing or in use.
  DataFault PairIndexFault() const { return pairs_.Absent() ? DataFault{} : pairs_.Fault(); }
  // Searches leave the pair index unread while `wanted` is false: for measuring
  // it, and for comparing its results with the character lists' own.
  void WantPairIndex(bool wanted) { pairsWanted_ = wanted; }

  // Evaluates `query` on the open set, its terms in order ("and": the first
  // replaces the result, later ones intersect; "or": every term is added by
  // union), with every character standing for its variant group when
  // `useVariants`. Reads only the tables and the mapping: several searches may run
  // at once while nobody opens or closes the index. A closed index finds nothing.
  // `recycled`, a result no longer wanted, lends the new one its memory: a caller
  // that keeps its last result passes it in, so that neither freeing it nor
  // fresh memory for the next one costs the next search.
  SearchResult Search(const Query& query, SearchMethod method, bool useVariants,
                      SearchResult recycled = {}) const;

  // The design's interface over Search: the result of the last query, kept here.
  const std::vector<uint32_t>& pages() const { return last_.pages; }
  const std::vector<uint32_t>& placeCounts() const { return last_.placeCounts; }
  int32_t resultCount() const { return last_.resultCount(); }
  // Whether the last query met a damaged posting list.
  bool DamagedList() const { return last_.damagedList; }
  // The posting-list bytes the last query walked through (skipped bytes included).
  uint64_t PostingBytesRead() const { return last_.postingBytes; }

  // SearchAnd and SearchOr search `query` into the last result and then write each
  // U+0020 of the caller's buffer as U+3000 (Query::markText). A query CountTerms
  // rejects changes nothing, the buffer included. They return resultCount.
  int SearchAnd(std::u16string& query, bool useVariants);
  int SearchOr(std::u16string& query, bool useVariants);
  // Evaluates one term and merges its pages into the last result. Returns
  // resultCount, or 0 when the term has no cursors (no looked-up character, one
  // without a posting list, longer than 299 units once normalised, or a closed
  // index); the result is then emptied, except by MergeUnion.
  int EvaluateTerm(std::u16string_view term, MergeMode mode, bool useVariants);

  // The variant table, read by every Open.
  bool LoadVariants(const std::filesystem::path& folder) { return variants_.LoadVariants(folder); }
  std::optional<uint32_t> FindVariantGroup(char32_t codePoint) const {
    return variants_.FindVariantGroup(codePoint);
  }
  std::vector<std::u16string> ExpandVariants(std::u16string_view keyword) const {
    return variants_.ExpandVariants(keyword);
  }
  // ExpandVariants(keyword) joined with single U+0020: the text whose terms mark a
  // result page's hits in every variant spelling.
  std::u16string VariantSpellings(std::u16string_view keyword) const {
    return variants_.JoinedSpellings(keyword);
  }
  const VariantTable& Variants() const { return variants_; }

  // Renders page entry `page` with every hit of `keyword` marked in the items
  // `target` covers; with `useVariants`, in every variant spelling of the keyword.
  // Returns the number of anchors placed (0, `output` untouched, when nothing
  // could be rendered).
  // With `anchors`, the anchors each term placed (see CFileList::RenderPage).
  int RenderWithVariants(uint32_t page, std::string& output, std::u16string_view keyword,
                         HitScope target, bool useVariants,
                         std::vector<TermAnchors>* anchors = nullptr) const {
    if (!useVariants) return fileList_.RenderPage(page, output, keyword, target, anchors);
    MarkTerms terms;
    variants_.ForEachTermSpelling(keyword,
                                  [&](std::u16string_view spelling) { terms.AddQuery(spelling); });
    return fileList_.RenderTerms(page, output, terms, target, anchors);
  }

  // The volume store, opened and closed with the index set.
  bool PageLength(uint32_t entryIndex, uint32_t* length) const {
    return fileList_.PageLength(entryIndex, length);
  }
  bool ReadPage(uint32_t entryIndex, std::span<char> buffer) const {
    return fileList_.ReadPage(entryIndex, buffer);
  }
  bool ReadPage(uint32_t entryIndex, std::string& page) const {
    return fileList_.ReadPage(entryIndex, page);
  }
  bool ReadPageToShow(uint32_t entryIndex, std::string& page) const {
    return fileList_.ReadPageToShow(entryIndex, page);
  }
  bool FindPage(int32_t start, int32_t pageNumber, int32_t* outIndex) const {
    return fileList_.FindPage(start, pageNumber, outIndex);
  }
  int32_t HeaderValue() const { return fileList_.HeaderValue(); }
  CFileList& FileList() { return fileList_; }
  const CFileList& FileList() const { return fileList_; }

 private:
  bool FailOpen(DataFault fault);
  void OpenPairIndex(const std::filesystem::path& base);
  // The plan of a normalised term, with pair lists where the pair index has them
  // and `withPairs`; without, noted in `result`, when its table turns out
  // damaged.
  TermPlan Plan(std::u16string_view normalisedTerm, bool useVariants, bool withPairs,
                SearchResult& result) const;
  // MatchTerm of `plan` (or MatchTermOn `candidates`, when given), matched again
  // without pair lists when one of them turns out damaged (noted in `result`).
  TermMatch MatchWithPairs(std::u16string_view normalisedTerm, const TermPlan& plan,
                           bool useVariants, const IndexTables& tables,
                           const std::vector<uint32_t>* candidates, TermMatch recycled,
                           SearchResult& result) const;
  bool LoadHeader(const std::filesystem::path& headerPath);
  int SearchInto(std::u16string& query, SearchMethod method, bool useVariants);
  // Merges the matches of one normalised term into `result`; false when the term
  // has no cursors.
  bool MergeTerm(std::u16string_view normalisedTerm, MergeMode mode, bool useVariants,
                 SearchResult& result) const;
  // "and" of several terms, the term that can match the fewest pages first, each
  // later one looked for only on the pages still in the result (empty on entry).
  void SearchEveryTerm(const Query& query, bool useVariants, SearchResult& result) const;

  MessageSink* messages_ = nullptr;
  CFileList fileList_;
  io::MappedFile postings_;
  std::vector<uint32_t> nextBlock_;
  std::vector<uint32_t> firstBlock_;
  std::vector<uint32_t> lastPage_;
  DirectoryCache directories_;  // of the open set's lists, made as queries need them
  PairIndex pairs_;
  bool pairsWanted_ = true;
  // A list of the pair index was found damaged by a search, which may run
  // beside others: every search after it goes without the file.
  mutable std::atomic<bool> pairsDamaged_ = false;
  bool open_ = false;
  SearchResult last_;
  VariantTable variants_;
  bool variantTableRefused_ = false;
  bool variantTableMissing_ = false;
  DataFault variantFault_;
  std::filesystem::path postingsPath_;
  DataFault lastFault_;
};

}  // namespace quillwen
