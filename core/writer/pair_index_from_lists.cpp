#include "core/writer/pair_index_from_lists.h"

#include <algorithm>
#include <numeric>
#include <span>

#include "core/search/character_id.h"
#include "core/search/variant_fit.h"

namespace quillwen {
namespace {

// Pages whose positions are gathered at once.
constexpr uint32_t kWindowPages = 2048;
// A fault brings in the pages around it too, of other lists, which the release
// of the blocks a list has left never meets: every so many windows all the
// postings leave resident memory, and every list walked meets a fault again.
constexpr uint32_t kWindowsPerRelease = 8;

// Walks the lists of the candidates together, a window of pages at a time, and
// hands each page's places to a writer.
class ListWalk {
 public:
  ListWalk(const CIndex& index, std::span<const uint32_t> candidates)
      : index_(index), tables_(index.Tables()), candidates_(candidates) {
    const VariantTable& variants = index.Variants();
    if (!variants.Groups().empty() && IndexHasVariantGroups(index.FirstBlock())) {
      groupOf_.assign(kIdentifierCount, kNoIdentifier);
      for (const std::vector<char32_t>& group : variants.Groups()) {
        for (const char32_t member : group) {
          const int32_t id = CharacterId(member);
          if (id < 0 || groupOf_[static_cast<uint32_t>(id)] != kNoIdentifier) continue;
          if (const std::optional<uint32_t> first = variants.FindVariantGroup(member))
            groupOf_[static_cast<uint32_t>(id)] = *first;
        }
      }
    }
  }

  bool GroupPairs() const { return !groupOf_.empty(); }

  bool Run(PairIndexWriter& writer, std::string* error);

 private:
  struct PositionAt {
    uint32_t page;  // within the window
    uint32_t position;
    uint32_t candidate;
  };

  bool Damaged(uint32_t candidate, std::string* error) const {
    *error = index_.PostingsPath().string() + ": the list of identifier " +
             std::to_string(candidates_[candidate]) + " is damaged";
    return false;
  }
  bool GatherWindow(uint32_t* windowStart, std::string* error);
  void PlacesOfPage(std::span<PositionAt> positions);

