#include "bench/compare/xapian_index.h"

#include <xapian.h>

#include <algorithm>
#include <system_error>

#include "bench/compare/indexed_text.h"
#include "core/encoding/codeconverter.h"
#include "core/search/code_points.h"
#include "core/search/query.h"

namespace quillwen::bench {
namespace {

// The ideographs Xapian's n-gram tokenizer takes one by one. Its CJK blocks
// hold every ideograph the index knows; of those it takes the ones its
// character tables call word characters, and would skip the others (the
// hexagram symbols among the ideographs, code points its tables do not know)
// without a position, so they are given their terms by hand.
bool Ngrammed(char32_t c) { return IsIdeograph(c) && Xapian::Unicode::is_wordchar(c); }

std::string Utf8Of(char32_t c) {
  std::string out;
  Xapian::Unicode::append_utf8(out, c);
  return out;
}

// Adds the terms of one page to `document`. Xapian's positions are ours plus
// one (it counts from 1). False when the tokenizer did not give each
// character of a run one position, which would shift every phrase after it.
bool IndexPage(const std::u32string& positioned, Xapian::TermGenerator& generator,
               Xapian::Document& document) {
  generator.set_document(document);
  uint32_t position = 0;  // our index's position of the character at hand
  std::string run;
  uint32_t runStart = 0, runLength = 0;
  const auto endRun = [&] {
    if (runLength == 0) return true;
    generator.set_termpos(runStart);
    generator.index_text(run);
    const bool aligned = generator.get_termpos() == runStart + runLength;
    run.clear();
    runLength = 0;
    return aligned;
  };
  for (const char32_t c : positioned) {
    if (c == kBlockBorder) {
      if (!endRun()) return false;
      position += kUnusedPositionsBetweenBlocks;
      continue;
    }
    if (Ngrammed(c)) {
      if (runLength++ == 0) runStart = position;
      Xapian::Unicode::append_utf8(run, c);
    } else {
      if (!endRun()) return false;
      if (IsIdeograph(c)) document.add_posting(Utf8Of(c), position + 1);
    }
    ++position;
  }
  return endRun();
}

// The query of one phrase of ideographs, or nullopt when the term holds
// another character.
std::optional<Xapian::Query> PhraseQuery(std::u16string_view term) {
  const std::u32string characters = ToCodePoints(term);
  if (characters.empty() || !std::all_of(characters.begin(), characters.end(), IsIdeograph))
    return std::nullopt;
  if (characters.size() == 1) return Xapian::Query(Utf8Of(characters.front()));
  std::vector<Xapian::Query> parts;
  std::vector<std::string> singles;
  for (size_t i = 0; i < characters.size(); ++i) {
    singles.push_back(Utf8Of(characters[i]));
    if (i > 0 && Ngrammed(characters[i - 1]) && Ngrammed(characters[i]))
      parts.emplace_back(singles[i - 1] + singles[i]);
  }
  // A pair's term stands exactly where its two ideographs stand side by side
  // in one block: nothing is left for the positions to check.
  if (characters.size() == 2 && parts.size() == 1) return parts.front();
  parts.emplace_back(Xapian::Query::OP_PHRASE, singles.begin(), singles.end(),
                     static_cast<Xapian::termcount>(singles.size()));
  return Xapian::Query(Xapian::Query::OP_AND, parts.begin(), parts.end());
}

}  // namespace

XapianIndex::XapianIndex() = default;
XapianIndex::~XapianIndex() = default;

bool XapianIndex::OpenOrBuild(const std::filesystem::path& file,
                              const std::vector<std::u32string>& pages, std::string& error) {
  db_.reset();
  std::error_code failed;
  std::filesystem::path partial = file, compacted = file;
  partial += ".part";
  compacted += ".compacting";
  try {
    if (!std::filesystem::exists(file)) {
      std::filesystem::create_directories(file.parent_path(), failed);
      std::filesystem::remove_all(partial, failed);
      std::filesystem::remove(compacted, failed);
      {
        Xapian::WritableDatabase db(partial.string(),
                                    Xapian::DB_CREATE_OR_OVERWRITE | Xapian::DB_BACKEND_GLASS);
        Xapian::TermGenerator generator;
        generator.set_flags(Xapian::TermGenerator::FLAG_CJK_NGRAM);
        for (size_t page = 0; page < pages.size(); ++page) {
          Xapian::Document document;
          if (!IndexPage(pages[page], generator, document)) {
            error = "page " + std::to_string(page) +
                    ": Xapian's tokenizer gave a run of ideographs other positions than ours";
            return false;
          }
          if (db.add_document(document) != page + 1) {
            error = partial.string() + ": documents are not numbered by page";
            return false;
          }
        }
        db.commit();
      }
      // The counterpart of FTS5's 'optimize': the lists in one file, each in
      // one piece.
      Xapian::Database(partial.string()).compact(compacted.string(), Xapian::DBCOMPACT_SINGLE_FILE);
      std::filesystem::remove_all(partial, failed);
      std::filesystem::rename(compacted, file, failed);
      if (failed) {
        error = file.string() + ": " + failed.message();
        return false;
      }
    }
    db_ = std::make_unique<Xapian::Database>(file.string());
  } catch (const Xapian::Error& thrown) {
    error = thrown.get_description();
    return false;
  }
  return true;
}

bool XapianIndex::Pages(const std::vector<std::u16string>& terms, bool all,
                        std::vector<uint32_t>& pages, std::string& error) {
  pages.clear();
  if (!db_) {
    error = "the Xapian database is not open";
    return false;
  }
  std::vector<Xapian::Query> parts;
  for (const std::u16string& term : terms) {
    std::optional<Xapian::Query> part = PhraseQuery(term);
    if (!part) {
      error = "the Xapian peer answers phrases of ideographs only, not " + ToUtf8(term);
      return false;
    }
    parts.push_back(std::move(*part));
  }
  try {
    Xapian::Enquire enquire(*db_);
    enquire.set_query(Xapian::Query(all ? Xapian::Query::OP_AND : Xapian::Query::OP_OR,
                                    parts.begin(), parts.end()));
    // Only which pages match is compared, as with the other engines.
    enquire.set_weighting_scheme(Xapian::BoolWeight());
    const Xapian::MSet matches = enquire.get_mset(0, db_->get_doccount());
    pages.reserve(matches.size());
    for (auto match = matches.begin(); match != matches.end(); ++match)
      pages.push_back(static_cast<uint32_t>(*match - 1));
  } catch (const Xapian::Error& thrown) {
    error = thrown.get_description();
    return false;
  }
  std::sort(pages.begin(), pages.end());
  return true;
}

}  // namespace quillwen::bench
