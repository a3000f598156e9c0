#include "core/search/term_matcher.h"

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <span>
#include <vector>

#include "core/search/bit_count.h"
#include "core/search/character_id.h"
#include "core/search/code_points.h"
#include "core/search/directory_cache.h"
#include "core/search/query.h"
#include "core/search/variants.h"
#include "core/search/varnum.h"

namespace quillwen {
namespace {

// A normalised term has fewer looked-up characters than units.
constexpr size_t kMaxCursors = kMaxNormalisedTermUnits;

// Where a lookup's list lies, in the index set or in its pair index, and the
// cache that keeps its directory under `key`.
struct LookupList {
  const PostingSource* source = nullptr;
  uint32_t firstBlock = 0;
  uint32_t firstOffset = 0;
  uint32_t lastPage = 0;
  const DirectoryCache* directories = nullptr;
  uint32_t key = 0;
};

// Whether the lookup has a list to read, or (an absent pair) knows that it
// occurs nowhere.
bool HasList(const TermLookup& lookup, const IndexTables& tables) {
  if (lookup.kind == LookupKind::kIdentifier) return tables.firstBlock[lookup.id] != kNoBlock;
  return tables.pairs != nullptr;
}

// REQUIRES: HasList(lookup, tables), and the lookup is no absent pair.
LookupList ListOf(const TermLookup& lookup, const IndexTables& tables) {
  if (lookup.kind == LookupKind::kPair) {
    return {&tables.pairs->Source(),  lookup.pairList.block,        lookup.pairList.offset,
            lookup.pairList.lastPage, &tables.pairs->Directories(), lookup.pairList.entry};
  }
  return {&tables.postings,           tables.firstBlock[lookup.id], 0,
          tables.lastPage[lookup.id], tables.directories,           lookup.id};
}

std::shared_ptr<const BlockDirectory> Directory(const LookupList& list) {
  return list.directories->Get(list.key, *list.source, list.firstBlock, list.lastPage,
                               list.firstOffset);
}

// The most position bytes of its sparsest list a page may have to be matched by
// intersecting decoded positions; each byte is at most one position. Pages past it
// are rare and go through the general matcher.
constexpr size_t kMaxSharedPositionBytes = 1024;

// Decodes the `count` position bytes of a page at `bytes` (all inside the mapping)
// and hands each aligned position, position + `alignment`, to `take` in order,
// until `take` returns false. False, after handing over some, unless the bytes
// read are whole VarNums, the positions strictly ascend and every aligned
// position fits 32 bits: on such a page the general matcher alone knows what to
// make of them.
template <typename Take>
inline bool ForEachAlignedPosition(const unsigned char* bytes, uint32_t count, uint32_t alignment,
                                   Take take) {
  uint64_t aligned = alignment;
  uint32_t at = 0;
  while (at < count) {
    const uint32_t length = VarNumLength(bytes[at]);
    if (length > count - at) return false;
    const uint32_t delta = DecodeVarNum(bytes + at);
    if (delta == 0 && at > 0) return false;
    aligned += delta;
    at += length;
    if (!take(aligned)) return aligned <= UINT32_MAX;
  }
  return aligned <= UINT32_MAX;
}

struct Slot {
  PostingCursor cursor;
  std::shared_ptr<const BlockDirectory> directory;
  uint32_t alignment = 0;  // P - q - 1
  uint32_t aligned = 0;    // A
};

// A run of cursors [first, end) of one segment that has cursors.
struct SegmentCursors {
  uint32_t first = 0;
  uint32_t end = 0;
};

// The matching state of one term; fixed tables, nothing allocated while matching
// but the entries of the term result.
class Matcher {
 public:
  Matcher(const TermPlan& plan, const IndexTables& tables, TermMatch& result)
      : plan_(plan), tables_(tables), result_(result) {}

  // Matches on every page, or only on `candidates` when `filtered`.
  void Run(std::span<const uint32_t> candidates, bool filtered);

