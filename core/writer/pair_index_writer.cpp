#include "core/writer/pair_index_writer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <span>
#include <vector>

#include "core/common/little_endian.h"
#include "core/io/mapped_output_file.h"
#include "core/search/character_id.h"
#include "core/search/pair_index.h"
#include "core/search/variant_fit.h"
#include "core/search/varnum.h"

namespace quillwen {
namespace {

constexpr uint32_t kNone = UINT32_MAX;

// Pair keys, first rank x candidates + second rank, must fit 32 bits, and the
// first walk's tables take 12 bytes a key: 200 MB at this many.
constexpr uint32_t kMaxCandidates = 4096;

// Written pages are handed to the file cache after this many bytes, postings
// read after every window.
constexpr uint64_t kResidentWrittenBytes = uint64_t{32} << 20;

uint64_t RoundUpToBlock(uint64_t bytes) {
  return (bytes + kBlockSize - 1) / kBlockSize * kBlockSize;
}

// One occurrence of a pair in a window of pages: the pair's key (first rank x
// candidates + second rank) and the page within the window, as one number that
// sorts by key, then page; and the position of its first character.
struct PairAt {
  uint64_t keyPage;
  uint32_t position;
};

// Sorts `pairs` by keyPage, of which only the low `bits` bits are set, keeping
// the order of equal ones (each page's positions ascend): a byte at a time,
// through `spare`.
void SortPairs(std::vector<PairAt>& pairs, std::vector<PairAt>& spare, uint32_t bits) {
  spare.resize(pairs.size());
  for (uint32_t shift = 0; shift < bits; shift += 8) {
    std::array<size_t, 257> starts{};
    for (const PairAt& pair : pairs) ++starts[((pair.keyPage >> shift) & 0xFF) + 1];
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    for (const PairAt& pair : pairs) spare[starts[(pair.keyPage >> shift) & 0xFF]++] = pair;
    pairs.swap(spare);
  }
}

// Walks the lists of the candidates ranked below a limit, a window of pages at
// a time, and hands each window's pairs to a callback.
class PairWalk {
 public:
  PairWalk(const CIndex& index, std::span<const uint32_t> idOfRank, uint32_t stride,
           uint32_t windowPages)
      : index_(index),
        tables_(index.Tables()),
        idOfRank_(idOfRank),
        stride_(stride),
        windowPages_(std::clamp<uint32_t>(windowPages, 1, kMaxWindowPages)) {
    while ((uint64_t{1} << keyShift_) < windowPages_) ++keyShift_;
    while ((uint64_t{1} << keyBits_) < uint64_t{stride_} * stride_) ++keyBits_;
    const VariantTable& variants = index.Variants();
    groupPairs_ = !variants.Groups().empty() && IndexHasVariantGroups(index.FirstBlock());
    if (groupPairs_) {
      groupOf_.assign(kIdentifierCount, kNone);
      for (const std::vector<char32_t>& group : variants.Groups()) {
        for (const char32_t member : group) {
          const int32_t id = CharacterId(member);
          if (id < 0 || groupOf_[static_cast<uint32_t>(id)] != kNone) continue;
          if (const std::optional<uint32_t> first = variants.FindVariantGroup(member))
            groupOf_[static_cast<uint32_t>(id)] = *first;
        }
      }
    }
  }

  bool GroupPairs() const { return groupPairs_; }

  // Calls take(run) for each run of one pair's positions on one page, pairs
  // of two candidates ranked below `limit` only: a pair's runs come in page
  // order, and within a window of pages, the pairs in key order. False, with
  // *error, when a list turns out damaged or `take` returns false.
  template <typename Take>
  bool Run(uint32_t limit, Take&& take, std::string* error);

  // What `take` is handed.
  struct PairRun {
    uint32_t key;
    uint32_t page;
    std::span<const PairAt> positions;
  };

