#pragma once

// Positions of a page's characters in the three index sets. Per set, counted
// from 0 on every page: each character of the text cell except white space takes
// the next position, and kUnusedPositionsBetweenBlocks positions are left unused
// between two blocks (paragraph, heading, annotation), so that no term, not even
// with "?" and "*", runs from one block into the next.
//
//   full text     every block, annotations where they stand
//   main text     annotations cut out: the main text on both sides of an
//                 annotation is contiguous
//   annotations   only the annotations, each a block of its own

#include <array>
#include <cstdint>
#include <vector>

#include "core/search/index_format.h"
#include "tools/builder/page_layout.h"

namespace quillwen::build {

struct PositionedCharacter {
  char32_t codePoint = 0;
  uint32_t position = 0;

  bool operator==(const PositionedCharacter&) const = default;
};

struct PagePositions {
  // Indexed by IndexScope; positions ascending in each.
  std::array<std::vector<PositionedCharacter>, 3> sets;

  const std::vector<PositionedCharacter>& Of(IndexScope scope) const { return sets[scope]; }
};

void AssignPositions(const LaidOutPage& page, PagePositions* positions);

}  // namespace quillwen::build
