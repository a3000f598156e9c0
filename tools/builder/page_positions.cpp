#include "tools/builder/page_positions.h"

#include "core/search/query.h"

namespace quillwen::build {
namespace {

// Hands out the positions of one set. A segment that takes no position leaves
// no gap behind it.
class PositionCounter {
 public:
  explicit PositionCounter(std::vector<PositionedCharacter>& out) : out_(out) {}

  void BeginSegment() { segmentOpen_ = false; }

  void Add(const std::u32string& text) {
    for (char32_t c : text) {
      if (IsUnpositionedSpace(c)) continue;
      if (!segmentOpen_) {
        if (anyTaken_) next_ += kUnusedPositionsBetweenBlocks;
        segmentOpen_ = true;
        anyTaken_ = true;
      }
      out_.push_back(PositionedCharacter{c, next_++});
    }
  }

 private:
  std::vector<PositionedCharacter>& out_;
  uint32_t next_ = 0;
  bool segmentOpen_ = false;
  bool anyTaken_ = false;
};

}  // namespace

void AssignPositions(const LaidOutPage& page, PagePositions* positions) {
  for (auto& set : positions->sets) set.clear();
  PositionCounter full(positions->sets[ScopeFullText]);
  PositionCounter main(positions->sets[ScopeMainText]);
  PositionCounter notes(positions->sets[ScopeAnnotations]);
  for (const TextBlock& block : page.blocks) {
    main.BeginSegment();
    for (const TextRun& run : block.runs) {
      full.BeginSegment();
      full.Add(run.text);
      if (run.annotation) {
        notes.BeginSegment();
        notes.Add(run.text);
      } else {
        main.Add(run.text);
      }
    }
  }
}

}  // namespace quillwen::build
