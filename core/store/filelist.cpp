#include "core/store/filelist.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/common/little_endian.h"
#include "core/store/page_number.h"
#include "core/store/page_parser.h"

namespace quillwen {
namespace {

std::string_view NameField(const char* field, size_t size) {
  const char* nul = std::find(field, field + size, '\0');
  return std::string_view(field, static_cast<size_t>(nul - field));
}

std::filesystem::path StorePath(const std::filesystem::path& folder, std::u16string_view baseName,
                                const char* suffix) {
  std::filesystem::path name{std::u16string(baseName)};
  name += suffix;
  return folder / name;
}

std::string TooShortForItsHeader(uint64_t tableSize) {
  return std::to_string(tableSize) + " bytes, too short for its " +
         std::to_string(kPageTableHeaderSize) + "-byte header";
}

// FindPage reads the table in chunks instead of one name per read call, starting
// small (the page sought is usually a few entries on) and doubling up to the
// largest chunk; nothing is kept once it returns.
constexpr size_t kFirstScanChunkBytes = 8 * 1024;
constexpr size_t kLargestScanChunkBytes = 256 * 1024;

}  // namespace

CFileList::~CFileList() { Close(); }

bool CFileList::Fail(const std::filesystem::path& file, std::string problem) const {
  lastFault_ = {file, std::move(problem)};
  return false;
}

bool CFileList::Fail(const DataFault& fault) const {
  lastFault_ = fault;
  return false;
}

bool CFileList::Open(const std::filesystem::path& folder, std::u16string_view baseName) {
  Close();
  tablePath_ = StorePath(folder, baseName, kPageTableSuffix);
  contentPath_ = StorePath(folder, baseName, kContentSuffix);
  if (!pageTable_.Open(tablePath_)) return Fail(pageTable_.LastFault());
  if (!content_.Open(contentPath_)) {
    const DataFault fault = content_.LastFault();
    Close();
    return Fail(fault);
  }
  std::array<char, kPageTableHeaderSize> header;
  if (!pageTable_.ReadExactly(0, header)) {
    const std::optional<uint64_t> size = pageTable_.Size();
    const DataFault fault = !size        ? pageTable_.LastFault()
                            : *size == 0 ? DataFault{tablePath_, "empty"}
                                         : DataFault{tablePath_, TooShortForItsHeader(*size)};
    Close();
    return Fail(fault);
  }
  const uint32_t nameSize = LoadLE32(header.data() + 4);
  if (nameSize < 1 || nameSize > kMaxNameSize) {
    Close();
    return Fail(tablePath_, "name size " + std::to_string(nameSize) + " lies outside 1 to " +
                                std::to_string(kMaxNameSize));
  }
  headerValue_ = static_cast<int32_t>(LoadLE32(header.data()));
  nameSize_ = nameSize;
  open_ = true;
  return true;
}

void CFileList::Close() {
  pageTable_.Close();
  content_.Close();
  open_ = false;
}

uint64_t CFileList::EntryOffset(uint32_t entryIndex) const {
  return kPageTableHeaderSize + uint64_t{entryIndex} * EntrySize();
}

std::optional<uint64_t> CFileList::EntryCount() const {
  if (!open_) return std::nullopt;
  const std::optional<uint64_t> tableSize = pageTable_.Size();
  if (!tableSize || *tableSize < kPageTableHeaderSize) return std::nullopt;
  return (*tableSize - kPageTableHeaderSize) / EntrySize();
}

bool CFileList::ReadEntry(uint32_t entryIndex, PageEntry* entry) const {
  if (!open_) return Fail(tablePath_, "the volume store is not open");
  std::vector<char> bytes(EntrySize());
  if (!pageTable_.ReadExactly(EntryOffset(entryIndex), bytes)) {
    return Fail(tablePath_, "page entry " + std::to_string(entryIndex) + " lies beyond the table");
  }
  entry->name = NameField(bytes.data(), nameSize_);
  entry->nameEnded = entry->name.size() < nameSize_;
  entry->endOffset = LoadLE32(bytes.data() + nameSize_);
  entry->length = LoadLE32(bytes.data() + nameSize_ + 4);
  return true;
}

bool CFileList::PageLength(uint32_t entryIndex, uint32_t* length) const {
  if (!open_) return Fail(tablePath_, "the volume store is not open");
  std::array<char, 4> field;
  if (!pageTable_.ReadExactly(EntryOffset(entryIndex) + nameSize_ + 4, field)) {
    return Fail(tablePath_, "page entry " + std::to_string(entryIndex) + " lies beyond the table");
  }
  *length = LoadLE32(field.data());
  return true;
}

bool CFileList::TableHoldsWholeEntries() const {
  const std::optional<uint64_t> tableSize = pageTable_.Size();
  if (!tableSize) return Fail(pageTable_.LastFault());
  // Open read the header, but the file may have been cut since.
  if (*tableSize < kPageTableHeaderSize) {
    return Fail(tablePath_, TooShortForItsHeader(*tableSize));
  }
  const uint64_t entryBytes = *tableSize - kPageTableHeaderSize;
  if (entryBytes % EntrySize() == 0) return true;
  return Fail(tablePath_, std::to_string(entryBytes) + " bytes of entries after the " +
                              std::to_string(kPageTableHeaderSize) +
                              "-byte header are not a whole number of " +
                              std::to_string(EntrySize()) + "-byte entries (name size " +
                              std::to_string(nameSize_) + ")");
}

bool CFileList::LocatePage(uint32_t entryIndex, PageEntry* entry) const {
  if (!ReadEntry(entryIndex, entry)) return false;
  if (!TableHoldsWholeEntries()) return false;
  const std::string name = "page entry " + std::to_string(entryIndex);
  if (!entry->nameEnded) {
    return Fail(tablePath_,
                name + " has no NUL within its " + std::to_string(nameSize_) + "-byte name");
  }
  if (entry->length > entry->endOffset) {
    return Fail(tablePath_, name + " starts before the content file");
  }
  // The length comes from the table; only trust it as far as the content file reaches.
  const std::optional<uint64_t> contentSize = content_.Size();
  if (!contentSize) return Fail(content_.LastFault());
  if (entry->endOffset > *contentSize) {
    return Fail(tablePath_, name + " points past the content file");
  }
  return true;
}

bool CFileList::ReadContent(const PageEntry& entry, std::span<char> bytes) const {
  if (!content_.ReadExactly(entry.endOffset - entry.length, bytes)) {
    return Fail(content_.LastFault());
  }
  Unscramble(bytes.data(), bytes.size());
  return true;
}

bool CFileList::ReadPage(uint32_t entryIndex, std::span<char> buffer) const {
  PageEntry entry;
  if (!LocatePage(entryIndex, &entry)) return false;
  if (buffer.size() < entry.length) return Fail(tablePath_, "the buffer is smaller than the page");
  return ReadContent(entry, buffer.first(entry.length));
}

bool CFileList::ReadPage(uint32_t entryIndex, std::string& page) const {
  page.clear();
  PageEntry entry;
  if (!LocatePage(entryIndex, &entry)) return false;
  page.resize(entry.length);
  if (!ReadContent(entry, std::span<char>(page))) {
    page.clear();
    return false;
  }
  return true;
}

bool CFileList::ReadPageToShow(uint32_t entryIndex, std::string& page) const {
  if (!ReadPage(entryIndex, page)) return false;
  if (page.empty() || LooksLikeStoredPage(page)) return true;
  page.clear();
  return Fail(tablePath_, "page entry " + std::to_string(entryIndex) +
                              " holds no HTML page with a title and two table cells: the page "
                              "table does not fit " +
                              contentPath_.filename().string());
}

bool CFileList::FindPage(int32_t start, int32_t pageNumber, int32_t* outIndex) const {
  if (!open_) return Fail(tablePath_, "the volume store is not open");
  if (start < 0) return Fail(tablePath_, "a page scan cannot start before the first entry");
  const std::optional<uint64_t> tableLength = pageTable_.Size();
  if (!tableLength) return Fail(pageTable_.LastFault());

  const uint64_t entrySize = EntrySize();
  size_t entriesPerChunk = std::max<size_t>(1, kFirstScanChunkBytes / entrySize);
  std::vector<char> chunk;
  int32_t examined = start - 1;
  uint64_t offset = EntryOffset(static_cast<uint32_t>(start));
  while (offset < *tableLength) {
    chunk.resize(entriesPerChunk * entrySize);
    if (2 * chunk.size() <= kLargestScanChunkBytes) entriesPerChunk *= 2;
    const int64_t got = pageTable_.ReadSome(offset, chunk);
    if (got <= 0) {
      *outIndex = examined;
      return got < 0 ? Fail(pageTable_.LastFault())
                     : Fail(tablePath_, "the page table shrank during a scan");
    }
    // A trailing partial entry is examined with the name bytes it has.
    for (uint64_t at = 0; at < static_cast<uint64_t>(got); at += entrySize) {
      ++examined;
      const size_t nameBytes = static_cast<size_t>(std::min<uint64_t>(nameSize_, got - at));
      const std::optional<int> number =
          PageNumberFromEntryName(NameField(chunk.data() + at, nameBytes));
      if (number && *number == pageNumber) {
        *outIndex = examined;
        return true;
      }
    }
    offset += static_cast<uint64_t>(got);
  }
  *outIndex = examined;
  return false;
}

}  // namespace quillwen