  const CIndex& index_;
  const IndexTables tables_;
  std::span<const uint32_t> candidates_;
  std::vector<uint32_t> groupOf_;  // character identifier -> its group's
  std::vector<PostingCursor> cursors_;
  std::vector<uint32_t> active_;
  std::vector<PositionAt> gathered_;
  std::vector<uint32_t> pageStarts_;
  std::vector<PositionAt> byPage_;
  // The identifiers at each position of a page's range, kNoIdentifier between
  // pages.
  std::vector<uint32_t> characterAt_;
  std::vector<uint32_t> groupAt_;
  std::vector<PairPlace> places_;
};

// The page's places by position: a table over its range where the range is not
// much wider than its positions (gaps between blocks are a few hundred), which
// takes no sort; sorted positions otherwise.
void ListWalk::PlacesOfPage(std::span<PositionAt> positions) {
  uint32_t lowest = UINT32_MAX;
  uint32_t highest = 0;
  for (const PositionAt& at : positions) {
    lowest = std::min(lowest, at.position);
    highest = std::max(highest, at.position);
  }
  places_.clear();
  const auto isGroup = [&](const PositionAt& at) {
    return candidates_[at.candidate] >= VariantIdBase;
  };
  const uint64_t range = uint64_t{highest} - lowest + 1;
  if (range <= 8 * uint64_t{positions.size()} + 4096) {
    if (characterAt_.size() < range) {
      characterAt_.resize(range, kNoIdentifier);
      groupAt_.resize(range, kNoIdentifier);
    }
    for (const PositionAt& at : positions) {
      uint32_t& id = (isGroup(at) ? groupAt_ : characterAt_)[at.position - lowest];
      id = std::min(id, candidates_[at.candidate]);
    }
    for (uint32_t offset = 0; offset < range; ++offset) {
      if (characterAt_[offset] == kNoIdentifier && groupAt_[offset] == kNoIdentifier) continue;
      places_.push_back({lowest + offset, characterAt_[offset], groupAt_[offset]});
      characterAt_[offset] = kNoIdentifier;
      groupAt_[offset] = kNoIdentifier;
    }
  } else {
    std::sort(positions.begin(), positions.end(),
              [](const PositionAt& x, const PositionAt& y) { return x.position < y.position; });
    for (const PositionAt& at : positions) {
      if (places_.empty() || places_.back().position != at.position)
        places_.push_back({at.position, kNoIdentifier, kNoIdentifier});
      uint32_t& id = isGroup(at) ? places_.back().group : places_.back().character;
      id = std::min(id, candidates_[at.candidate]);
    }
  }
  // A character whose group's list is not walked still belongs to it: a search
  // that counts variants looks up the group, which the file must not answer
  // with the character's own pairs.
  if (!groupOf_.empty()) {
    for (PairPlace& place : places_) {
      if (place.group == kNoIdentifier && place.character != kNoIdentifier)
        place.group = groupOf_[place.character];
    }
  }
}

// The positions of the active lists on the pages of the next window, which
// starts at the first page any of them is on. Lists that end are let go of.
bool ListWalk::GatherWindow(uint32_t* windowStart, std::string* error) {
  *windowStart = UINT32_MAX;
  for (const uint32_t c : active_) *windowStart = std::min(*windowStart, cursors_[c].Page());
  const uint64_t windowEnd = uint64_t{*windowStart} + kWindowPages;
  gathered_.clear();
  for (size_t i = 0; i < active_.size();) {
    const uint32_t c = active_[i];
    PostingCursor& cursor = cursors_[c];
    const uint32_t blockBefore = cursor.Block();
    bool ended = false;
    while (cursor.Page() < windowEnd) {
      const uint32_t page = cursor.Page() - *windowStart;
      while (cursor.PositionBytesLeft() > 0 && cursor.NextPosition())
        gathered_.push_back({page, cursor.Position(), c});
      if (cursor.Damaged() || cursor.AtLastPage()) {
        ended = true;
        break;
      }
      if (!cursor.NextPage()) break;
    }
    if (cursor.Damaged()) return Damaged(c, error);
    // The blocks the list has left are not read again: they leave resident
    // memory, where thousands of lists at once would otherwise keep the whole
    // postings file.
    const uint32_t last = ended ? cursor.Block() + 1 : cursor.Block();
    if (last > blockBefore) {
      index_.ReleaseResidentPostings(size_t{blockBefore} * kBlockSize,
                                     size_t{last - blockBefore} * kBlockSize);
    }
    if (ended) {
      active_[i] = active_.back();
      active_.pop_back();
    } else {
      ++i;
    }
  }
  return true;
}

bool ListWalk::Run(PairIndexWriter& writer, std::string* error) {
  cursors_.resize(candidates_.size());
  for (uint32_t c = 0; c < candidates_.size(); ++c) {
    const uint32_t id = candidates_[c];
    if (!cursors_[c].Start(tables_.postings, tables_.firstBlock[id], tables_.lastPage[id]))
      return Damaged(c, error);
    active_.push_back(c);
  }
  uint32_t windowsSinceRelease = 0;
  while (!active_.empty()) {
    uint32_t windowStart = 0;
    if (!GatherWindow(&windowStart, error)) return false;
    pageStarts_.assign(size_t{kWindowPages} + 1, 0);
    for (const PositionAt& at : gathered_) ++pageStarts_[at.page + 1];
    std::partial_sum(pageStarts_.begin(), pageStarts_.end(), pageStarts_.begin());
    byPage_.resize(gathered_.size());
    std::vector<uint32_t> next(pageStarts_.begin(), pageStarts_.end() - 1);
    for (const PositionAt& at : gathered_) byPage_[next[at.page]++] = at;
    for (uint32_t page = 0; page < kWindowPages; ++page) {
      const uint32_t begin = pageStarts_[page];
      const uint32_t end = pageStarts_[page + 1];
      if (end - begin < 2) continue;
      PlacesOfPage({byPage_.data() + begin, end - begin});
      if (!writer.AddPage(windowStart + page, places_)) {
        *error = writer.Error();
        return false;
      }
    }
    if (++windowsSinceRelease == kWindowsPerRelease) {
      windowsSinceRelease = 0;
      index_.ReleaseResidentPostings(0, SIZE_MAX);
    }
  }
  index_.ReleaseResidentPostings(0, SIZE_MAX);
  return true;
}

}  // namespace

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

bool WritePairIndex(const CIndex& index, const std::filesystem::path& file,
                    PairIndexOptions options, PairIndexSummary* summary, std::string* error) {
  if (!index.IsOpen()) {
    *error = file.string() + ": its index set is not open";
    return false;
  }
  if (options.runFolder.empty()) {
    options.runFolder = file.parent_path();
    options.runName = "." + file.filename().string();
  }
  const std::vector<uint32_t> candidates = CommonestIdentifiers(index, options.maxCandidates);
  ListWalk walk(index, candidates);
  PairIndexWriter writer(candidates, walk.GroupPairs(), options);
  if (!walk.Run(writer, error)) return false;
  const uint64_t servedBytes =
      index.Postings().size() + kNextBlockOffset + 4 * uint64_t{index.NextBlock().size()};
  if (!writer.Write(file, ServedIndexOf(index),
                    options.maxBytes != 0 ? options.maxBytes : servedBytes, summary)) {
    *error = writer.Error();
    return false;
  }
  return true;
}

}  // namespace quillwen