 private:
  bool StartCursors();
  void CountEveryPosition();
  void Intersect(std::span<const uint32_t> candidates, bool filtered);
  bool MapEveryList();
  [[gnu::always_inline]] inline bool NextSharedPage(uint32_t from, uint32_t& page);
  bool NextSharedPageThroughSummaries(uint32_t word, uint32_t& page) const;
  void ShareStretch(uint32_t word);
  // Of `bits`, the pages of `word` that every list has.
  uint64_t SharedBits(uint32_t word, uint64_t bits) const {
    for (uint32_t i = 0; i < cursorCount_ && bits != 0; ++i) bits &= mapWords_[i][word];
    return bits;
  }
  template <bool kCountInstruction>
  [[gnu::always_inline]] inline bool MayHoldPlace(uint32_t page);
  bool CountPage(uint32_t& current);
  bool MatchPage(uint32_t& current);
  int64_t CountSharedPositions();
  bool StartShared(const Slot& slot, uint32_t& shared);
  bool NarrowShared(const Slot& slot, uint32_t& shared, bool stopEarly = false);
  void KeepSharedResidues(uint32_t& shared);
  static constexpr int64_t kEnd = -2;
  static constexpr int64_t kGeneral = -1;
  int64_t CountOnMappedPage(uint32_t page);
  template <bool kCountInstruction>
  [[gnu::always_inline]] inline void IntersectMapped();
  // Inlined, as MayHoldPlace is, so that the copy built for the popcount
  // instruction counts with it.
  template <bool kCountInstruction>
  [[gnu::always_inline]] inline uint32_t KeepPagesThatMayHoldPlaces(std::span<uint32_t> pages);
  // Whether `count` ascending pages lie far apart on average (see kSparseGap).
  static bool FarApart(const uint32_t* pages, uint32_t count) {
    return count > 1 && pages[count - 1] - pages[0] >= kSparseGap * (count - 1);
  }
  QUILLWEN_WITH_POPCOUNT void IntersectMappedCountingBits();
  // IntersectMapped takes the shared pages this many at a time.
  static constexpr uint32_t kBatch = 32;
  // Shared pages closer together than this on average lie in entries and
  // postings the processor's own prefetching brings in; asking for them costs
  // more than it saves (measured on the sample's phrases, with the caches
  // emptied by other searches between runs, as in a reader's use).
  static constexpr uint32_t kSparseGap = 8;
  // Lists that share pages in fewer than one word in this many are read through
  // their maps' summaries (measured on the sample's phrases).
  static constexpr uint32_t kSparseWords = 2;
  // NextSharedPage, when not through the summaries, ANDs the lists' words this
  // many at a time (see ShareStretch).
  static constexpr uint32_t kStretchWords = 128;
  bool ReadPosition(uint32_t k) {
    Slot& slot = slots_[k];
    if (!slot.cursor.NextPosition()) return false;
    slot.aligned = slot.cursor.Position() + slot.alignment;
    return true;
  }
  uint32_t MaxAligned(uint32_t end) const {
    uint32_t highest = 0;
    for (uint32_t k = 0; k < end; ++k) highest = std::max(highest, slots_[k].aligned);
    return highest;
  }

