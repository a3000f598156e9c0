#pragma once

// CFileList reads the volume store: the page table and the scrambled content
// file (layout in volume_store_format.h). Nothing is cached between calls; every
// operation reads the two files afresh, and every read is checked against what
// the files hold, so a damaged table makes an operation fail rather than read
// outside a buffer. A page may lie anywhere in the content file, so a table
// that does not belong to its content file (one whose name size was changed,
// say) is told only by what holds for every valid store: the entries fill the
// table after its header exactly, a name ends within its field, a page lies
// inside the content file, and a page shown as stored is an HTML page with a
// title and two table cells.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/common/data_fault.h"
#include "core/io/read_only_file.h"
#include "core/store/hit_marker.h"
#include "core/store/page_renderer.h"
#include "core/store/volume_store_format.h"

namespace quillwen {

// One entry of the page table as stored.
struct PageEntry {
  std::string name;       // up to the NUL, or all S bytes when the field has none
  bool nameEnded = true;  // the field holds the name's NUL
  uint32_t endOffset = 0;
  uint32_t length = 0;
};

class CFileList {
 public:
  CFileList() = default;
  ~CFileList();
  CFileList(const CFileList&) = delete;
  CFileList& operator=(const CFileList&) = delete;

  // Closes the store, then opens folder/baseName + "-fl.h" and "-fl.cnt" and loads
  // the header. False when a file cannot be opened, the header is incomplete or
  // its name size lies outside 1 to 260; the store is then closed.
  bool Open(const std::filesystem::path& folder, std::u16string_view baseName);
  void Close();
  bool IsOpen() const { return open_; }

  // The headerValue of the last successful Open; 0 before any.
  int32_t HeaderValue() const { return headerValue_; }
  uint32_t NameSize() const { return nameSize_; }

  // The length of entry `entryIndex`. False when the store is closed or the entry
  // lies beyond the table.
  bool PageLength(uint32_t entryIndex, uint32_t* length) const;

  // Copies the page's bytes into `buffer`, which must hold at least its length,
  // and unscrambles them; the buffer is not NUL-terminated. False when the store is
  // closed, the entry lies beyond the table, the buffer is too small, the entry
  // points outside the content file, its name has no NUL within the name size, or
  // the table is not a whole number of entries.
  bool ReadPage(uint32_t entryIndex, std::span<char> buffer) const;

  // PageLength and ReadPage in one: `page` holds exactly the unscrambled text.
  bool ReadPage(uint32_t entryIndex, std::string& page) const;

  // ReadPage for a page that is to be shown as stored: also false, with the
  // fault, when the bytes are not an HTML page with a title and two table cells
  // (an empty page passes), since bytes from the wrong place would otherwise be
  // shown as if they were the page.
  bool ReadPageToShow(uint32_t entryIndex, std::string& page) const;

  // Scans forward from entry `start` for the first entry whose page number is
  // `pageNumber`. On success *outIndex is that entry. On failure *outIndex is the
  // last entry examined, or start - 1 when none was; it is left unchanged when the
  // store is closed or `start` is negative.
  bool FindPage(int32_t start, int32_t pageNumber, int32_t* outIndex) const;

  // Rebuilds page `entryIndex` into the result frame with every term of `query`
  // marked in the items `scope` covers; returns the number of anchors placed.
  // `output` must be empty; it stays untouched (and the result is 0) when the
  // store is closed, the page cannot be read, or the query has no terms. With
  // `anchors`, the anchors each term applied placed are added there, term by term.
  int RenderPage(uint32_t entryIndex, std::string& output, std::u16string_view query,
                 HitScope scope, std::vector<TermAnchors>* anchors = nullptr) const;
  // RenderPage with the terms given, applied in their order.
  int RenderTerms(uint32_t entryIndex, std::string& output, const MarkTerms& terms, HitScope scope,
                  std::vector<TermAnchors>* anchors = nullptr) const;

  // The number of whole entries in the page table; nothing when the store is
  // closed or the table's size cannot be told.
  std::optional<uint64_t> EntryCount() const;

  // Reads entry `entryIndex` of the page table. False when the store is closed or
  // the entry is not wholly in the table.
  bool ReadEntry(uint32_t entryIndex, PageEntry* entry) const;

  // What made the last operation fail: the file and what is wrong with it.
  const DataFault& LastFault() const { return lastFault_; }
  std::string LastError() const { return lastFault_.Text(); }
  // Forgets the last fault, so that a caller can tell whether the next operation
  // met one.
  void ForgetFault() const { lastFault_ = {}; }

 private:
  uint64_t EntryOffset(uint32_t entryIndex) const;
  uint64_t EntrySize() const { return uint64_t{nameSize_} + kPageEntryTrailerSize; }
  // False, with the fault, when the table after its header is not a whole number
  // of entries: its name size does not fit it.
  bool TableHoldsWholeEntries() const;
  // Reads entry `entryIndex` and checks that its name ends within its field and
  // its page lies whole in the content file.
  bool LocatePage(uint32_t entryIndex, PageEntry* entry) const;
  // The located page's bytes, unscrambled, into `bytes` (exactly its length).
  bool ReadContent(const PageEntry& entry, std::span<char> bytes) const;
  bool Fail(const std::filesystem::path& file, std::string problem) const;
  bool Fail(const DataFault& fault) const;

  io::ReadOnlyFile pageTable_;
  io::ReadOnlyFile content_;
  std::filesystem::path tablePath_;
  std::filesystem::path contentPath_;
  int32_t headerValue_ = 0;
  uint32_t nameSize_ = kDefaultNameSize;
  bool open_ = false;
  mutable DataFault lastFault_;
};

}  // namespace quillwen
