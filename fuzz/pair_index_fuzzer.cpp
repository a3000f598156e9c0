// A pair index of arbitrary bytes, opened and read as searches read it: every
// pair of its table looked up, and each list found walked, surveyed and mapped.
// The file is taken to serve the index set its header names, so that the
// checks past that one are reached.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/common/little_endian.h"
#include "core/search/pair_index.h"
#include "core/search/posting_cursor.h"

namespace {

using namespace quillwen;

const std::filesystem::path& File() {
  static const std::filesystem::path file = [] {
    std::string name = (std::filesystem::temp_directory_path() / "quillwen-fuzz-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) abort();
    return std::filesystem::path(name) / "Index-pairs.qw";
  }();
  return file;
}

// Reads a list to its end, positions included; at most `limit` pages.
void Walk(const PairIndex& pairs, const PairList& list, const BlockDirectory* directory) {
  PostingCursor cursor;
  if (!cursor.Start(pairs.Source(), list.block, list.lastPage, directory, list.offset)) return;
  for (int pages = 0; pages < 100000; ++pages) {
    while (cursor.PositionBytesLeft() > 0 && cursor.NextPosition()) {
    }
    if (cursor.Damaged() || cursor.AtLastPage() || !cursor.NextPage()) return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream out(File(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  ServedIndex served;
  if (size >= 40) {
    served = {LoadLE64(data + 16), LoadLE64(data + 24), LoadLE64(data + 32)};
  }
  PairIndex pairs;
  if (!pairs.Open(File(), served)) return 0;
  const uint32_t count = std::min<uint32_t>(pairs.PairCount(), 64);
  for (uint32_t entry = 0; entry < count; ++entry) {
    const size_t at = kPairIndexTableOffset + size_t{entry} * kPairEntrySize;
    const uint32_t first = LoadLE32(data + at);
    const uint32_t second = LoadLE32(data + at + 4);
    (void)pairs.Covers(first);
    const std::optional<PairList> list = pairs.Find(first, second);
    if (!list) continue;
    Walk(pairs, *list, nullptr);
    const auto directory = pairs.Directories().Get(list->entry, pairs.Source(), list->block,
                                                   list->lastPage, list->offset);
    Walk(pairs, *list, directory.get());
    if (directory->pageMap) {
      PostingCursor cursor;
      if (cursor.Start(pairs.Source(), list->block, list->lastPage, directory.get(),
                       list->offset)) {
        (void)cursor.SkipTo(list->lastPage);
      }
    }
  }
  // A lookup of a pair the table may not hold, past every stretch.
  (void)pairs.Find(kIdentifierCount - 1, kIdentifierCount - 1);
  return 0;
}
