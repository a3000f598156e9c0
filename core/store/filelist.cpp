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
    const DataFault fault =
        !size ? pageTable_.LastFault()
        : *size == 0
            ? DataFault{tablePath_, "empty"}
            : DataFault{tablePath_, std::to_string(*size) + " bytes, too short for its " +
                                        std::to_string(kPageTableHeaderSize) + "-byte header"};
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

bool CFileList::ReadEntry(uint32_t entryIndex, PageEntry* entry) const {
  if (!open_) return Fail(tablePath_, "the volume store is not open");
  std::vector<char> bytes(EntrySize());
  if (!pageTable_.ReadExactly(EntryOffset(entryIndex), bytes)) {
    return Fail(tablePath_, "page entry " + std::to_string(entryIndex) + " lies beyond the table");
  }
  entry->name = NameField(bytes.data(), nameSize_);
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

bool CFileList::PageFitsNeighbours(uint32_t entryIndex, const PageEntry& entry) const {
  const std::string name = "page entry " + std::to_string(entryIndex);
  const uint64_t start = entry.endOffset - entry.length;  // length <= endOffset is checked
  const auto misfit = [&](std::string what) {
    return Fail(tablePath_, name + " " + what + ": the page table does not fit " +
                                contentPath_.filename().string());
  };
  if (entryIndex == 0) {
    if (start != 0) {
      return misfit("starts at byte " + std::to_string(start) +
                    ", not at the start of the content file");
    }
  } else {
    PageEntry before;
    if (!ReadEntry(entryIndex - 1, &before)) return false;
    if (before.endOffset != start) {
      return misfit("starts at byte " + std::to_string(start) + ", not where entry " +
                    std::to_string(entryIndex - 1) + " ends (" + std::to_string(before.endOffset) +
                    ")");
    }
  }
  const std::optional<uint64_t> tableSize = pageTable_.Size();
  if (!tableSize) return Fail(pageTable_.LastFault());
  const uint64_t nextOffset = EntryOffset(entryIndex) + EntrySize();
  if (nextOffset == *tableSize) {
    const std::optional<uint64_t> contentSize = content_.Size();
    if (!contentSize) return Fail(content_.LastFault());
    if (entry.endOffset != *contentSize) {
      return misfit("is the last and ends at byte " + std::to_string(entry.endOffset) +
                    ", not where the content file ends (" + std::to_string(*contentSize) + ")");
    }
    return true;
  }
  // A cut-off entry after this one says nothing about where this page ends.
  if (nextOffset + EntrySize() > *tableSize) return true;
  PageEntry after;
  if (!ReadEntry(entryIndex + 1, &after)) return false;
  if (after.length > after.endOffset || after.endOffset - after.length != entry.endOffset) {
    return misfit("ends at byte " + std::to_string(entry.endOffset) + ", where entry " +
                  std::to_string(entryIndex + 1) + " does not start");
  }
  return true;
}

bool CFileList::LocatePage(uint32_t entryIndex, PageEntry* entry) const {
  if (!ReadEntry(entryIndex, entry)) return false;
  if (entry->length > entry->endOffset) {
    return Fail(tablePath_,
                "page entry " + std::to_string(entryIndex) + " starts before the content file");
  }
  if (!PageFitsNeighbours(entryIndex, *entry)) return false;
  // The length comes from the table; only trust it as far as the content file reaches.
  const std::optional<uint64_t> contentSize = content_.Size();
  if (!contentSize) return Fail(content_.LastFault());
  if (entry->endOffset > *contentSize) {
    return Fail(tablePath_,
                "page entry " + std::to_string(entryIndex) + " points past the content file");
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
