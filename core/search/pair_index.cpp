#include "core/search/pair_index.h"

#include <algorithm>
#include <cstring>

#include "core/common/little_endian.h"
#include "core/io/read_only_file.h"
#include "core/search/variant_fit.h"
#include "core/search/variants.h"

namespace quillwen {
namespace {

// FNV-1a over 32-bit words rather than bytes: the tables are words, and every
// open of an index set digests 800,000 bytes of them.
class WordDigest {
 public:
  void Add(uint32_t word) {
    hash_ ^= word;
    hash_ *= 0x100000001B3ull;
  }
  uint64_t Value() const { return hash_; }

 private:
  uint64_t hash_ = 0xCBF29CE484222325ull;
};

}  // namespace

uint64_t PairIndexDigest(std::span<const uint32_t> firstBlock, std::span<const uint32_t> lastPage) {
  WordDigest digest;
  for (const uint32_t block : firstBlock) digest.Add(block);
  for (const uint32_t page : lastPage) digest.Add(page);
  return digest.Value();
}

uint64_t VariantGroupsDigest(const VariantTable& table) {
  if (table.Groups().empty()) return 0;
  WordDigest digest;
  for (const std::vector<char32_t>& group : table.Groups()) {
    for (const char32_t member : group) digest.Add(member);
    digest.Add(0xFFFFFFFF);  // no code point: where one group ends
  }
  return digest.Value();
}

std::optional<ServedIndex> DescribeServedIndex(const std::filesystem::path& folder,
                                               std::u16string_view baseName, IndexScope scope,
                                               DataFault* fault) {
  std::filesystem::path base = folder / std::filesystem::path(std::u16string(baseName));
  base += IndexSetSuffix(scope);
  std::filesystem::path headerPath = base;
  headerPath += kIndexHeaderSuffix;
  std::filesystem::path postingsPath = base;
  postingsPath += kIndexPostingsSuffix;
  io::ReadOnlyFile header;
  std::vector<char> bytes(kFirstBlockBytes);
  std::vector<uint32_t> firstBlock(kIdentifierCount);
  std::vector<uint32_t> lastPage(kIdentifierCount);
  if (!header.Open(headerPath) || !header.ReadExactly(kFirstBlockOffset, bytes)) {
    *fault = header.LastFault();
    return std::nullopt;
  }
  for (uint32_t id = 0; id < kIdentifierCount; ++id) firstBlock[id] = LoadLE32(&bytes[4 * id]);
  if (!header.ReadExactly(kLastPageOffset, bytes)) {
    *fault = header.LastFault();
    return std::nullopt;
  }
  for (uint32_t id = 0; id < kIdentifierCount; ++id) lastPage[id] = LoadLE32(&bytes[4 * id]);
  std::error_code error;
  const uint64_t postingsSize = std::filesystem::file_size(postingsPath, error);
  if (error) {
    *fault = {postingsPath, error.message()};
    return std::nullopt;
  }
  // The variant table as a search would use it: set aside when it does not fit.
  VariantTable variants;
  variants.LoadVariants(folder);
  const bool fits = !FirstGroupNotFitting(variants, firstBlock, lastPage);
  return ServedIndex{postingsSize, PairIndexDigest(firstBlock, lastPage),
                     fits ? VariantGroupsDigest(variants) : 0};
}

bool PairIndex::Fail(std::string problem) {
  fault_ = {path_, std::move(problem)};
  Close();
  return false;
}

void PairIndex::Close() {
  file_.Unmap();
  directories_.Clear();
  std::vector<uint32_t>().swap(nextBlock_);
  source_ = {};
  covered_ = nullptr;
  table_ = nullptr;
  pairCount_ = 0;
  blocks_ = 0;
  stretches_.reset();
  groupPairs_ = false;
  open_ = false;
}

uint64_t PairIndex::Key(uint32_t entry) const {
  const unsigned char* at = table_ + size_t{entry} * kPairEntrySize;
  return uint64_t{LoadLE32(at)} << 32 | LoadLE32(at + 4);
}

bool PairIndex::Open(const std::filesystem::path& path, const ServedIndex& served) {
  Close();
  path_ = path;
  fault_ = {};
  std::error_code ec;
  absent_ = !std::filesystem::exists(path, ec);
  if (absent_) return Fail("missing");
  if (!file_.Map(path)) {
    fault_ = file_.LastFault();
    Close();
    return false;
  }
  const unsigned char* bytes = file_.Data();
  const size_t size = file_.Size();
  if (size < kPairIndexTableOffset) {
    return Fail(std::to_string(size) + " bytes, shorter than the " +
                std::to_string(kPairIndexTableOffset) + " bytes of a pair index's header");
  }
  if (std::memcmp(bytes, kPairIndexMagic, 8) != 0) return Fail("not a pair index");
  if (const uint32_t version = LoadLE32(bytes + 8); version != kPairIndexVersion)
    return Fail("version " + std::to_string(version) + ", not 1");
  const uint32_t flags = LoadLE32(bytes + 12);
  if (LoadLE64(bytes + 16) != served.postingsSize || LoadLE64(bytes + 24) != served.digest)
    return Fail("made for another index set (rebuilt since?)");
  const uint64_t variantsDigest = LoadLE64(bytes + 32);
  const uint32_t pairs = LoadLE32(bytes + 40);
  const uint32_t blocks = LoadLE32(bytes + 44);
  const uint64_t areaOffset = LoadLE64(bytes + 48);
  const uint64_t tableEnd = kPairIndexTableOffset + uint64_t{pairs} * kPairEntrySize;
  if (areaOffset % kBlockSize != 0 || areaOffset < tableEnd || areaOffset > size) {
    return Fail("the list area's offset " + std::to_string(areaOffset) +
                " is not a multiple of 4096 between the pair table's end (" +
                std::to_string(tableEnd) + ") and the file's (" + std::to_string(size) + ")");
  }
  const size_t areaSize = size - static_cast<size_t>(areaOffset);
  if (BlockCountOf(areaSize) != blocks || blocks == kNoBlock) {
    return Fail(std::to_string(areaSize) + " bytes of lists, but " + std::to_string(blocks) +
                " blocks recorded");
  }
  covered_ = bytes + kPairIndexCoveredOffset;
  table_ = bytes + kPairIndexTableOffset;
  pairCount_ = pairs;
  blocks_ = blocks;
  const uint32_t stretches = (pairs + kStretchPairs - 1) / kStretchPairs;
  for (uint32_t stretch = 1; stretch < stretches; ++stretch) {
    if (Key(stretch * kStretchPairs) <= Key((stretch - 1) * kStretchPairs)) {
      return Fail("pair " + std::to_string(stretch * kStretchPairs) + ": pairs do not ascend");
    }
  }
  stretches_ = std::make_unique<std::atomic<uint8_t>[]>(stretches);
  for (uint32_t stretch = 0; stretch < stretches; ++stretch) stretches_[stretch] = 0;
  damaged_ = false;
  open_ = true;
  groupPairs_ = (flags & kPairIndexHasGroupPairs) != 0 && served.variantsDigest != 0 &&
                variantsDigest == served.variantsDigest;
  nextBlock_.resize(blocks);
  for (uint32_t block = 0; block < blocks; ++block)
    nextBlock_[block] = block + 1 < blocks ? block + 1 : kNoBlock;
  source_.data = bytes + areaOffset;
  source_.size = areaSize;
  source_.nextBlock = nextBlock_.data();
  source_.nextBlockCount = blocks;
  source_.blockCount = blocks;
  return true;
}

std::optional<std::string> PairIndex::StretchFault(uint32_t stretch) const {
  const uint32_t begin = stretch * kStretchPairs;
  const uint32_t end = std::min(pairCount_, begin + kStretchPairs);
  // The next stretch's first pair bounds this one's.
  const std::optional<uint64_t> bound =
      end < pairCount_ ? std::optional<uint64_t>(Key(end)) : std::nullopt;
  for (uint32_t entry = begin; entry < end; ++entry) {
    const unsigned char* at = table_ + size_t{entry} * kPairEntrySize;
    const uint32_t first = LoadLE32(at);
    const uint32_t second = LoadLE32(at + 4);
    const uint32_t block = LoadLE32(at + 8);
    const uint32_t offset = LoadLE32(at + 12);
    const uint64_t key = Key(entry);
    const auto which = [&] {
      return "pair " + std::to_string(entry) + " (" + std::to_string(first) + ", " +
             std::to_string(second) + ")";
    };
    if (first >= kIdentifierCount || second >= kIdentifierCount)
      return which() + ": an identifier not below 100000";
    if ((entry > begin && key <= Key(entry - 1)) || (bound && key >= *bound))
      return which() + ": pairs do not ascend";
    if (block >= blocks_ || offset >= kBlockSize ||
        uint64_t{block} * kBlockSize + offset >= source_.size)
      return which() + ": its list begins outside the list area";
  }
  return std::nullopt;
}

bool PairIndex::StretchIntact(uint32_t stretch) const {
  const uint8_t known = stretches_[stretch].load(std::memory_order_acquire);
  if (known != 0) return known == 1;
  const std::optional<std::string> fault = StretchFault(stretch);
  stretches_[stretch].store(fault ? 2 : 1, std::memory_order_release);
  if (fault) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    fault_ = {path_, *fault};
    damaged_.store(true, std::memory_order_release);
  }
  return !fault;
}

std::optional<PairList> PairIndex::Find(uint32_t first, uint32_t second) const {
  if (!open_ || pairCount_ == 0) return std::nullopt;
  const uint64_t key = uint64_t{first} << 32 | second;
  // The stretch it would be in, by the stretches' first pairs, then the pair.
  uint32_t low = 0;
  uint32_t high = (pairCount_ - 1) / kStretchPairs + 1;
  while (low < high) {
    const uint32_t middle = low + (high - low) / 2;
    if (Key(middle * kStretchPairs) <= key) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (low == 0) return std::nullopt;  // before the first pair
  const uint32_t stretch = low - 1;
  if (!StretchIntact(stretch)) return std::nullopt;
  low = stretch * kStretchPairs;
  high = std::min(pairCount_, low + kStretchPairs);
  while (low < high) {
    const uint32_t middle = low + (high - low) / 2;
    if (Key(middle) < key) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (low == pairCount_ || Key(low) != key) return std::nullopt;
  const unsigned char* at = table_ + size_t{low} * kPairEntrySize;
  return PairList{low, LoadLE32(at + 8), LoadLE32(at + 12), LoadLE32(at + 16)};
}

}  // namespace quillwen
