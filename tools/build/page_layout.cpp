#include "tools/build/page_layout.h"

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

// Where a block is cut: the head keeps run `run` up to, not including, `index`.
// A cut at a line break drops the '\n' itself.
struct Cut {
  size_t run = 0;
  size_t index = 0;
  bool atLineBreak = false;
};

// The best cut that leaves at most `room` (>= 1) positioned characters in the head.
Cut ChooseCut(const TextBlock& block, size_t room) {
  const size_t wanted = std::max<size_t>(1, room / 2);
  Cut best;
  int bestPriority = -1;
  size_t count = 0;
  char32_t previous = 0;
  for (size_t r = 0; r < block.runs.size(); ++r) {
    const std::u32string& text = block.runs[r].text;
    for (size_t i = 0; i < text.size(); ++i) {
      const char32_t c = text[i];
      if (c == U'\n') {
        if (count >= wanted && bestPriority <= 3) best = {r, i, true}, bestPriority = 3;
        continue;
      }
      if (IsUnpositionedSpace(c)) continue;
      if (count == room) return bestPriority >= 0 ? best : Cut{r, i, false};
      ++count;
      int priority = -1;
      if (IsSentenceEnd(c) || (IsCloser(c) && IsSentenceEnd(previous))) {
        priority = 2;
      } else if (IsClauseEnd(c)) {
        priority = 1;
      }
      if (priority >= 0 && count >= wanted && priority >= bestPriority) {
        best = {r, i + 1, false};
        bestPriority = priority;
      }
      previous = c;
    }
  }
  // Only reached when the whole block fits, which callers rule out.
  return Cut{block.runs.size(), 0, false};
}

void AppendRun(std::vector<TextRun>& runs, bool annotation, std::u32string text) {
  if (!text.empty()) runs.push_back(TextRun{annotation, std::move(text)});
}

std::pair<TextBlock, TextBlock> SplitBlock(TextBlock block, size_t room) {
  const Cut cut = ChooseCut(block, room);
  TextBlock head{block.kind, {}};
  TextBlock tail{block.kind, {}};
  for (size_t r = 0; r < block.runs.size(); ++r) {
    TextRun& run = block.runs[r];
    if (r < cut.run) {
      head.runs.push_back(std::move(run));
    } else if (r > cut.run) {
      tail.runs.push_back(std::move(run));
    } else {
      AppendRun(head.runs, run.annotation, run.text.substr(0, cut.index));
      size_t rest = cut.index + (cut.atLineBreak ? 1 : 0);
      while (rest < run.text.size() && run.text[rest] == U'\n') ++rest;
      AppendRun(tail.runs, run.annotation, run.text.substr(std::min(rest, run.text.size())));
    }
  }
  return {std::move(head), std::move(tail)};
}

class PageFiller {
 public:
  explicit PageFiller(size_t limit) : limit_(std::max<size_t>(1, limit)) {}

  void Add(TextBlock block) {
    size_t size = PositionedCharacterCount(block);
    while (true) {
      const size_t room = limit_ - count_;
      if (size <= room) {
        Put(std::move(block), size);
        return;
      }
      if (room == 0) {
        Flush();
        continue;
      }
      if (HasParagraph() && (size <= limit_ || room < limit_ / 4)) {
        BreakPageCarryingHeadings();
        continue;
      }
      auto [head, tail] = SplitBlock(std::move(block), room);
      Put(std::move(head), PositionedCharacterCount(head));
      Flush();
      block = std::move(tail);
      size = PositionedCharacterCount(block);
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