 private:
  static constexpr uint32_t kMaxWindowPages = 1u << 16;
  // Every list walked meets a page fault after each release of all postings.
  static constexpr uint32_t kWindowsPerRelease = 8;
  struct PositionAt {
    uint32_t page;  // within the window
    uint32_t position;
    uint32_t rank;
  };
  // One position of a page: the ranks of the character and of its variant
  // group standing there, kNone for those not walked.
  struct Place {
    uint32_t position = 0;
    uint32_t characterRank = kNone;
    uint32_t groupRank = kNone;
  };

  // The rank a search that counts variants as the same looks up at `place`;
  // kNone when that identifier is not walked.
  uint32_t CanonicalRank(const Place& place) const {
    if (place.groupRank != kNone) return place.groupRank;
    if (place.characterRank == kNone) return kNone;
    // A character whose group is not walked: its group's pairs are not told.
    if (groupOf_[idOfRank_[place.characterRank]] != kNone) return kNone;
    return place.characterRank;
  }
  bool GatherWindow(std::vector<PostingCursor>& cursors, std::vector<uint32_t>& active,
                    uint32_t* windowStart, std::string* error);
  void PairsOfPage(uint32_t page, std::span<PositionAt> positions, uint32_t limit);

  const CIndex& index_;
  const IndexTables tables_;
  std::span<const uint32_t> idOfRank_;
  const uint32_t stride_;
  const uint32_t windowPages_;
  uint32_t keyShift_ = 0;  // the bits of a page within a window
  uint32_t keyBits_ = 0;   // the bits of a key
  bool groupPairs_ = false;
  std::vector<uint32_t> groupOf_;  // character identifier -> group identifier
  std::vector<PositionAt> gathered_;
  std::vector<uint32_t> pageStarts_;
  std::vector<PositionAt> byPage_;
  std::vector<Place> places_;
  // The ranks at each position of a page's range, kNone between pages.
  std::vector<uint32_t> characterAt_;
  std::vector<uint32_t> groupAt_;
  std::vector<PairAt> pairs_;
  std::vector<PairAt> spare_;
};

void PairWalk::PairsOfPage(uint32_t page, std::span<PositionAt> positions, uint32_t limit) {
  uint32_t lowest = UINT32_MAX;
  uint32_t highest = 0;
  for (const PositionAt& at : positions) {
    lowest = std::min(lowest, at.position);
    highest = std::max(highest, at.position);
  }
  // The page's places by position: a table over its range where the range is
  // not much wider than its positions (gaps between blocks are a few hundred),
  // which takes no sort; sorted positions otherwise.
  places_.clear();
  const uint64_t range = uint64_t{highest} - lowest + 1;
  if (range <= 8 * uint64_t{positions.size()} + 4096) {
    if (characterAt_.size() < range) {
      characterAt_.resize(range, kNone);
      groupAt_.resize(range, kNone);
    }
    for (const PositionAt& at : positions) {
      std::vector<uint32_t>& table = idOfRank_[at.rank] >= VariantIdBase ? groupAt_ : characterAt_;
      uint32_t& rank = table[at.position - lowest];
      rank = std::min(rank, at.rank);
    }
    for (uint32_t offset = 0; offset < range; ++offset) {
      if (characterAt_[offset] == kNone && groupAt_[offset] == kNone) continue;
      places_.push_back({lowest + offset, characterAt_[offset], groupAt_[offset]});
      characterAt_[offset] = kNone;
      groupAt_[offset] = kNone;
    }
  } else {
    std::sort(positions.begin(), positions.end(), [](const PositionAt& x, const PositionAt& y) {
      return x.position != y.position ? x.position < y.position : x.rank < y.rank;
    });
    for (const PositionAt& at : positions) {
      if (places_.empty() || places_.back().position != at.position)
        places_.push_back({at.position, kNone, kNone});
      Place& place = places_.back();
      uint32_t& rank = idOfRank_[at.rank] >= VariantIdBase ? place.groupRank : place.characterRank;
      rank = std::min(rank, at.rank);
    }
  }
  const auto emit = [&](uint32_t first, uint32_t second, uint32_t position) {
    if (first < limit && second < limit) {
      const uint64_t key = uint64_t{first} * stride_ + second;
      pairs_.push_back({key << keyShift_ | page, position});
    }
  };
  for (size_t j = 0; j + 1 < places_.size(); ++j) {
    const Place& a = places_[j];
    const Place& b = places_[j + 1];
    if (b.position != a.position + 1) continue;
    if (a.characterRank != kNone && b.characterRank != kNone)
      emit(a.characterRank, b.characterRank, a.position);
    if (!groupPairs_) continue;
    const uint32_t first = CanonicalRank(a);
    const uint32_t second = CanonicalRank(b);
    if (first == kNone || second == kNone) continue;
    if (first == a.characterRank && second == b.characterRank) continue;  // the exact pair
    emit(first, second, a.position);
  }
}

// The positions of the active lists on the pages of the next window, which
// starts at the first page any of them is on. Lists that end are let go of.
bool PairWalk::GatherWindow(std::vector<PostingCursor>& cursors, std::vector<uint32_t>& active,
                            uint32_t* windowStart, std::string* error) {
  *windowStart = UINT32_MAX;
  for (const uint32_t rank : active) *windowStart = std::min(*windowStart, cursors[rank].Page());
  const uint64_t windowEnd = uint64_t{*windowStart} + windowPages_;
  gathered_.clear();
  for (size_t i = 0; i < active.size();) {
    const uint32_t rank = active[i];
    PostingCursor& cursor = cursors[rank];
    const uint32_t blockBefore = cursor.Block();
    bool ended = false;
    while (cursor.Page() < windowEnd) {
      const uint32_t page = cursor.Page() - *windowStart;
      while (cursor.PositionBytesLeft() > 0 && cursor.NextPosition())
        gathered_.push_back({page, cursor.Position(), rank});
      if (cursor.Damaged() || cursor.AtLastPage()) {
        ended = true;
        break;
      }
      if (!cursor.NextPage()) break;
    }
    if (cursor.Damaged()) {
      *error = index_.PostingsPath().string() + ": the list of identifier " +
               std::to_string(idOfRank_[rank]) + " is damaged";
      return false;
    }
    // The blocks the list has left are not read again in this walk: they leave
    // resident memory, where thousands of lists at once would otherwise keep
    // the postings file whole.
    if (ended || cursor.Block() != blockBefore) {
      const uint32_t last = ended ? cursor.Block() + 1 : cursor.Block();
      if (last > blockBefore) {
        index_.ReleaseResidentPostings(size_t{blockBefore} * kBlockSize,
                                       size_t{last - blockBefore} * kBlockSize);
      }
    }
    if (ended) {
      active[i] = active.back();
      active.pop_back();
    } else {
      ++i;
    }
  }
  return true;
}

template <typename Take>
bool PairWalk::Run(uint32_t limit, Take&& take, std::string* error) {
  std::vector<PostingCursor> cursors(limit);
  std::vector<uint32_t> active;
  for (uint32_t rank = 0; rank < limit; ++rank) {
    const uint32_t id = idOfRank_[rank];
    if (!cursors[rank].Start(tables_.postings, tables_.firstBlock[id], tables_.lastPage[id])) {
      *error = index_.PostingsPath().string() + ": the list of identifier " + std::to_string(id) +
               " is damaged";
      return false;
    }
    active.push_back(rank);
  }
  uint32_t windowsSinceRelease = 0;
  while (!active.empty()) {
    uint32_t windowStart = 0;
    if (!GatherWindow(cursors, active, &windowStart, error)) return false;
    // The window's positions by page, then each page's pairs.
    pageStarts_.assign(size_t{windowPages_} + 1, 0);
    for (const PositionAt& at : gathered_) ++pageStarts_[at.page + 1];
    std::partial_sum(pageStarts_.begin(), pageStarts_.end(), pageStarts_.begin());
    byPage_.resize(gathered_.size());
    std::vector<uint32_t> next(pageStarts_.begin(), pageStarts_.end() - 1);
    for (const PositionAt& at : gathered_) byPage_[next[at.page]++] = at;
    pairs_.clear();
    for (uint32_t page = 0; page < windowPages_; ++page) {
      const uint32_t begin = pageStarts_[page];
      const uint32_t end = pageStarts_[page + 1];
      if (end - begin >= 2) PairsOfPage(page, {byPage_.data() + begin, end - begin}, limit);
    }
    SortPairs(pairs_, spare_, keyShift_ + keyBits_);
    const uint64_t pageMask = (uint64_t{1} << keyShift_) - 1;
    size_t start = 0;
    while (start < pairs_.size()) {
      size_t end = start + 1;
      while (end < pairs_.size() && pairs_[end].keyPage == pairs_[start].keyPage) ++end;
      const PairRun run{static_cast<uint32_t>(pairs_[start].keyPage >> keyShift_),
                        windowStart + static_cast<uint32_t>(pairs_[start].keyPage & pageMask),
                        std::span<const PairAt>(pairs_).subspan(start, end - start)};
      if (!take(run)) return false;
      start = end;
    }
    // A fault brings in the pages around it too, of other lists, which the
    // releases above never meet: now and then all of them go.
    if (++windowsSinceRelease == kWindowsPerRelease) {
      windowsSinceRelease = 0;
      index_.ReleaseResidentPostings(0, SIZE_MAX);
    }
  }
  index_.ReleaseResidentPostings(0, SIZE_MAX);
  return true;
}

// The identifiers that have lists, longest list first (by blocks, then
// identifier), at most `count` of them.
std::vector<uint32_t> CommonestIdentifiers(const CIndex& index, uint32_t count) {
  const std::span<const uint32_t> firstBlock = index.FirstBlock();
  const std::span<const uint32_t> nextBlock = index.NextBlock();
  std::vector<std::pair<uint32_t, uint32_t>> lengths;  // blocks, identifier
  for (uint32_t id = 0; id < firstBlock.size(); ++id) {
    uint32_t block = firstBlock[id];
    if (block == kNoBlock) continue;
    uint32_t blocks = 1;
    while (block < nextBlock.size() && blocks <= nextBlock.size()) {
      block = nextBlock[block];
      if (block != kNoBlock) ++blocks;
    }
    lengths.push_back({blocks, id});
  }
  std::sort(lengths.begin(), lengths.end(), [](const auto& x, const auto& y) {
    return x.first != y.first ? x.first > y.first : x.second < y.second;
  });
  if (lengths.size() > count) lengths.resize(count);
  std::vector<uint32_t> ids;
  for (const auto& length : lengths) ids.push_back(length.second);
  return ids;
}

std::string CannotWrite(const std::filesystem::path& file, const std::string& problem) {
  return file.string() + ": cannot be written (" + problem + ")";
}

}  // namespace

bool WritePairIndex(const CIndex& index, const std::filesystem::path& file,
                    const PairIndexOptions& options, PairIndexSummary* summary,
                    std::string* error) {
  if (!index.IsOpen()) {
    *error = file.string() + ": its index set is not open";
    return false;
  }
  const std::vector<uint32_t> idOfRank =
      CommonestIdentifiers(index, std::min(options.maxCandidates, kMaxCandidates));
  const uint32_t stride = static_cast<uint32_t>(idOfRank.size());
  const uint64_t maxBytes = options.maxBytes != 0 ? options.maxBytes
                                                  : index.Postings().size() + kNextBlockOffset +
                                                        4 * uint64_t{index.NextBlock().size()};
  PairWalk walk(index, idOfRank, stride, options.windowPages);

  // First walk: each candidate pair's bytes, and the last page it was met on
  // (plus one; 0 for none).
  const size_t pairSlots = size_t{stride} * stride;
  // Where a list goes is a 64-bit offset; its own length fits 32 bits.
  std::vector<uint32_t> listBytes(pairSlots, 0);
  std::vector<uint32_t> pageAfter(pairSlots, 0);
  const auto delta = [&](const PairWalk::PairRun& run, uint32_t* pageDelta) {
    const uint32_t after = pageAfter[run.key];
    *pageDelta = after == 0 ? run.page : run.page - (after - 1);
    if (*pageDelta <= kMaxVarNum) return true;
    *error = file.string() + ": a page delta of " + std::to_string(*pageDelta) +
             " exceeds the largest VarNum, 4194303";
    return false;
  };
  if (!walk.Run(
          stride,
          [&](const PairWalk::PairRun& run) {
            uint32_t pageDelta;
            if (!delta(run, &pageDelta)) return false;
            uint64_t bytes = EncodedVarNumLength(pageDelta) + 2;
            uint32_t before = 0;
            for (const PairAt& at : run.positions) {
              bytes += EncodedVarNumLength(at.position - before);
              before = at.position;
            }
            if (listBytes[run.key] > UINT32_MAX - bytes) {
              *error = file.string() + ": a pair's list would pass 4 GB";
              return false;
            }
            listBytes[run.key] += static_cast<uint32_t>(bytes);
            pageAfter[run.key] = run.page + 1;
            return true;
          },
          error)) {
    return false;
  }

  // The commonest identifiers the budget allows: a pair's bytes count once both
  // of its identifiers are covered, by the rank of the rarer.
  std::vector<uint64_t> bytesAt(stride, 0);
  std::vector<uint64_t> pairsAt(stride, 0);
  for (uint32_t key = 0; key < pairSlots; ++key) {
    if (listBytes[key] == 0) continue;
    const uint32_t rarer = std::max(key / stride, key % stride);
    bytesAt[rarer] += listBytes[key];
    ++pairsAt[rarer];
  }
  uint32_t covered = 0;
  uint64_t areaBytes = 0;
  uint64_t pairCount = 0;
  while (covered < stride) {
    const uint64_t bytes = areaBytes + bytesAt[covered];
    const uint64_t pairs = pairCount + pairsAt[covered];
    const uint64_t total = RoundUpToBlock(kPairIndexTableOffset + pairs * kPairEntrySize) + bytes;
    if (total > maxBytes || pairs >= kNoBlock) break;
    areaBytes = bytes;
    pairCount = pairs;
    ++covered;
  }

  // The lists in table order, each where the one before ends.
  std::vector<uint32_t> keys;
  keys.reserve(static_cast<size_t>(pairCount));
  for (uint32_t key = 0; key < pairSlots; ++key) {
    if (listBytes[key] != 0 && key / stride < covered && key % stride < covered)
      keys.push_back(key);
  }
  std::sort(keys.begin(), keys.end(), [&](uint32_t x, uint32_t y) {
    const uint32_t xFirst = idOfRank[x / stride];
    const uint32_t yFirst = idOfRank[y / stride];
    return xFirst != yFirst ? xFirst < yFirst : idOfRank[x % stride] < idOfRank[y % stride];
  });
  std::vector<uint64_t> startOf(keys.size());
  std::vector<uint32_t> lastPageOf(keys.size());
  uint64_t at = 0;
  for (size_t d = 0; d < keys.size(); ++d) {
    startOf[d] = at;
    lastPageOf[d] = pageAfter[keys[d]] - 1;
    at += listBytes[keys[d]];
    listBytes[keys[d]] = static_cast<uint32_t>(d);  // from now on, its place in the table
    pageAfter[keys[d]] = 0;
  }
  std::vector<uint64_t>().swap(bytesAt);

  const uint64_t areaOffset = RoundUpToBlock(kPairIndexTableOffset + keys.size() * kPairEntrySize);
  io::MappedOutputFile out;
  if (!out.Create(file, areaOffset + areaBytes, io::FileAccess::kShared)) {
    *error = CannotWrite(file, out.Problem());
    return false;
  }
  const auto fail = [&](std::string message) {
    out.Close();
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    *error = std::move(message);
    return false;
  };

  // Second walk: each entry written where its list has got to.
  std::vector<uint64_t> nextOf = startOf;
  uint64_t writtenSinceRelease = 0;
  std::string entry;
  const bool walked = walk.Run(
      covered,
      [&](const PairWalk::PairRun& run) {
        uint32_t pageDelta;
        if (!delta(run, &pageDelta)) return false;
        entry.clear();
        AppendVarNumBytes(entry, pageDelta);
        AppendLE16(entry, 0);
        uint32_t before = 0;
        for (const PairAt& at : run.positions) {
          AppendVarNumBytes(entry, at.position - before);
          before = at.position;
        }
        const size_t countAt = EncodedVarNumLength(pageDelta);
        const size_t positionBytes = entry.size() - countAt - 2;
        if (positionBytes > kMaxPositionBytes) {
          *error = file.string() + ": a page entry of more than 65535 position bytes";
          return false;
        }
        entry[countAt] = static_cast<char>(positionBytes & 0xFF);
        entry[countAt + 1] = static_cast<char>(positionBytes >> 8);
        uint64_t& next = nextOf[listBytes[run.key]];
        if (next + entry.size() > areaBytes) {
          *error = file.string() + ": the lists came out longer than counted";
          return false;
        }
        std::memcpy(out.Data() + areaOffset + next, entry.data(), entry.size());
        next += entry.size();
        pageAfter[run.key] = run.page + 1;
        writtenSinceRelease += entry.size();
        if (writtenSinceRelease > kResidentWrittenBytes) {
          writtenSinceRelease = 0;
          if (!out.Release()) {
            *error = CannotWrite(file, out.Problem());
            return false;
          }
        }
        return true;
      },
      error);
  if (!walked) return fail(*error);

  std::string head(kPairIndexMagic, 8);
  AppendLE32(head, kPairIndexVersion);
  AppendLE32(head, walk.GroupPairs() ? kPairIndexHasGroupPairs : 0);
  AppendLE64(head, index.Postings().size());
  AppendLE64(head, PairIndexDigest(index.FirstBlock(), index.LastPage()));
  AppendLE64(head, walk.GroupPairs() ? VariantGroupsDigest(index.Variants()) : 0);
  AppendLE32(head, static_cast<uint32_t>(keys.size()));
  AppendLE32(head, static_cast<uint32_t>((areaBytes + kBlockSize - 1) / kBlockSize));
  AppendLE64(head, areaOffset);
  AppendLE64(head, 0);
  std::string coveredBits(kPairIndexCoveredBytes, '\0');
  for (uint32_t rank = 0; rank < covered; ++rank)
    coveredBits[idOfRank[rank] / 8] |= static_cast<char>(1 << (idOfRank[rank] % 8));
  head += coveredBits;
  for (size_t d = 0; d < keys.size(); ++d) {
    // Every list must have come out exactly as long as the first walk counted.
    const uint64_t end = d + 1 < keys.size() ? startOf[d + 1] : areaBytes;
    if (nextOf[d] != end || pageAfter[keys[d]] != lastPageOf[d] + 1)
      return fail(file.string() + ": the lists came out otherwise than counted");
    AppendLE32(head, idOfRank[keys[d] / stride]);
    AppendLE32(head, idOfRank[keys[d] % stride]);
    AppendLE32(head, static_cast<uint32_t>(startOf[d] / kBlockSize));
    AppendLE32(head, static_cast<uint32_t>(startOf[d] % kBlockSize));
    AppendLE32(head, lastPageOf[d]);
  }
  std::memcpy(out.Data(), head.data(), head.size());
  if (!out.Close()) return fail(CannotWrite(file, out.Problem()));
  if (summary != nullptr) {
    *summary = {covered, static_cast<uint32_t>(keys.size()), areaOffset + areaBytes,
                walk.GroupPairs()};
  }
  return true;
}

}  // namespace quillwen
