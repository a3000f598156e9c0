// What a search makes of the keywords typed: the separators, the characters
// the index does not know, terms that can find nothing, and how many terms one
// search takes.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "core/encoding/codeconverter.h"
#include "core/panel_model/left_form_model.h"
#include "tests/core/panel_model/panel_requests.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiny_collection.h"

namespace quillwen {
namespace {

using testing::RecordingMessageSink;
using testing::TempDir;

class SearchKeywordsTest : public testing::PanelModelTest {
 protected:
  void SetUp() override {
    // Records 1 to 7: 経部 > 論語 > 巻一 (pages 1-3), 巻二 (pages 1-2);
    // 史部 > 史記 > 巻一 (page 1).
    testing::WriteTinyCollection(data_.path(),
                                 {{1, u"経部", {}, 1},
                                  {2, u"論語", {}, 1},
                                  {3, u"巻一", {u"學而時習之", u"不亦說乎", u"有朋自遠方來之"}, 1},
                                  {3, u"巻二", {u"之之之", u"人不知"}, 1},
                                  {1, u"史部", {}, 1},
                                  {2, u"史記", {}, 1},
                                  {3, u"巻一", {u"之學"}, 1}},
                                 "5B78,5B66\n");
  }
};

using testing::AllRows;
using testing::Keywords;
using testing::Outcome;

// Characters without an identifier are passed over by the search; the marker
// and the hit rows use the term as searched, and the summary says what was left
// out.
TEST_F(SearchKeywordsTest, TermsAreMarkedAsSearchedWithoutTheCharactersLeftOut) {
  auto model = Make();
  PanelUpdate update = model->Search(Keywords(u"之。 學《"));
  ASSERT_EQ(Outcome(update), SearchOutcome::kRan);
  EXPECT_EQ(update.summary,
            u"全部で 2 頁で、4 箇所でした。「。」「《」は索引にない文字なので除いて検索しました。");
  EXPECT_FALSE(update.message);
  EXPECT_EQ(model->KeyWords(), u"之\u3000學");
  const auto rows = AllRows(*model);
  ASSERT_EQ(rows.size(), 2u);
  for (size_t i = 0; i < rows.size(); ++i) {
    ASSERT_TRUE(model->ShowResultRow(rows[i].page).pageToShow);
    EXPECT_EQ(model->HitCount(), rows[i].count) << i;
  }
  const PanelUpdate hits = model->ChooseView(ResultView::kHits);
  ASSERT_TRUE(hits.hitRows);
  ASSERT_EQ(hits.hitRows->size(), 4u);
  for (const HitRow& row : *hits.hitRows) EXPECT_GE(row.anchor, 0);
}

TEST_F(SearchKeywordsTest, ATermThatCanFindNothingIsNamed) {
  auto model = Make();
  const struct {
    std::u16string keywords;
    std::optional<std::u16string> message;
  } cases[] = {
      {u"之 ??", u"「??」には検索できる文字がありません。"},
      {u"* 之", u"「*」には検索できる文字がありません。"},
      {u"之 。、", u"「。、」には検索できる文字がありません。"},
      {u"之 " + std::u16string(299, u'之'),
       u"「之之之之之之之之之之…」は長すぎて検索できません（一語は 298 字まで）。"},
      {u"之 " + std::u16string(298, u'之'), std::nullopt},
  };
  for (const auto& c : cases) {
    const PanelUpdate update = model->Search(Keywords(c.keywords));
    EXPECT_EQ(Outcome(update), SearchOutcome::kRan);
    EXPECT_EQ(update.message, c.message) << ToUtf8(c.keywords);
  }
  // Spaces alone are no keywords.
  for (const std::u16string_view spaces : {u" ", u"\u3000 \u3000"}) {
    const PanelUpdate update = model->Search(Keywords(std::u16string(spaces)));
    EXPECT_EQ(Outcome(update), SearchOutcome::kNoKeywords);
    EXPECT_EQ(update.message, u"何かキーワードを入力して検索をして下さい。");
  }
}

// Pasted text brings tabs, line breaks and byte order marks: white space of
// any kind separates terms, and U+FEFF is dropped.
TEST_F(SearchKeywordsTest, AnyWhiteSpaceSeparatesTerms) {
  auto model = Make();
  ASSERT_EQ(Outcome(model->Search(Keywords(u"之 學"))), SearchOutcome::kRan);
  const std::vector<SearchNodeTag> expected = AllRows(*model);
  ASSERT_EQ(expected.size(), 2u);
  for (const std::u16string_view typed :
       {u"之\t學", u"之\n學", u"之\r\n學", u"之\u3000學", u"之\u00A0學", u"\uFEFF之 學\uFEFF",
        u"之\u2003 學\u2029", u"\uFEFF之\uFEFF \uFEFF學"}) {
    const PanelUpdate update = model->Search(Keywords(std::u16string(typed)));
    ASSERT_EQ(Outcome(update), SearchOutcome::kRan) << ToUtf8(typed);
    EXPECT_EQ(AllRows(*model), expected) << ToUtf8(typed);
    EXPECT_FALSE(update.message) << ToUtf8(typed);
  }
  EXPECT_EQ(SeparateTermsBySpaces(u"\uFEFF甲\t乙\u3000丙\n"), u"甲 乙 丙 ");
}

TEST_F(SearchKeywordsTest, OneSearchTakesAHundredTermsAtMost) {
  auto model = Make();
  std::u16string hundred;
  for (int i = 0; i < kMaxQueryTerms; ++i) hundred += u"之 ";
  PanelUpdate update = model->Search(Keywords(hundred, SearchMethod::kOr));
  ASSERT_EQ(Outcome(update), SearchOutcome::kRan);
  const std::vector<SearchNodeTag> rows = AllRows(*model);
  EXPECT_FALSE(rows.empty());
  std::u16string million;
  million.reserve(2'000'000);
  for (int i = 0; i < 1'000'000; ++i) million += u"學 ";
  update = model->Search(Keywords(million, SearchMethod::kOr));
  EXPECT_EQ(Outcome(update), SearchOutcome::kTooManyTerms);
  EXPECT_EQ(
      update.message,
      u"キーワードが多すぎます。一度に検索できるのは 100 語までです（1000000 語ありました）。");
  EXPECT_FALSE(update.rows);
  // Nothing was searched: the last result and its keywords stay.
  EXPECT_EQ(AllRows(*model), rows);
  EXPECT_EQ(model->KeyWords().substr(0, 3), u"之\u3000之");
}

}  // namespace
}  // namespace quillwen
