#pragma once

// Breaking a volume into pages of about a set number of positioned characters,
// between blocks where possible.

#include <cstddef>
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

}  // namespace quillwen::build
