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

// A place in a block: run `run`, code point `index` of it.
struct Cursor {
  size_t run = 0;
  size_t index = 0;
};

// Where a block is cut; a cut at a line break drops the '\n' itself.
struct Cut {
  Cursor at;
  bool atLineBreak = false;
  size_t count = 0;  // positioned characters before the cut
};

// The best cut after `from` that leaves at most `room` (>= 1) positioned
// characters before it. Reads no further than the room, so cutting a long block
// page by page stays linear.
Cut ChooseCut(const TextBlock& block, Cursor from, size_t room) {
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
TextBlock Extract(const TextBlock& block, Cursor from, Cursor to) {
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
Cursor SkipLineBreaks(const TextBlock& block, Cut cut) {
  Cursor at = cut.at;
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

class PageFiller {
 public:
  explicit PageFiller(size_t limit) : limit_(std::max<size_t>(1, limit)) {}

  void Add(TextBlock block) {
    size_t size = PositionedCharacterCount(block);
    Cursor from;
    bool whole = true;
    while (true) {
      const size_t room = limit_ - count_;
      if (size <= room) {
        Put(whole ? std::move(block) : Extract(block, from, {block.runs.size(), 0}), size);
        return;
      }
      // A full page that ends in a heading gives it to the next page with the
      // text it heads.
      if (room == 0) {
        if (HasParagraph())
          BreakPageCarryingHeadings();
        else
          Flush();
        continue;
      }
      if (HasParagraph() && (size <= limit_ || room < limit_ / 4)) {
        BreakPageCarryingHeadings();
        continue;
      }
      const Cut cut = ChooseCut(block, from, room);
      Put(Extract(block, from, cut.at), cut.count);
      Flush();
      from = SkipLineBreaks(block, cut);
      whole = false;
      size -= cut.count;
    }
  }

  std::vector<LaidOutPage> Finish() {
    if (!page_.blocks.empty() || pages_.empty()) Flush();
    return std::move(pages_);
  }

 private:
  void Put(TextBlock block, size_t size) {
    if (!block.runs.empty()) page_.blocks.push_back(std::move(block));
    count_ += size;
  }

  bool HasParagraph() const {
    return std::any_of(page_.blocks.begin(), page_.blocks.end(),
                       [](const TextBlock& b) { return b.kind == BlockKind::kParagraph; });
  }

  void BreakPageCarryingHeadings() {
    std::vector<TextBlock> carried;
    while (!page_.blocks.empty() && page_.blocks.back().kind == BlockKind::kHeading) {
      carried.insert(carried.begin(), std::move(page_.blocks.back()));
      page_.blocks.pop_back();
    }
    Flush();
    for (TextBlock& heading : carried) {
      const size_t size = PositionedCharacterCount(heading);
      Put(std::move(heading), size);
    }
  }

  void Flush() {
    pages_.push_back(std::move(page_));
    page_ = {};
    count_ = 0;
  }

  size_t limit_;
  size_t count_ = 0;
  LaidOutPage page_;
  std::vector<LaidOutPage> pages_;
};

}  // namespace

std::vector<LaidOutPage> LayOutPages(std::vector<TextBlock> blocks, size_t charactersPerPage) {
  PageFiller filler(charactersPerPage);
  for (TextBlock& block : blocks) filler.Add(std::move(block));
  return filler.Finish();
}

}  // namespace quillwen::build
