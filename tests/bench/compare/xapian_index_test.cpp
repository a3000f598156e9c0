#include "bench/compare/xapian_index.h"

#include <gtest/gtest.h>

#include "tests/bench/compare/compare_collection.h"

namespace quillwen::bench::testing {
namespace {

class XapianIndexTest : public CompareCollectionTest {
 protected:
  void SetUp() override {
    CompareCollectionTest::SetUp();
    if (HasFatalFailure()) return;
    std::string error;
    ASSERT_TRUE(xapian_.OpenOrBuild(File(), pages_, error)) << error;
  }

  std::filesystem::path File() const { return Dir() / "cache" / "xapian.glass"; }

  XapianIndex xapian_;
};

TEST_F(XapianIndexTest, FindsTheSearchsPagesOfEveryQueryWithoutWildcards) {
  for (const PeerCase& c : PeerCases()) {
    if (c.Wildcard()) continue;
    std::vector<uint32_t> pages;
    std::string error;
    ASSERT_TRUE(xapian_.Pages(c.terms, c.method == SearchMethod::kAnd, pages, error))
        << c.label << ": " << error;
    EXPECT_EQ(OurPages(c), c.pages) << c.label;
    EXPECT_EQ(pages, c.pages) << c.label;
  }
}

TEST_F(XapianIndexTest, RefusesATermItCannotAnswerAsTheSearchDoes) {
  for (const std::u16string term : {u"二?其", u"二*其", u"雲，深"}) {
    std::vector<uint32_t> pages = {7};
    std::string error;
    EXPECT_FALSE(xapian_.Pages({u"明月", term}, true, pages, error));
    EXPECT_NE(error.find("ideographs only"), std::string::npos) << error;
    EXPECT_TRUE(pages.empty());
  }
}

TEST_F(XapianIndexTest, OpensTheKeptDatabaseWithoutTheTexts) {
  XapianIndex reopened;
  std::string error;
  ASSERT_TRUE(reopened.OpenOrBuild(File(), {}, error)) << error;
  std::vector<uint32_t> pages;
  ASSERT_TRUE(reopened.Pages({u"明月"}, true, pages, error)) << error;
  EXPECT_EQ(pages, (std::vector<uint32_t>{0, 2}));
  std::filesystem::path partial = File();
  partial += ".part";
  EXPECT_FALSE(std::filesystem::exists(partial));
}

}  // namespace
}  // namespace quillwen::bench::testing
