#include "core/writer/index_writer.h"

#include <algorithm>
#include <numeric>
#include <random>

#include "core/common/little_endian.h"
#include "core/io/write_file.h"
#include "core/search/index_format.h"
#include "core/search/varnum.h"

namespace quillwen {
namespace {

std::string Where(uint32_t id, uint32_t page) {
  return "identifier " + std::to_string(id) + ", page " + std::to_string(page);
}

}  // namespace

void AppendVarNum(std::string& out, uint32_t value) { AppendVarNumBytes(out, value); }

IndexWriter::IndexWriter(IndexWriterOptions options)
    : options_(options), lists_(kIdentifierCount) {}

bool IndexWriter::Fail(std::string message) {
  error_ = std::move(message);
  return false;
}

bool IndexWriter::AddPage(uint32_t id, uint32_t page, std::span<const uint32_t> positions) {
  if (id >= kIdentifierCount) {
    return Fail("identifier " + std::to_string(id) + " is not below " +
                std::to_string(kIdentifierCount));
  }
  if (positions.empty())
    return Fail(Where(id, page) + ": a page entry needs at least one position");
  List& list = lists_[id];
  uint32_t pageDelta = page;
  if (list.hasPages) {
    if (page <= list.lastPage) {
      return Fail(Where(id, page) + ": pages must ascend, but page " +
                  std::to_string(list.lastPage) + " came before");
    }
    pageDelta = page - list.lastPage;
  }
  if (pageDelta > kMaxVarNum) {
    return Fail(Where(id, page) + ": the page delta " + std::to_string(pageDelta) +
                " exceeds the largest VarNum, 4194303");
  }
  uint64_t positionBytes = 0;
  for (size_t i = 0; i < positions.size(); ++i) {
    if (i > 0 && positions[i] <= positions[i - 1]) {
      return Fail(Where(id, page) + ": positions must ascend strictly, but " +
                  std::to_string(positions[i]) + " follows " + std::to_string(positions[i - 1]));
    }
    const uint32_t delta = positions[i] - (i > 0 ? positions[i - 1] : 0);
    if (delta > kMaxVarNum) {
      return Fail(Where(id, page) + ": the position delta " + std::to_string(delta) +
                  " exceeds the largest VarNum, 4194303");
    }
    positionBytes += EncodedVarNumLength(delta);
  }
  if (positionBytes > kMaxPositionBytes) {
    return Fail(Where(id, page) + ": its " + std::to_string(positions.size()) + " positions take " +
                std::to_string(positionBytes) + " bytes; a page entry holds at most 65535");
  }
  AppendVarNumBytes(list.bytes, pageDelta);
  AppendLE16(list.bytes, static_cast<uint16_t>(positionBytes));
  for (size_t i = 0; i < positions.size(); ++i) {
    AppendVarNumBytes(list.bytes, positions[i] - (i > 0 ? positions[i - 1] : 0));
  }
  list.lastPage = page;
  list.hasPages = true;
  return true;
}

bool IndexWriter::Write(const std::filesystem::path& folder, std::string_view baseName) {
  // The blocks of every list, in list order.
  struct BlockSource {
    uint32_t id;
    uint32_t chunk;
  };
  std::vector<BlockSource> listOrder;
  for (uint32_t id = 0; id < kIdentifierCount; ++id) {
    const uint64_t chunks = (lists_[id].bytes.size() + kBlockSize - 1) / kBlockSize;
    if (listOrder.size() + chunks >= kNoBlock) {
      return Fail("the postings need more than 4294967294 blocks");
    }
    for (uint32_t chunk = 0; chunk < chunks; ++chunk) listOrder.push_back({id, chunk});
  }
  // blockOf[j]: the file block that holds the j-th block in list order.
  std::vector<uint32_t> blockOf(listOrder.size());
  std::iota(blockOf.begin(), blockOf.end(), 0u);
  if (options_.shuffleSeed != 0) {
    std::mt19937 random(options_.shuffleSeed);
    std::shuffle(blockOf.begin(), blockOf.end(), random);
  }

  std::vector<uint32_t> firstBlock(kIdentifierCount, kNoBlock);
  std::vector<uint32_t> nextBlock(listOrder.size(), kNoBlock);
  std::vector<uint32_t> sourceOf(listOrder.size());  // file block -> j
  for (size_t j = 0; j < listOrder.size(); ++j) {
    sourceOf[blockOf[j]] = static_cast<uint32_t>(j);
    if (listOrder[j].chunk == 0) firstBlock[listOrder[j].id] = blockOf[j];
    if (j + 1 < listOrder.size() && listOrder[j + 1].id == listOrder[j].id) {
      nextBlock[blockOf[j]] = blockOf[j + 1];
    }
  }

  std::string header;
  header.reserve(kNextBlockOffset + 4 * nextBlock.size());
  for (const uint32_t block : firstBlock) AppendLE32(header, block);
  header.append(kReserved16Bytes + kReserved32Bytes, '\0');
  for (const List& list : lists_) AppendLE32(header, list.hasPages ? list.lastPage : 0);
  for (const uint32_t block : nextBlock) AppendLE32(header, block);

  const std::string base(baseName);
  const std::filesystem::path headerPath = folder / (base + kIndexHeaderSuffix);
  const std::filesystem::path postingsPath = folder / (base + kIndexPostingsSuffix);
  if (!io::WriteWholeFile(headerPath, header, io::FileAccess::kShared)) {
    return Fail(headerPath.string() + ": cannot be written");
  }

  io::OutputFile postings;
  if (postings.Create(postingsPath, io::FileAccess::kShared)) {
    std::string block;
    for (const uint32_t j : sourceOf) {
      const BlockSource& source = listOrder[j];
      const std::string& bytes = lists_[source.id].bytes;
      const size_t start = size_t{source.chunk} * kBlockSize;
      block.assign(bytes, start, std::min(kBlockSize, bytes.size() - start));
      block.resize(kBlockSize, '\0');
      if (!postings.Append(block)) break;
    }
  }
  if (!postings.Close()) return Fail(postingsPath.string() + ": cannot be written");
  return true;
}

}  // namespace quillwen
