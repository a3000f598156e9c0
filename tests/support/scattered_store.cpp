#include "tests/support/scattered_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/common/little_endian.h"
#include "core/store/volume_store_format.h"
#include "tests/support/temp_dir.h"

namespace quillwen::testing {

void ScatterVolumeStore(const std::filesystem::path& folder, uint32_t seed) {
  const std::filesystem::path tablePath =
      folder / (std::string(kCollectionBaseName) + kPageTableSuffix);
  const std::filesystem::path contentPath =
      folder / (std::string(kCollectionBaseName) + kContentSuffix);
  std::string table = ReadFileBytes(tablePath);
  const std::string content = ReadFileBytes(contentPath);
  ASSERT_GE(table.size(), kPageTableHeaderSize);
  const size_t entrySize = LoadLE32(table.data() + 4) + kPageEntryTrailerSize;
  ASSERT_EQ((table.size() - kPageTableHeaderSize) % entrySize, 0u);
  const size_t entries = (table.size() - kPageTableHeaderSize) / entrySize;
  const auto endField = [&](size_t entry) {
    return kPageTableHeaderSize + entry * entrySize + entrySize - kPageEntryTrailerSize;
  };

  std::mt19937 random(seed);
  const auto junk = [&](size_t most) {
    std::string bytes(std::uniform_int_distribution<size_t>(1, most)(random), '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    return bytes;
  };
  std::vector<size_t> order(entries);
  std::iota(order.begin(), order.end(), size_t{0});
  std::shuffle(order.begin(), order.end(), random);

  std::string scattered = junk(300);
  for (const size_t entry : order) {
    const uint32_t end = LoadLE32(table.data() + endField(entry));
    const uint32_t length = LoadLE32(table.data() + endField(entry) + 4);
    ASSERT_LE(length, end);
    ASSERT_LE(end, content.size());
    scattered.append(content, end - length, length);
    std::string newEnd;
    AppendLE32(newEnd, static_cast<uint32_t>(scattered.size()));
    table.replace(endField(entry), 4, newEnd);
    scattered += junk(100);
  }
  WriteFileBytes(contentPath, scattered);
  WriteFileBytes(tablePath, table);
}

}  // namespace quillwen::testing
