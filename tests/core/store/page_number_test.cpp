#include "core/store/page_number.h"

#include <gtest/gtest.h>

namespace quillwen {
namespace {

struct PageNumberCase {
  std::string name;
  std::optional<int> expected;
};

class PageNumberTest : public ::testing::TestWithParam<PageNumberCase> {};

TEST_P(PageNumberTest, ReadsTheTextBetweenBackslashAndFullStop) {
  EXPECT_EQ(PageNumberFromEntryName(GetParam().name), GetParam().expected) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, PageNumberTest,
    ::testing::Values(PageNumberCase{"V00012\\12.htm", 12}, PageNumberCase{"V\\0.htm", 0},
                      PageNumberCase{"no backslash.htm", std::nullopt},
                      PageNumberCase{"V\\12", std::nullopt},    // no full stop after it
                      PageNumberCase{"V.x\\12", std::nullopt},  // the full stop is before it
                      PageNumberCase{"a\\b\\7.htm", 0},         // text begins with b
                      PageNumberCase{"V\\ \t-3.htm", -3},       // white space and a sign
                      PageNumberCase{"V\\+8x.htm", 8},          // digits up to another character
                      PageNumberCase{"V\\.htm", 0},             // no digits
                      PageNumberCase{"V\\123456789012345.htm",
                                     2147483647},                  // only 11 read, saturated
                      PageNumberCase{"V\\00000000000123.htm", 0},  // 11 zeros read, the 123 not
                      PageNumberCase{"V\\-99999999999.htm", -2147483648}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

}  // namespace
}  // namespace quillwen
