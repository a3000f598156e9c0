#include "bench/compare/plain_scan.h"

#include <gtest/gtest.h>

#include "tests/bench/compare/compare_collection.h"

namespace quillwen::bench::testing {
namespace {

TEST_F(CompareCollectionTest, PageTextsAreTheBuildersBlocks) {
  const std::vector<std::u32string_view> expected = {U"明月照二", U"其春風", U"白雲二", U"其",
                                                     U"雲二其"};
  EXPECT_EQ(BlocksOf(pages_[0]), expected);
  EXPECT_EQ(BlocksOf(pages_[1]),
            (std::vector<std::u32string_view>{U"白雲，深處二三四其", U"山䷀水雲深"}));
}

TEST_F(CompareCollectionTest, ScanFindsTheSearchsPagesOfEachTerm) {
  const PlainScan scan(pages_);
  for (const PeerCase& c : PeerCases()) {
    if (c.terms.size() != 1) continue;
    EXPECT_EQ(OurPages(c), c.pages) << c.label;
    EXPECT_EQ(scan.Pages(c.terms.front()), c.pages) << c.label;
  }
}

}  // namespace
}  // namespace quillwen::bench::testing
