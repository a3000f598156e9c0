#include "tools/builder/page_layout.h"

#include <algorithm>
#include <utility>

namespace quillwen::build {
namespace {

bool IsSentenceEnd(char32_t c) {
  return c == U'。' || c == U'！' || c == U'？' || c == U'；' || c == U'!' || c == U'?' ||
         c == U';' || c == U'.';
}

bool IsCloser(char32_t c) {
  return c == U'」' || c == U'』' || c == U'”' || c == U'’' || c == U'）' || c == U')' ||
         c == U'》' || c == U'〉';
}

bool IsClauseEnd(char32_t c) {
  return c == U'，' || c == U'、' || c == U'：' || c == U',' || c == U':';
}

// Where a block is cut; a cut at a line break drops the '\n' itself.
struct Cut {
  BlockPlace at;
  bool atLineBreak = false;
  size_t count = 0;  // positioned characters before the cut
};

// The best cut after `from` that leaves at most `room` (>= 1) positioned
// characters before it. Reads no further than the room, so cutting a long block
// page by page stays linear.
Cut ChooseCut(const TextBlock& block, BlockPlace from, size_t room) {
  const size_t wanted = std::max<size_t>(1, room / 2);
  Cut best;
  int bestPriority = -1;
  size_t count = 0;
  char32_t previous = 0;
  for (size_t r = from.run; r < block.runs.size(); ++r) {
    const std::u32string& text = block.runs[r].text;
    for (size_t i = r == from.run ? from.index : 0; i < text.size(); ++i) {
      const char32_t c = text[i];
      if (c == U'\n') {
        if (count >= wanted) best = {{r, i}, true, count}, bestPriority = 3;
        continue;
      }
      if (IsUnpositionedSpace(c)) continue;
      if (count == room) return bestPriority >= 0 ? best : Cut{{r, i}, false, count};
      ++count;
      int priority = -1;
      if (IsSentenceEnd(c) || (IsCloser(c) && IsSentenceEnd(previous))) {
        priority = 2;
      } else if (IsClauseEnd(c)) {
        priority = 1;
      }
      if (priority >= 0 && count >= wanted && priority >= bestPriority) {
        best = {{r, i + 1}, false, count};
        bestPriority = priority;
      }
      previous = c;
    }
  }
  return Cut{{block.runs.size(), 0}, false, count};  // the rest fits
}

// Copies the part of `block` from `from` up to `to` (the end when `to.run` is
// past the last run).
TextBlock Extract(const TextBlock& block, BlockPlace from, BlockPlace to) {
  TextBlock part{block.kind, {}};
  for (size_t r = from.run; r < block.runs.size() && r <= to.run; ++r) {
    const std::u32string& text = block.runs[r].text;
    const size_t begin = r == from.run ? std::min(from.index, text.size()) : 0;
    const size_t end = r == to.run ? std::min(to.index, text.size()) : text.size();
    if (end > begin)
      part.runs.push_back(TextRun{block.runs[r].annotation, text.substr(begin, end - begin)});
  }
  return part;
}

// After a cut: past the cut's line break and any line breaks that follow, so
// that no page starts with an empty line.
BlockPlace SkipLineBreaks(const TextBlock& block, Cut cut) {
  BlockPlace at = cut.at;
  if (cut.atLineBreak) ++at.index;
  while (at.run < block.runs.size()) {
    const std::u32string& text = block.runs[at.run].text;
    while (at.index < text.size() && text[at.index] == U'\n') ++at.index;
    if (at.index < text.size()) break;
    ++at.run;
    at.index = 0;
  }
  return at;
}

}  // namespace

PageFiller::PageFiller(size_t charactersPerPage, PageSink sink)
    : limit_(std::max<size_t>(1, charactersPerPage)), sink_(std::move(sink)) {}

bool PageFiller::Add(BlockPart part) {
  if (stopped_) return false;
  if (part.startsBlock || !blockOpen_) {
    block_ = TextBlock{part.text.kind, {}};
    blockOpen_ = true;
    whole_ = true;
    from_ = {};
    size_ = 0;
  }
  size_ += PositionedCharacterCount(part.text);
  auto next = part.text.runs.begin();
  if (part.continuesRun && !block_.runs.empty() && next != part.text.runs.end())
    block_.runs.back().text += (next++)->text;
  block_.runs.insert(block_.runs.end(), std::make_move_iterator(next),
                     std::make_move_iterator(part.text.runs.end()));
  blockEnded_ = part.endsBlock;
  const bool placed = Place();
  DropPlacedText();
  return placed;
}

// Places what can be placed of the block at hand. Until the block has ended,
// only text more than a page ahead of its end is placed: every choice then is
// the one the whole block would get, since a block longer than a page is cut
// the same whatever its length, and each cut looks no further than a page.
bool PageFiller::Place() {
  while (blockOpen_ && !stopped_) {
    const size_t room = limit_ - count_;
    if (blockEnded_ && size_ <= room) {
      Put(whole_ ? std::move(block_) : Extract(block_, from_, {block_.runs.size(), 0}), size_);
      block_ = {};
      blockOpen_ = false;
      break;
    }
    if (!blockEnded_ && size_ <= limit_) break;  // whether it fits is not known yet
    // A full page that ends in a heading gives it to the next page with the
    // text it heads.
    if (room == 0) {
      if (HasParagraph()) {
        BreakPageCarryingHeadings();
      } else {
        Flush();
      }
      continue;
    }
    if (HasParagraph() && (size_ <= limit_ || room < limit_ / 4)) {
      BreakPageCarryingHeadings();
      continue;
    }
    const Cut cut = ChooseCut(block_, from_, room);
    Put(Extract(block_, from_, cut.at), cut.count);
    Flush();
    from_ = SkipLineBreaks(block_, cut);
    whole_ = false;
    size_ -= cut.count;
  }
  return !stopped_;
}

// Lets go of the text already on pages, so that a long block is held a part at
// a time.
void PageFiller::DropPlacedText() {
  if (!blockOpen_ || (from_.run == 0 && from_.index == 0)) return;
  auto& runs = block_.runs;
  if (from_.run < runs.size()) runs[from_.run].text.erase(0, from_.index);
  runs.erase(runs.begin(), runs.begin() + static_cast<std::ptrdiff_t>(from_.run));
  from_ = {};
}

bool PageFiller::Finish() {
  if (stopped_) return false;
  if (!page_.blocks.empty() || pagesFilled_ == 0) return Flush();
  return true;
}

void PageFiller::Put(TextBlock block, size_t size) {
  if (!block.runs.empty()) page_.blocks.push_back(std::move(block));
  count_ += size;
}

bool PageFiller::HasParagraph() const {
  return std::any_of(page_.blocks.begin(), page_.blocks.end(),
                     [](const TextBlock& b) { return b.kind == BlockKind::kParagraph; });
}

bool PageFiller::BreakPageCarryingHeadings() {
  std::vector<TextBlock> carried;
  while (!page_.blocks.empty() && page_.blocks.back().kind == BlockKind::kHeading) {
    carried.insert(carried.begin(), std::move(page_.blocks.back()));
    page_.blocks.pop_back();
  }
  if (!Flush()) return false;
  for (TextBlock& heading : carried) {
    const size_t size = PositionedCharacterCount(heading);
    Put(std::move(heading), size);
  }
  return true;
}

bool PageFiller::Flush() {
  LaidOutPage page = std::move(page_);
  page_ = {};
  count_ = 0;
  ++pagesFilled_;
  if (!sink_(std::move(page))) stopped_ = true;
  return !stopped_;
}

std::vector<LaidOutPage> LayOutPages(std::vector<TextBlock> blocks, size_t charactersPerPage) {
  std::vector<LaidOutPage> pages;
  PageFiller filler(charactersPerPage, [&pages](LaidOutPage&& page) {
    pages.push_back(std::move(page));
    return true;
  });
  for (TextBlock& block : blocks) filler.Add(std::move(block));
  filler.Finish();
  return pages;
}

}  // namespace quillwen::build
