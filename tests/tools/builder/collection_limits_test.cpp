// Each format limit stops a build with a message naming the limit and where it
// was met, and leaves the data folder as it was.

#include <gtest/gtest.h>

#include <cstdio>

#include "core/store/catalogue.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/builder/collection_fixture.h"

namespace quillwen::build {
namespace {

namespace fs = std::filesystem;
using testing::CollectionFixture;

std::string Repeat(const char* c, size_t n) {
  std::string out;
  out.reserve(n * 3);
  for (size_t i = 0; i < n; ++i) out += c;
  return out;
}

class CollectionLimitTest : public ::testing::Test, public CollectionFixture {
 protected:
  void ExpectRefused(const std::vector<std::string>& parts) {
    EXPECT_FALSE(Build());
    for (const std::string& part : parts)
      EXPECT_NE(Error().find(part), std::string::npos) << Error();
    EXPECT_FALSE(fs::exists(Data()));
  }
};

TEST_F(CollectionLimitTest, CatalogueHoldsAtMost9999Records) {
  // One category and one book leave room for 9997 volumes.
  for (int i = 1; i <= 9997; ++i) WriteSource("經/書/" + std::to_string(i) + ".txt", "");
  ASSERT_TRUE(Build()) << Error();
  quillwen::testing::RecordingMessageSink sink;
  int records = 0;
  LoadCatalogue(
      Data(), [&](int, const CatalogueRecord&) { ++records; }, sink, Data() / "mvr.txt");
  EXPECT_EQ(records, 9999);

  WriteSource("經/書/9998.txt", "");
  fs::remove_all(Data());
  ExpectRefused({"the collection needs 10000 catalogue records", "at most 9999"});
}

TEST_F(CollectionLimitTest, VariantTableHoldsAtMost11935Groups) {
  WriteSource("經/書/卷.txt", "一");
  std::string lines;
  char line[64];
  for (unsigned i = 0; i < 11936; ++i) {
    std::snprintf(line, sizeof line, "U+%X\tkZVariant\tU+%X\n", 0x4E00 + 2 * i, 0x4E01 + 2 * i);
    lines += line;
  }
  UseUnihanVariants(lines);
  ExpectRefused({"the variant table has 11936 groups", "at most 11935"});
}

TEST_F(CollectionLimitTest, PositionsOfOneCharacterFitTheir16BitByteCount) {
  Options().charactersPerPage = 70000;
  WriteSource("經/書/卷.txt", Repeat("甲", 65536));
  ExpectRefused({"卷.txt page 1 (entry V00001\\1.htm)", "the full text, character U+7532 甲",
                 "take 65536 bytes", "allows at most 65535"});
}

TEST_F(CollectionLimitTest, PositionDeltasFitAVarNum) {
  Options().charactersPerPage = 5000000;
  WriteSource("經/書/卷.txt", std::string(4194304, 'a') + "甲");
  ExpectRefused({"卷.txt page 1", "character U+7532", "position 4194304", "4,194,303"});
}

TEST_F(CollectionLimitTest, PageNumbersStay16Bit) {
  struct {
    const char* label;
    size_t charactersPerPage;
    std::string text;
    std::string refusal;
  } const cases[] = {
      // Known from the number of characters before any page is laid out.
      {"TooManyCharacters", 1, Repeat("甲", 65536), "卷.txt: the volume has at least 65536 pages"},
      // Paragraphs of two on pages of three: every page holds one, and the
      // characters alone would need only 43691 pages.
      {"PagesNotFull", 3, Repeat("甲乙\n\n", 65536),
       "卷.txt: the volume has more than 65535 pages"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Options().charactersPerPage = c.charactersPerPage;
    WriteSource("經/書/卷.txt", c.text);
    ExpectRefused({c.refusal, "page number 65536 exceeds 65535"});
  }
}

}  // namespace
}  // namespace quillwen::build
