#pragma once

// Breaking a volume into pages of about a set number of positioned characters,
// between blocks where possible.

#include <cstddef>
#include <functional>
#include <vector>

#include "tools/builder/text_block.h"

namespace quillwen::build {

inline constexpr size_t kDefaultCharactersPerPage = 240;

struct LaidOutPage {
  std::vector<TextBlock> blocks;
};

// Fills pages with whole blocks up to `charactersPerPage` positioned characters
// (at least 1). A block that does not fit starts the next page, taking the
// headings that end the page along with it (so does a block after a page that
// headings filled up); a block longer than a page, or one that
// would leave more than a quarter of a page empty, is split: at a line break
// where possible, else after a full stop, else after a comma, else exactly at
// the limit. No page has more than the limit; a volume without text still has
// one (empty) page.
std::vector<LaidOutPage> LayOutPages(std::vector<TextBlock> blocks, size_t charactersPerPage);

// A place in a block: run `run`, code point `index` of it.
struct BlockPlace {
  size_t run = 0;
  size_t index = 0;
};

// Takes each page as it is filled; false stops the filling.
using PageSink = std::function<bool(LaidOutPage&&)>;

// LayOutPages as the blocks arrive, handing each page on as soon as it is full:
// memory holds one page and at most a page and a part of the block at hand,
// however long the volume. Blocks in parts are laid out as if they came whole.
class PageFiller {
 public:
  PageFiller(size_t charactersPerPage, PageSink sink);

  // False once the sink stopped the filling.
  bool Add(BlockPart part);
  bool Add(TextBlock block) { return Add(BlockPart{std::move(block)}); }
  // Hands on the last page (an empty one when the volume had no text).
  bool Finish();

  size_t PagesFilled() const { return pagesFilled_; }

 private:
  bool Place();
  void DropPlacedText();
  void Put(TextBlock block, size_t size);
  bool HasParagraph() const;
  bool BreakPageCarryingHeadings();
  bool Flush();

  size_t limit_;
  PageSink sink_;
  bool stopped_ = false;
  size_t pagesFilled_ = 0;
  size_t count_ = 0;  // positioned characters on the page being filled
  LaidOutPage page_;
  // The block at hand: its text from `from_` on is not placed yet and has
  // `size_` positioned characters.
  TextBlock block_;
  bool blockOpen_ = false;
  bool blockEnded_ = false;
  bool whole_ = true;  // nothing of it placed yet
  BlockPlace from_;
  size_t size_ = 0;
};

}  // namespace quillwen::build
