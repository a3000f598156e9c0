// The hit rows of a term with a '*' gap: one row for every place the search
// counts, each opening the page at the match that holds it and showing the text
// between the pieces.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/encoding/codeconverter.h"
#include "core/panel_model/left_form_model.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiny_collection.h"

namespace quillwen {
namespace {

using testing::RecordingMessageSink;
using testing::TempDir;

struct ExpectedRow {
  int32_t page;
  int anchor;
  std::u16string left;
  std::u16string hit;
};

std::u16string Times(std::u16string_view text, size_t n) {
  std::u16string out;
  for (size_t i = 0; i < n; ++i) out += text;
  return out;
}

TEST(GapHitRowsTest, EveryCountedPlaceHasARowWithItsOwnText) {
  TempDir data;
  TempDir temp;
  RecordingMessageSink messages;
  testing::WriteTinyCollection(
      data.path(),
      {{1, u"詩", {}, 1},
       {2, u"集", {}, 1},
       {3,
        u"卷",
        {// The search counts both 明 before the 月; the marker's matches never overlap.
         u"明明月", u"明甲明乙月",
         // A gap longer than the context width is shown by its two ends.
         u"明" + Times(u"甲", 20) + u"月",
         // Past the search's reach of 300 characters the marker still matches;
         // only the 明 near the 月 is a place.
         u"明" + Times(u"甲", 310) + u"明月"},
        1}},
      "");
  LeftFormModel model({data.path(), &messages, temp.path(), temp / "mvr.txt"});
  model.InitialUpdate();
  model.ChooseView(ResultView::kHits);
  SearchRequest request;
  request.keywords = u"明*月";
  const PanelUpdate update = model.Search(request);
  ASSERT_EQ(update.summary, u"全部で 4 頁で、6 箇所でした。");
  ASSERT_TRUE(update.hitRows);
  const std::vector<ExpectedRow> expected = {
      {0, 0, u"", u"明明月"},
      {0, 0, u"明", u"明月"},
      {1, 0, u"", u"明甲明乙月"},
      {1, 0, u"明甲", u"明乙月"},
      {2, 0, u"", u"明甲甲甲甲甲甲…甲甲甲甲甲甲月"},
      {3, 0, Times(u"甲", 12), u"明月"},
  };
  ASSERT_EQ(update.hitRows->size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const HitRow& row = (*update.hitRows)[i];
    EXPECT_EQ(row.pageRow->page, expected[i].page) << i;
    EXPECT_EQ(row.anchor, expected[i].anchor) << i;
    EXPECT_EQ(row.left, expected[i].left) << i;
    EXPECT_EQ(row.hit, expected[i].hit) << i;
    EXPECT_EQ(row.right, u"") << i;
  }
  // Each opens its page at the match that holds it.
  for (size_t i = 0; i < expected.size(); ++i) {
    const PanelUpdate shown = model.ShowHitRow(i);
    ASSERT_TRUE(shown.pageToShow) << i;
    EXPECT_EQ(*shown.pageToShow, model.HitPage().string() + "#0000") << i;
  }
}

}  // namespace
}  // namespace quillwen
