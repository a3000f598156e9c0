#include "core/store/filelist.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/common/little_endian.h"
#include "core/store/page_number.h"

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

// FindPage reads the table in chunks instead of one name per read call, starting
// small (the page sought is usually a few entries on) and doubling up to the
// largest chunk; nothing is kept once it returns.
constexpr size_t kFirstScanChunkBytes = 8 * 1024;
constexpr size_t kLargestScanChunkBytes = 256 * 1024;

}  // namespace

CFileList::~CFileList() { Close(); }

bool CFileList::Fail(std::string message) const {
  lastError_ = std::move(message);
  return false;
}

bool CFileList::Open(const std::filesystem::path& folder, std::u16string_view baseName) {
  Close();
  if (!pageTable_.Open(StorePath(folder, baseName, kPageTableSuffix))) {
    return Fail(pageTable_.LastError());
  }
  if (!content_.Open(StorePath(folder, baseName, kContentSuffix))) {
    const std::string error = content_.LastError();
    Close();
    return Fail(error);
  }
  std::array<char, kPageTableHeaderSize> header;
  if (!pageTable_.ReadExactly(0, header)) {
    const std::string error = pageTable_.LastError();
    Close();
    return Fail(error);
  }
  const uint32_t nameSize = LoadLE32(header.data() + 4);
  if (nameSize < 1 || nameSize > kMaxNameSize) {
    Close();
    return Fail("page table: name size " + std::to_string(nameSize) + " lies outside 1 to 260");
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

bool CFileList::ReadEntry(uint32_t entryIndex, PageEntry* entry) const {
  if (!open_) return Fail("the volume store is not open");
  std::vector<char> bytes(EntrySize());
  if (!pageTable_.ReadExactly(EntryOffset(entryIndex), bytes)) {
    return Fail("page entry " + std::to_string(entryIndex) + " lies beyond the page table");
  }
  entry->name = NameField(bytes.data(), nameSize_);
  entry->endOffset = LoadLE32(bytes.data() + nameSize_);
  entry->length = LoadLE32(bytes.data() + nameSize_ + 4);
  return true;
}

bool CFileList::PageLength(uint32_t entryIndex, uint32_t* length) const {
  if (!open_) return Fail("the volume store is not open");
  std::array<char, 4> field;
  if (!pageTable_.ReadExactly(EntryOffset(entryIndex) + nameSize_ + 4, field)) {
    return Fail("page entry " + std::to_string(entryIndex) + " lies beyond the page table");
  }
  *length = LoadLE32(field.data());
  return true;
}

bool CFileList::ReadPage(uint32_t entryIndex, std::span<char> buffer) const {
  PageEntry entry;
  if (!ReadEntry(entryIndex, &entry)) return false;
  if (buffer.size() < entry.length) return Fail("the buffer is smaller than the page");
  if (entry.length > entry.endOffset) {
    return Fail("page entry " + std::to_string(entryIndex) + " starts before the content file");
  }
  if (!content_.ReadExactly(entry.endOffset - entry.length, buffer.first(entry.length))) {
    return Fail("page entry " + std::to_string(entryIndex) + " points past the content file");
  }
  Unscramble(buffer.data(), entry.length);
  return true;
}

bool CFileList::ReadPage(uint32_t entryIndex, std::string& page) const {
  page.clear();
  uint32_t length = 0;
  if (!PageLength(entryIndex, &length)) return false;
  // The length comes from the table; only trust it as far as the content file reaches.
  const std::optional<uint64_t> contentSize = content_.Size();
  if (!contentSize || length > *contentSize) {
    return Fail("page entry " + std::to_string(entryIndex) + " points past the content file");
  }
  page.resize(length);
  if (!ReadPage(entryIndex, std::span<char>(page))) {
    page.clear();
    return false;
  }
  return true;
}

bool CFileList::FindPage(int32_t start, int32_t pageNumber, int32_t* outIndex) const {
  if (!open_) return Fail("the volume store is not open");
  if (start < 0) return Fail("a page scan cannot start before the first entry");
  const std::optional<uint64_t> tableLength = pageTable_.Size();
  if (!tableLength) return Fail(pageTable_.LastError());

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
      return Fail(got < 0 ? pageTable_.LastError() : "the page table shrank during a scan");
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
