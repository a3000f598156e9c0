#pragma once

// The text of a volume as the builder sees it once the source is read: blocks
// (paragraphs and headings) made of runs of main text and annotations. A page
// holds whole blocks or pieces of one.

#include <string>
#include <vector>

namespace quillwen::build {

enum class BlockKind { kParagraph, kHeading };

struct TextRun {
  bool annotation = false;
  // Code points as written; '\n' marks a line break inside a paragraph.
  std::u32string text;

  bool operator==(const TextRun&) const = default;
};

struct TextBlock {
  BlockKind kind = BlockKind::kParagraph;
  std::vector<TextRun> runs;

  bool operator==(const TextBlock&) const = default;
};

// A block as it arrives from a volume being read: whole, or, when it is long,
// in parts, so that no more than a part of it is held at once.
struct BlockPart {
  TextBlock text;             // the block's kind and the runs of this part
  bool startsBlock = true;    // the first part of its block
  bool endsBlock = true;      // the last part of its block
  bool continuesRun = false;  // its first run goes on with the previous part's last run
};

// The white space that takes no position: tab, line feed, carriage return,
// space and the ideographic space.
inline bool IsUnpositionedSpace(char32_t c) {
  return c == 0x09 || c == 0x0A || c == 0x0D || c == 0x20 || c == 0x3000;
}

// The characters of a block that take a position: all but white space.
size_t PositionedCharacterCount(const TextBlock& block);

}  // namespace quillwen::build
