#include "tools/builder/progress.h"

#include <gtest/gtest.h>

namespace quillwen::build {
namespace {

TEST(ProgressLineTest, ShowsPhasePercentCountAndRate) {
  EXPECT_EQ(ProgressLine("pages", 0.425, 1000, "pages", 2.0),
            "pages           42%  1000 pages  500 pages/s");
  EXPECT_EQ(ProgressLine("moving", 1.5, 0, "", 0.3), "moving         100%  0.3 s");
}

}  // namespace
}  // namespace quillwen::build
