#include "tools/builder/build_limits.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "tests/tools/builder/case_label.h"

namespace quillwen::build {
namespace {

struct LimitCase {
  const char* label;
  std::function<bool(std::string*)> atLimit;
  std::function<bool(std::string*)> beyond;
  std::string named;  // the limit the message names
};

std::vector<uint32_t> Consecutive(size_t count) {
  std::vector<uint32_t> positions(count);
  for (size_t i = 0; i < count; ++i) positions[i] = static_cast<uint32_t>(i + 1);
  return positions;
}

class BuildLimitTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(BuildLimitTest, AcceptsTheLimitAndNamesItBeyond) {
  std::string message;
  EXPECT_TRUE(GetParam().atLimit(&message)) << message;
  EXPECT_FALSE(GetParam().beyond(&message));
  EXPECT_NE(message.find(GetParam().named), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Limits, BuildLimitTest,
    ::testing::Values(
        LimitCase{"CatalogueRecords", [](std::string* m) { return CheckRecordCount(9999, m); },
                  [](std::string* m) { return CheckRecordCount(10000, m); }, "at most 9999"},
        LimitCase{"VariantGroups", [](std::string* m) { return CheckVariantGroupCount(11935, m); },
                  [](std::string* m) { return CheckVariantGroupCount(11936, m); }, "at most 11935"},
        LimitCase{"EntryIndex", [](std::string* m) { return CheckEntryIndex(4194303, m); },
                  [](std::string* m) { return CheckEntryIndex(4194304, m); }, "4,194,303"},
        LimitCase{"PageNumber", [](std::string* m) { return CheckPageNumber(65535, m); },
                  [](std::string* m) { return CheckPageNumber(65536, m); }, "65535"},
        LimitCase{"EntryName",
                  [](std::string* m) { return CheckEntryName(std::string(99, 'n'), 100, m); },
                  [](std::string* m) { return CheckEntryName(std::string(100, 'n'), 100, m); },
                  "name field holds 100"},
        LimitCase{"PositionBytes",
                  [](std::string* m) { return CheckPositionList(Consecutive(65535), m); },
                  [](std::string* m) { return CheckPositionList(Consecutive(65536), m); },
                  "at most 65535"},
        LimitCase{
            "PositionDelta",
            [](std::string* m) {
              return CheckPositionList(std::vector<uint32_t>{5, 4194308}, m);
            },
            [](std::string* m) { return CheckPositionList(std::vector<uint32_t>{4194304}, m); },
            "4,194,303"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(VarNumLengthTest, FollowsTheEncoding) {
  EXPECT_EQ(VarNumLength(0), 1u);
  EXPECT_EQ(VarNumLength(127), 1u);
  EXPECT_EQ(VarNumLength(128), 2u);
  EXPECT_EQ(VarNumLength(16383), 2u);
  EXPECT_EQ(VarNumLength(16384), 3u);
  EXPECT_EQ(VarNumLength(4194303), 3u);
}

TEST(PositionListTest, CountsMultiByteDeltas) {
  // 21845 deltas of 3 bytes make 65535 bytes; one more byte is too many.
  std::vector<uint32_t> positions;
  for (uint32_t i = 1; i <= 21845; ++i) positions.push_back(i * 16384);
  std::string message;
  EXPECT_TRUE(CheckPositionList(positions, &message)) << message;
  positions.push_back(positions.back() + 1);
  EXPECT_FALSE(CheckPositionList(positions, &message));
}

}  // namespace
}  // namespace quillwen::build