  const TermPlan& plan_;
  const IndexTables& tables_;
  TermMatch& result_;
  // One for each looked-up character: a term may have hundreds, most have two
  // to four, and a slot is not small.
  std::vector<Slot> slots_;
  std::array<SegmentCursors, kMaxCursors> segments_;
  std::array<uint32_t, kMaxCursors> order_;  // cursor indices, rarest list first
  uint32_t cursorCount_ = 0;
  uint32_t segmentCount_ = 0;
  // The page maps, their words and the turn of their residues (the alignment
  // modulo 32), in the order of order_, when every list has a map.
  std::array<const PageMap*, kMaxCursors> maps_;
  std::array<const uint64_t*, kMaxCursors> mapWords_;
  std::array<const uint64_t*, kMaxCursors> mapSummaries_;
  std::array<int, kMaxCursors> turns_;
  uint32_t mappedWords_ = 0;      // the fewest words of any of them
  uint32_t mappedSummaries_ = 0;  // the fewest summary words of any of them
  // The lists share few words with pages, so that NextSharedPage goes through
  // the summaries. Where they share most, the words themselves are read faster
  // one after another.
  bool throughSummaries_ = false;
  // Unless the term is matched on candidates only, which may lie far apart, the
  // words every list has, kStretchWords at a time, from word stretchBegin_ to
  // stretchEnd_.
  bool stretches_ = false;
  std::array<uint64_t, kStretchWords> stretch_;
  uint32_t stretchBegin_ = 0;
  uint32_t stretchEnd_ = 0;
  // Some segment has two lists or more, so that the maps' residues can rule out
  // pages (MayHoldPlace).
  bool residuesTell_ = false;
  // For a term of one segment, each list's entry of the page MayHoldPlace last
  // passed, in the order of order_, and the residues every list has there,
  // turned by its alignment.
  std::array<uint32_t, kMaxCursors> mapEntries_;
  uint32_t sharedResidues_ = ~uint32_t{0};
  // Whether list i (in the order of order_) may stop reading a page's positions
  // once the shared ones are behind it: its map shows that every byte of every
  // page is whole and its positions ascend, and the highest aligned one fits.
  std::array<bool, kMaxCursors> stopsEarly_;
  // The aligned positions of a page still shared by the lists read so far.
  std::array<uint32_t, kMaxSharedPositionBytes> shared_;
  // For the pages of a batch KeepPagesThatMayHoldPlaces kept: each list's entry
  // (cursorCount_ to a page) and the residues every list has there.
  std::vector<uint32_t> keptEntries_;
  std::array<uint32_t, kBatch> keptResidues_;
};

bool Matcher::StartCursors() {
  cursorCount_ = static_cast<uint32_t>(plan_.lookups.size());
  slots_.resize(cursorCount_);
  for (const TermLookup& lookup : plan_.lookups) {
    if (!HasList(lookup, tables_)) return false;
  }
  for (uint32_t k = 0; k < cursorCount_; ++k) {
    const TermLookup& lookup = plan_.lookups[k];
    slots_[k].alignment = plan_.queryPositions - lookup.queryPosition - 1;
    if (k == 0 || lookup.segment != plan_.lookups[k - 1].segment) {
      segments_[segmentCount_++] = {k, k + 1};
    } else {
      segments_[segmentCount_ - 1].end = k + 1;
    }
  }
  return true;
}

void Matcher::Run(std::span<const uint32_t> candidates, bool filtered) {
  if (plan_.lookups.empty() || plan_.lookups.size() > kMaxCursors || !StartCursors()) return;
  result_.hasCursors = true;
  if (filtered && candidates.empty()) return;
  for (const TermLookup& lookup : plan_.lookups) {
    if (lookup.kind == LookupKind::kAbsentPair) return;
  }

  const bool intersect = cursorCount_ > 1 || filtered;
  bool intact = true;
  for (uint32_t k = 0; k < cursorCount_ && intact; ++k) {
    const LookupList list = ListOf(plan_.lookups[k], tables_);
    if (intersect && tables_.directories != nullptr) slots_[k].directory = Directory(list);
    intact = slots_[k].cursor.Start(*list.source, list.firstBlock, list.lastPage,
                                    slots_[k].directory.get(), list.firstOffset);
  }
  if (intact && !intersect) {
    CountEveryPosition();
  } else if (intact) {
    for (uint32_t k = 0; k < cursorCount_; ++k) order_[k] = k;
    if (tables_.directories != nullptr) {
      std::stable_sort(order_.begin(), order_.begin() + cursorCount_, [&](uint32_t x, uint32_t y) {
        return slots_[x].directory->pageCount < slots_[y].directory->pageCount;
      });
    }
    Intersect(candidates, filtered);
  }
  for (uint32_t k = 0; k < cursorCount_; ++k) {
    result_.postingBytes += slots_[k].cursor.BytesSpanned();
    if (plan_.lookups[k].kind == LookupKind::kPair) {
      result_.damagedPairList |= slots_[k].cursor.Damaged();
    } else {
      result_.damagedList |= slots_[k].cursor.Damaged();
    }
  }
}

// Notes the page maps' bits when every list has one, rarest list first.
bool Matcher::MapEveryList() {
  mappedWords_ = UINT32_MAX;
  mappedSummaries_ = UINT32_MAX;
  for (uint32_t i = 0; i < cursorCount_; ++i) {
    const BlockDirectory* directory = slots_[order_[i]].directory.get();
    if (directory == nullptr || !directory->pageMap) return false;
    maps_[i] = &*directory->pageMap;
    turns_[i] = static_cast<int>(slots_[order_[i]].alignment % 32);
    const std::optional<uint32_t> highest = maps_[i]->HighestPosition();
    stopsEarly_[i] =
        highest && uint64_t{*highest} + slots_[order_[i]].alignment <= uint64_t{UINT32_MAX};
    const std::vector<uint64_t>& words = directory->pageMap->Words();
    mapWords_[i] = words.data();
    mappedWords_ = std::min(mappedWords_, static_cast<uint32_t>(words.size()));
    const std::vector<uint64_t>& summary = directory->pageMap->Summary();
    mapSummaries_[i] = summary.data();
    mappedSummaries_ = std::min(mappedSummaries_, static_cast<uint32_t>(summary.size()));
  }
  // The words every list has pages in, counted on the summaries.
  uint32_t sharedWords = 0;
  for (uint32_t group = 0; group < mappedSummaries_; ++group) {
    uint64_t live = ~uint64_t{0};
    for (uint32_t i = 0; i < cursorCount_ && live != 0; ++i) live &= mapSummaries_[i][group];
    sharedWords += static_cast<uint32_t>(std::popcount(live));
  }
  throughSummaries_ = sharedWords < mappedWords_ / kSparseWords;
  residuesTell_ = false;
  for (uint32_t s = 0; s < segmentCount_; ++s)
    residuesTell_ |= segments_[s].end - segments_[s].first > 1;
  return true;
}

// Whether `page`, which every list has by its map, can hold a place, judged by
// the residues of its positions alone. The characters of one occurrence of a
// segment share their aligned position, so the residues of their lists, each
// turned by its alignment, share a bit; a page on which some segment's share none
// holds no place. A term of one segment notes each list's entry there
// (mapEntries_) and asks its rarest lists first.
template <bool kCountInstruction>
bool Matcher::MayHoldPlace(uint32_t page) {
  if (segmentCount_ == 1) {
    uint32_t shared = ~uint32_t{0};
    for (uint32_t i = 0; i < cursorCount_; ++i) {
      mapEntries_[i] = maps_[i]->Rank<kCountInstruction>(page);
      shared &= std::rotl(maps_[i]->Residues(mapEntries_[i]), turns_[i]);
      if (shared == 0 && residuesTell_) return false;
    }
    sharedResidues_ = residuesTell_ ? shared : ~uint32_t{0};
    return true;
  }
  if (!residuesTell_) return true;
  for (uint32_t s = 0; s < segmentCount_; ++s) {
    uint32_t shared = ~uint32_t{0};
    for (uint32_t k = segments_[s].first; k < segments_[s].end && shared != 0; ++k) {
      const PageMap& map = *slots_[k].directory->pageMap;
      shared &= std::rotl(map.Residues(map.Rank<kCountInstruction>(page)),
                          static_cast<int>(slots_[k].alignment % 32));
    }
    if (shared == 0) return false;
  }
  return true;
}

// The first page at or after `from` that every list has, by their page maps;
// false when there is none. Past the word of `from`, only the words in which
// every list has pages, by the maps' summaries, are read: the lists of a sparse
// phrase share a page in few of them.
bool Matcher::NextSharedPage(uint32_t from, uint32_t& page) {
  uint32_t word = from / 64;
  uint64_t bits = ~uint64_t{0} << (from % 64);
  if (throughSummaries_) {
    if (word >= mappedWords_) return false;
    if (const uint64_t shared = SharedBits(word, bits); shared != 0) {
      page = word * 64 + static_cast<uint32_t>(std::countr_zero(shared));
      return true;
    }
    return NextSharedPageThroughSummaries(word + 1, page);
  }
  if (!stretches_) {
    for (; word < mappedWords_; ++word, bits = ~uint64_t{0}) {
      if (const uint64_t shared = SharedBits(word, bits); shared != 0) {
        page = word * 64 + static_cast<uint32_t>(std::countr_zero(shared));
        return true;
      }
    }
    return false;
  }
  for (; word < mappedWords_; ++word, bits = ~uint64_t{0}) {
    if (word < stretchBegin_ || word >= stretchEnd_) ShareStretch(word);
    if (const uint64_t shared = stretch_[word - stretchBegin_] & bits; shared != 0) {
      page = word * 64 + static_cast<uint32_t>(std::countr_zero(shared));
      return true;
    }
  }
  return false;
}

// The words every list has from `word` on, kStretchWords of them, in stretch_.
// One list at a time and without a branch on what they hold: the processor then
// asks memory for many words at once. Word by word, each a branch on the one
// before, it waits on every cache line in turn: a third of the time a phrase of
// a thousand shared pages took when its maps were not in the cache.
void Matcher::ShareStretch(uint32_t word) {
  const uint32_t count = std::min(kStretchWords, mappedWords_ - word);
  stretchBegin_ = word;
  stretchEnd_ = word + count;
  std::copy_n(mapWords_[0] + word, count, stretch_.begin());
  for (uint32_t i = 1; i < cursorCount_; ++i) {
    const uint64_t* words = mapWords_[i] + word;
    for (uint32_t j = 0; j < count; ++j) stretch_[j] &= words[j];
  }
}

// NextSharedPage from the first page of `word` on, reading only the words the
// summaries show every list has pages in.
bool Matcher::NextSharedPageThroughSummaries(uint32_t word, uint32_t& page) const {
  uint64_t live = ~uint64_t{0} << (word % 64);
  for (uint32_t group = word / 64; group < mappedSummaries_; ++group, live = ~uint64_t{0}) {
    for (uint32_t i = 0; i < cursorCount_ && live != 0; ++i) live &= mapSummaries_[i][group];
    for (; live != 0; live &= live - 1) {
      const uint32_t next = group * 64 + static_cast<uint32_t>(std::countr_zero(live));
      if (next >= mappedWords_) return false;
      if (const uint64_t shared = SharedBits(next, ~uint64_t{0}); shared != 0) {
        page = next * 64 + static_cast<uint32_t>(std::countr_zero(shared));
        return true;
      }
    }
  }
  return false;
}

// Visits, in ascending order, the pages every list has (and the candidates, when
// filtered), and counts the places on each. Ends where a list ends or is damaged.
void Matcher::Intersect(std::span<const uint32_t> candidates, bool filtered) {
  size_t candidate = 0;
  uint32_t target = filtered ? candidates.front() : slots_[order_[0]].cursor.Page();
  // Lists that all have page maps find the pages they share a word of 64 pages at
  // a time, and the cursors go to those pages only.
  const bool mapped = MapEveryList();
  stretches_ = !filtered;
  if (mapped && !filtered && segmentCount_ == 1) {
    if (ProcessorCountsBits()) return IntersectMappedCountingBits();
    return IntersectMapped<false>();
  }
  for (;;) {
    // Every list to the target; one that has no entry there raises the target for
    // the lists after it, and another round brings the ones before it along. A list
    // already on the target costs no call: in a dense intersection most are.
    bool agreed;
    do {
      agreed = true;
      if (filtered) {
        candidate = static_cast<size_t>(
            std::lower_bound(candidates.begin() + static_cast<std::ptrdiff_t>(candidate),
                             candidates.end(), target) -
            candidates.begin());
        if (candidate == candidates.size()) return;
        target = candidates[candidate];
      }
      if (mapped) {
        if (!NextSharedPage(target, target)) return;
        if (!MayHoldPlace<false>(target)) {
          if (target == UINT32_MAX) return;
          ++target;
          agreed = false;
          continue;
        }
      }
      for (uint32_t i = 0; i < cursorCount_; ++i) {
        PostingCursor& cursor = slots_[order_[i]].cursor;
        if (cursor.Page() < target && !cursor.SkipTo(target)) return;
        if (cursor.Page() > target) {
          target = cursor.Page();
          agreed = false;
        }
      }
    } while (!agreed);
    if (!(cursorCount_ == 1 ? CountPage(target) : MatchPage(target))) return;
  }
}

// Intersect for a term of one segment whose lists all have page maps.
template <bool kCountInstruction>
void Matcher::IntersectMapped() {
  std::array<std::array<uint32_t, kBatch>, 2> batches;
  std::array<uint32_t, 2> taken{};
  keptEntries_.resize(size_t{kBatch} * cursorCount_);
  uint32_t page = 0;
  bool more = true;
  // Takes the next batch of shared pages and, where they lie far apart, asks
  // memory for each list's entry of each of them: entries far apart are loads
  // the processor does not foresee. A batch is taken while the one before it is
  // still to be counted, so that these misses overlap its work. (Keeping the
  // entries found here for MayHoldPlace, instead of finding them again there,
  // measured slower.)
  const auto takeBatch = [&](std::array<uint32_t, kBatch>& batch) {
    uint32_t count = 0;
    while (more && count < kBatch && (more = NextSharedPage(page, page))) {
      batch[count++] = page;
      if (page == UINT32_MAX) {
        more = false;
        break;
      }
      ++page;
    }
    if (FarApart(batch.data(), count)) {
      for (uint32_t i = 0; i < cursorCount_; ++i) {
        for (uint32_t b = 0; b < count; ++b)
          maps_[i]->PrefetchEntry(maps_[i]->Rank<kCountInstruction>(batch[b]));
      }
    }
    return count;
  };
  taken[0] = takeBatch(batches[0]);
  for (uint32_t now = 0; taken[now] > 0; now ^= 1) {
    taken[now ^ 1] = takeBatch(batches[now ^ 1]);
    // Pages far apart are first sifted by their residues, and the postings of the
    // ones left asked of memory, before any is read. Close together they are not:
    // their headers share cache lines the processor brings in on its own, and
    // the second pass over the batch costs more than it saves.
    const bool sifted = FarApart(batches[now].data(), taken[now]);
    const uint32_t count =
        sifted ? KeepPagesThatMayHoldPlaces<kCountInstruction>({batches[now].data(), taken[now]})
               : taken[now];
    for (uint32_t b = 0; b < count; ++b) {
      uint32_t current = batches[now][b];
      bool mayHoldPlace;
      if (sifted) {
        std::copy_n(keptEntries_.begin() + b * cursorCount_, cursorCount_, mapEntries_.begin());
        sharedResidues_ = keptResidues_[b];
        mayHoldPlace = true;
      } else {
        mayHoldPlace = MayHoldPlace<kCountInstruction>(current);
      }
      const int64_t places = mayHoldPlace ? CountOnMappedPage(current) : 0;
      if (places == kEnd) return;
      if (places == kGeneral) {
        // Counts the page; the pages after it are the batch's.
        if (!MatchPage(current)) return;
      } else if (places > 0) {
        result_.pages.push_back(current);
        result_.placeCounts.push_back(static_cast<uint32_t>(places));
      }
    }
  }
}

// Keeps, at the front of `pages`, those that may hold a place (MayHoldPlace),
// notes each list's entry there and the residues they share (keptEntries_,
// keptResidues_), and asks memory for each list's header of them. Returns how
// many it kept.
template <bool kCountInstruction>
uint32_t Matcher::KeepPagesThatMayHoldPlaces(std::span<uint32_t> pages) {
  uint32_t kept = 0;
  for (const uint32_t page : pages) {
    if (!MayHoldPlace<kCountInstruction>(page)) continue;
    for (uint32_t i = 0; i < cursorCount_; ++i) {
      keptEntries_[kept * cursorCount_ + i] = mapEntries_[i];
      slots_[order_[i]].cursor.PrefetchMapEntry(mapEntries_[i]);
    }
    keptResidues_[kept] = sharedResidues_;
    pages[kept++] = page;
  }
  return kept;
}

// IntersectMapped built for processors that count bits in one instruction.
void Matcher::IntersectMappedCountingBits() { IntersectMapped<true>(); }

// A one-character term on a candidate page: every position is a place.
bool Matcher::CountPage(uint32_t& current) {
  const int64_t places = slots_[0].cursor.CountPositions();
  if (places < 0) return false;
  result_.pages.push_back(current);
  result_.placeCounts.push_back(static_cast<uint32_t>(places));
  if (current == UINT32_MAX) return false;
  ++current;
  return true;
}

// One looked-up character: every position of it is a place, and every page of its
// list a page of the result.
void Matcher::CountEveryPosition() {
  PostingCursor& cursor = slots_[0].cursor;
  for (;;) {
    const int64_t places = cursor.CountPositions();
    if (places < 0) return;
    result_.pages.push_back(cursor.Page());
    result_.placeCounts.push_back(static_cast<uint32_t>(places));
    if (cursor.AtLastPage() || !cursor.NextPage()) return;
  }
}

// The places on the current page of a term of one segment: the aligned positions
// every list has there. Reads the lists' position bytes in place and moves no
// cursor, so that when the page is not one it can take (-1: too many positions, or
// bytes running into another block, or bytes the general matcher must judge) that
// one starts from where it would have anyway. A page whose bytes all pass here is
// one on which the general matcher meets no damage either.
int64_t Matcher::CountSharedPositions() {
  uint32_t sparsest = 0;
  for (uint32_t k = 1; k < cursorCount_; ++k) {
    if (slots_[k].cursor.PositionBytesLeft() < slots_[sparsest].cursor.PositionBytesLeft())
      sparsest = k;
  }
  uint32_t shared = 0;
  if (!StartShared(slots_[sparsest], shared)) return -1;
  for (uint32_t k = 0; k < cursorCount_; ++k) {
    if (k != sparsest && !NarrowShared(slots_[k], shared)) return -1;
  }
  return shared;
}

// The aligned positions of `slot`'s page, as the first of the shared ones. False
// when the page is not one CountSharedPositions can take.
bool Matcher::StartShared(const Slot& slot, uint32_t& shared) {
  const PostingCursor& cursor = slot.cursor;
  const unsigned char* bytes = cursor.PositionBytesInBlock();
  if (bytes == nullptr || cursor.PositionBytesLeft() > kMaxSharedPositionBytes) return false;
  shared = 0;
  return ForEachAlignedPosition(bytes, cursor.PositionBytesLeft(), slot.alignment,
                                [&](uint64_t aligned) {
                                  shared_[shared++] = static_cast<uint32_t>(aligned);
                                  return true;
                                });
}

// Keeps, of the `shared` positions, those whose residues every list has
// (sharedResidues_): no other can be a place.
void Matcher::KeepSharedResidues(uint32_t& shared) {
  uint32_t kept = 0;
  for (uint32_t j = 0; j < shared; ++j) {
    shared_[kept] = shared_[j];
    kept += (sharedResidues_ >> (shared_[j] % 32)) & 1;
  }
  shared = kept;
}

// Keeps, of the `shared` positions, those `slot`'s page has too. With
// `stopEarly`, the page's bytes past the last shared position are not read.
bool Matcher::NarrowShared(const Slot& slot, uint32_t& shared, bool stopEarly) {
  const PostingCursor& cursor = slot.cursor;
  const unsigned char* bytes = cursor.PositionBytesInBlock();
  if (bytes == nullptr) return false;
  // Both runs ascend: keep, in place, the shared positions this list also has.
  // Unless the list's page map has shown every byte of the list sound, every
  // byte is read even once nothing is left to keep, so that no damage on the
  // page goes unseen.
  uint32_t kept = 0;
  uint32_t next = 0;
  if (!ForEachAlignedPosition(bytes, cursor.PositionBytesLeft(), slot.alignment,
                              [&](uint64_t aligned) {
                                while (next < shared && shared_[next] < aligned) ++next;
                                if (next < shared && shared_[next] == aligned)
                                  shared_[kept++] = shared_[next++];
                                return !stopEarly || next < shared;
                              })) {
    return false;
  }
  shared = kept;
  return true;
}

// A page every list has by its page map, for a term of one segment: the lists are
// brought to it one at a time, rarest first, narrowing the shared positions, and
// once none are left the others are not visited: their bytes could add no place.
// kEnd when matching must end (a list damaged, or not where its map said);
// kGeneral when the page needs the general matcher, with every cursor on it.
int64_t Matcher::CountOnMappedPage(uint32_t page) {
  uint32_t shared = 0;
  for (uint32_t i = 0; i < cursorCount_; ++i) {
    Slot& slot = slots_[order_[i]];
    if (!slot.cursor.JumpToMapEntry(mapEntries_[i], page)) return kEnd;
    const bool narrowed =
        i == 0 ? StartShared(slot, shared) : NarrowShared(slot, shared, stopsEarly_[i]);
    if (narrowed) {
      if (i == 0) KeepSharedResidues(shared);
      if (shared == 0) return 0;
      continue;
    }
    for (uint32_t j = i + 1; j < cursorCount_; ++j) {
      if (!slots_[order_[j]].cursor.JumpToMapEntry(mapEntries_[j], page)) return kEnd;
    }
    return kGeneral;
  }
  return shared;
}

// Counts the places on `current`, where every cursor stands at its first position.
// On return `current` is the next page worth looking at. False when matching must
// end (a damaged list, or no page can follow).
bool Matcher::MatchPage(uint32_t& current) {
  if (segmentCount_ == 1) {
    if (const int64_t places = CountSharedPositions(); places >= 0) {
      if (places > 0) {
        result_.pages.push_back(current);
        result_.placeCounts.push_back(static_cast<uint32_t>(places));
      }
      if (current == UINT32_MAX) return false;  // no page follows the last one
      ++current;
      return true;
    }
  }
  for (uint32_t k = 0; k < cursorCount_; ++k) {
    if (!ReadPosition(k)) return false;
  }
  // A page entry found damaged while its places are counted gives none: they
  // would rest on bytes that are not what the list says they are.
  uint32_t places = 0;
  auto damaged = [&] {
    if (places > 0) {
      result_.pages.pop_back();
      result_.placeCounts.pop_back();
    }
    return false;
  };
  auto pageDone = [&] {
    if (current == UINT32_MAX) return false;  // no page follows the last one
    ++current;
    return true;
  };
  for (;;) {
    uint32_t target = 0;
    uint32_t restart = 0;
    bool failed = false;
    // Contiguity: within each segment every cursor at the same A.
    for (uint32_t s = 0; s < segmentCount_ && !failed; ++s) {
      const SegmentCursors& segment = segments_[s];
      const uint32_t a = slots_[segment.first].aligned;
      for (uint32_t k = segment.first + 1; k < segment.end; ++k) {
        if (slots_[k].aligned != a) {
          failed = true;
          target = MaxAligned(segment.end);
          restart = segment.first;
          break;
        }
      }
    }
    // Gaps: each segment after the one before, at most 300 characters beyond it.
    for (uint32_t s = 1; s < segmentCount_ && !failed; ++s) {
      const SegmentCursors& earlier = segments_[s - 1];
      const uint32_t a = slots_[earlier.end - 1].aligned;
      const uint32_t b = slots_[segments_[s].first].aligned;
      if (b < a) {
        failed = true;
        target = MaxAligned(earlier.end);
        restart = earlier.first;
      } else if (b - a > kMaxGap) {
        // The earlier segment is too far behind: it must come within 300 of the
        // later one. Only it and the cursors after it move: a segment before it may
        // still reach it once it has moved on, so moving that one too (or every
        // cursor up to the highest) would lose places.
        failed = true;
        target = b - kMaxGap;
        restart = earlier.first;
      }
    }
    if (!failed) {
      if (places == 0) {
        result_.pages.push_back(current);
        result_.placeCounts.push_back(1);
      } else {
        ++result_.placeCounts.back();
      }
      ++places;
      // No place can start after the highest position there is.
      if (slots_[0].aligned == UINT32_MAX) return pageDone();
      target = slots_[0].aligned + 1;
      restart = 0;
    }
    // Advance the cursors behind the target. Every target is a position below
    // which the cursor can take part in no later place, so a cursor moves on until
    // it reaches the target rather than one position per attempt: the same places,
    // fewer attempts.
    for (uint32_t k = restart; k < cursorCount_; ++k) {
      while (slots_[k].aligned < target) {
        if (slots_[k].cursor.PositionBytesLeft() == 0) return pageDone();
        if (!ReadPosition(k)) return damaged();
      }
    }
  }
}

}  // namespace

TermPlan PlanTerm(std::u16string_view normalisedTerm, const VariantTable* variants) {
  TermPlan plan;
  uint32_t segment = 0;
  for (const char32_t c : ToCodePoints(normalisedTerm)) {
    if (c == U'*') {
      ++segment;
    } else if (c == U'?' || c == U'\uFF1F') {
      ++plan.queryPositions;
    } else if (const int32_t id = CharacterId(c); id >= 0) {
      TermLookup lookup{static_cast<uint32_t>(id), plan.queryPositions, segment};
      if (variants != nullptr) {
        if (const std::optional<uint32_t> group = variants->FindVariantGroup(c)) lookup.id = *group;
      }
      plan.lookups.push_back(lookup);
      ++plan.queryPositions;
    }
  }
  return plan;
}

TermMatch MatchTerm(const TermPlan& plan, const IndexTables& tables, TermMatch recycled) {
  TermMatch result;
  result.pages = std::move(recycled.pages);
  result.placeCounts = std::move(recycled.placeCounts);
  result.pages.clear();
  result.placeCounts.clear();
  if (tables.firstBlock == nullptr || tables.lastPage == nullptr) return result;
  Matcher(plan, tables, result).Run({}, /*filtered=*/false);
  return result;
}

TermMatch MatchTermOn(const TermPlan& plan, const IndexTables& tables,
                      std::span<const uint32_t> candidates) {
  TermMatch result;
  if (tables.firstBlock == nullptr || tables.lastPage == nullptr) return result;
  Matcher(plan, tables, result).Run(candidates, /*filtered=*/true);
  return result;
}

std::shared_ptr<const BlockDirectory> LookupDirectory(const TermLookup& lookup,
                                                      const IndexTables& tables) {
  return Directory(ListOf(lookup, tables));
}

bool AllListsThere(const TermPlan& plan, const IndexTables& tables) {
  if (tables.firstBlock == nullptr) return false;
  for (const TermLookup& lookup : plan.lookups) {
    if (!HasList(lookup, tables) || lookup.kind == LookupKind::kAbsentPair) return false;
  }
  return true;
}

uint32_t TermPageBound(const TermPlan& plan, const IndexTables& tables) {
  if (tables.firstBlock == nullptr || plan.lookups.empty() || plan.lookups.size() > kMaxCursors)
    return 0;
  for (const TermLookup& lookup : plan.lookups) {
    if (!HasList(lookup, tables) || lookup.kind == LookupKind::kAbsentPair) return 0;
  }
  if (tables.directories == nullptr) return UINT32_MAX;
  uint32_t bound = UINT32_MAX;
  for (const TermLookup& lookup : plan.lookups)
    bound = std::min(bound, Directory(ListOf(lookup, tables))->pageCount);
  return bound;
}

}  // namespace quillwen
