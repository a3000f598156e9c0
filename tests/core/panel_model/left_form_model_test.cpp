#include "core/panel_model/left_form_model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <tuple>

#include "core/encoding/codeconverter.h"
#include "core/panel_model/result_csv.h"
#include "core/writer/catalogue_writer.h"
#include "tests/core/panel_model/panel_requests.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiny_collection.h"

namespace quillwen {
namespace {

using testing::ReadFileBytes;
using testing::RecordingMessageSink;
using testing::TempDir;
using testing::TinyEntry;
using testing::WriteTinyCollection;

// 経部 (1) > 論語 (2) > 巻一 (3, pages 1-3), 巻二 (4, pages 1-2); 孟子 (5) > 巻一 (6, page 5)
// 史部 (7) > 史記 (8) > 巻一 (9, page 1)
const std::vector<TinyEntry> kCollection = {
    {1, u"経部", {}, 1},
    {2, u"論語", {}, 1},
    {3, u"巻一", {u"學而時習之", u"不亦說乎", u"有朋自遠方來之"}, 1},
    {3, u"巻二", {u"之之之", u"人不知"}, 1},
    {2, u"孟子", {}, 1},
    {3, u"巻一", {u"孟子見梁惠王"}, 5},
    {1, u"史部", {}, 1},
    {2, u"史記", {}, 1},
    {3, u"巻一", {u"之學"}, 1},
};

class LeftFormModelTest : public testing::PanelModelTest {
 protected:
  void SetUp() override { WriteTinyCollection(data_.path(), kCollection, "5B78,5B66\n"); }
};

using testing::AllRows;
using testing::Keywords;
using testing::Outcome;

TEST_F(LeftFormModelTest, StartsWithTheWholeCollectionAsRangeAndNothingShown) {
  auto model = Make();
  EXPECT_TRUE(messages_.messages.empty());
  EXPECT_TRUE(model->Index().IsOpen());
  EXPECT_EQ(model->RangeNode(), kWholeCollection);
  EXPECT_EQ(model->RangeLabel(), u"全体");
  EXPECT_EQ(model->CurNode(), 0);
  EXPECT_EQ(model->Summary(), u"検索集計：");
  EXPECT_EQ(model->TempPage().filename(), "windows.html");
  EXPECT_EQ(model->TempResult1().filename(), "windows1.html");
  EXPECT_EQ(model->TempResult2().filename(), "windows2.html");
}

TEST_F(LeftFormModelTest, TemporaryFilesLiveInAPrivateFolderRemovedAtTheEnd) {
  std::filesystem::path folder;
  {
    auto model = Make();
    folder = model->TempPage().parent_path();
    struct stat info;
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_TRUE(model->SelectTreeItem(3).pageToShow);
    EXPECT_TRUE(std::filesystem::exists(model->TempPage()));
  }
  EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(LeftFormModelTest, MissingCollectionShowsBothMessages) {
  TempDir empty;
  LeftFormModel model({empty.path(), &messages_, temp_.path(), temp_ / "mvr.txt"});
  model.InitialUpdate();
  EXPECT_EQ(messages_.messages,
            (std::vector<std::u16string>{u"データを開けませんでした。", u"you delete data file!"}));
  EXPECT_EQ(model.Catalogue().m_nNodeCount, 1);
  // The whole of an empty collection is no range to search.
  const PanelUpdate update = model.Search(Keywords(u"之"));
  EXPECT_EQ(Outcome(update), SearchOutcome::kNoRange);
  EXPECT_EQ(update.message, u"検索範囲をまた指定していません。");
  EXPECT_TRUE(AllRows(model).empty());
  EXPECT_EQ(model.Summary(), u"検索集計：");
}

TEST_F(LeftFormModelTest, SelectingABookSetsTheRangeOnly) {
  auto model = Make();
  ASSERT_TRUE(model->SelectTreeItem(3).pageToShow);
  const PanelUpdate update = model->SelectTreeItem(5);
  EXPECT_EQ(model->RangeNode(), 5);
  EXPECT_EQ(model->RangeLabel(), u"経部\\孟子");
  EXPECT_EQ(update.rangeLabel, u"経部\\孟子");
  EXPECT_EQ(model->CurNode(), 3);
  EXPECT_FALSE(update.pageToShow);
  EXPECT_FALSE(update.reading);
}

TEST_F(LeftFormModelTest, SelectingAVolumeShowsItsFirstStoredPage) {
  auto model = Make();
  const PanelUpdate update = model->SelectTreeItem(6);
  EXPECT_EQ(model->CurNode(), 6);
  EXPECT_EQ(model->CurPage(), 5);
  EXPECT_EQ(model->RangeLabel(), u"経部\\孟子\\巻一");
  EXPECT_EQ(update.pageToShow, model->TempPage().string());
  std::string stored;
  ASSERT_TRUE(model->Index().ReadPage(5, stored));
  EXPECT_EQ(ReadFileBytes(model->TempPage()), stored);
  EXPECT_EQ(model->Slider().minimum, 5);
  EXPECT_EQ(model->Slider().maximum, 5);
  // The page shown, then the volume's last page: a volume of one page 5.
  EXPECT_EQ(model->PageLabel(), u"5/5");
  ASSERT_TRUE(update.reading);
  EXPECT_EQ(update.reading->record, 6);
  EXPECT_EQ(update.reading->page, 5);
  EXPECT_TRUE(update.reading->volumeChanged);
  EXPECT_EQ(update.reading->slider.minimum, 5);
  EXPECT_EQ(update.reading->pageLabel, u"5/5");
}

TEST_F(LeftFormModelTest, SearchListsRowsInsideTheRangeWithTheSummary) {
  auto model = Make();
  model->SelectTreeItem(1);
  const PanelUpdate update = model->Search(Keywords(u"之"));
  ASSERT_EQ(Outcome(update), SearchOutcome::kRan);
  // 之 stands on 巻一 pages 1 and 3, and three times on 巻二 page 1; 史部 is outside.
  EXPECT_EQ(model->Summary(), u"全部で 3 頁で、5 箇所でした。");
  const std::vector<SearchNodeTag> rows = AllRows(*model);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (SearchNodeTag{u"経部", u"論語", u"巻一", 0, 1, 1}));
  EXPECT_EQ(rows[1], (SearchNodeTag{u"経部", u"論語", u"巻一", 2, 3, 1}));
  EXPECT_EQ(rows[2], (SearchNodeTag{u"経部", u"論語", u"巻二", 3, 1, 3}));
  EXPECT_EQ(model->Paging().m_nResultPages, 1);
  EXPECT_EQ(model->ListRows().size(), 3u);
  ASSERT_TRUE(update.rows);
  EXPECT_EQ(update.rows->size(), 3u);
  EXPECT_EQ(update.summary, model->Summary());
  ASSERT_TRUE(update.pager);
  EXPECT_TRUE(update.pager->visible);
  EXPECT_TRUE(update.pager->editReadOnly);
  EXPECT_FALSE(update.message);
}

TEST_F(LeftFormModelTest, TheWholeCollectionListsEveryCategoryInReadingOrder) {
  auto model = Make();
  PanelUpdate update = model->Search(Keywords(u"之"));
  ASSERT_EQ(Outcome(update), SearchOutcome::kRan);
  EXPECT_EQ(model->Summary(), u"全部で 4 頁で、6 箇所でした。");
  ASSERT_TRUE(update.rows);
  ASSERT_EQ(update.rows->size(), 4u);
  EXPECT_EQ((*update.rows)[2], (SearchNodeTag{u"経部", u"論語", u"巻二", 3, 1, 3}));
  EXPECT_EQ((*update.rows)[3], (SearchNodeTag{u"史部", u"史記", u"巻一", 6, 1, 1}));
  // A tree selection narrows the range; the button widens it again.
  model->SelectTreeItem(7);
  EXPECT_EQ(model->Search(Keywords(u"之")).rows->size(), 1u);
  update = model->SelectWholeCollection();
  EXPECT_EQ(update.rangeLabel, u"全体");
  EXPECT_EQ(model->RangeNode(), kWholeCollection);
  EXPECT_EQ(model->Search(Keywords(u"之")).rows->size(), 4u);
}

TEST_F(LeftFormModelTest, TheRequestsRangeReplacesTheTreesRange) {
  auto model = Make();
  model->SelectTreeItem(1);
  SearchRequest request = Keywords(u"之");
  request.range = 7;
  model->Search(request);
  ASSERT_EQ(AllRows(*model).size(), 1u);
  EXPECT_EQ(AllRows(*model)[0].category, u"史部");
  EXPECT_EQ(model->RangeNode(), 7);
}

TEST_F(LeftFormModelTest, QueryBufferKeepsIdeographicSpacesAfterTheSearch) {
  auto model = Make();
  ASSERT_EQ(Outcome(model->Search(Keywords(u"之\u3000學"))), SearchOutcome::kRan);
  EXPECT_EQ(model->KeyWords(), u"之\u3000學");
  EXPECT_EQ(AllRows(*model).size(), 2u);  // both on 巻一 page 1 and on 史記's page
}

TEST_F(LeftFormModelTest, OrMethodAndVariants) {
  auto model = Make();
  model->SelectTreeItem(7);
  ASSERT_EQ(Outcome(model->Search(Keywords(u"學 人", SearchMethod::kOr))), SearchOutcome::kRan);
  EXPECT_EQ(model->Method(), SearchMethod::kOr);
  EXPECT_EQ(AllRows(*model).size(), 1u);
  // 学 (5B66) is a variant of 學 (5B78): found only with variants on.
  model->SelectTreeItem(1);
  ASSERT_EQ(Outcome(model->Search(Keywords(u"学"))), SearchOutcome::kRan);
  EXPECT_EQ(AllRows(*model).size(), 1u);
  ASSERT_EQ(Outcome(model->Search(Keywords(u"学", SearchMethod::kAnd, false))),
            SearchOutcome::kRan);
  EXPECT_FALSE(model->Variants());
  EXPECT_TRUE(AllRows(*model).empty());
}

TEST_F(LeftFormModelTest, ChecksEndTheCommandAndKeepThePreviousResult) {
  auto model = Make();
  ASSERT_EQ(Outcome(model->Search(Keywords(u"之"))), SearchOutcome::kRan);
  const auto rows = AllRows(*model);

  SearchRequest noValue;
  PanelUpdate update = model->Search(noValue);
  EXPECT_EQ(Outcome(update), SearchOutcome::kNoInputValue);
  EXPECT_TRUE(model->KeyWords().empty());
  EXPECT_FALSE(update.message);
  EXPECT_FALSE(update.rows);

  model->Search(Keywords(u"之"));
  update = model->Search(Keywords(u""));
  EXPECT_EQ(Outcome(update), SearchOutcome::kNoKeywords);
  EXPECT_EQ(model->KeyWords(), u"之");
  EXPECT_EQ(update.message, u"何かキーワードを入力して検索をして下さい。");
  EXPECT_FALSE(update.rows);

  SearchRequest noRange = Keywords(u"之");
  noRange.range = 0;
  update = model->Search(noRange);
  EXPECT_EQ(Outcome(update), SearchOutcome::kNoRange);
  EXPECT_EQ(update.message, u"検索範囲をまた指定していません。");
  EXPECT_FALSE(update.rows);
  EXPECT_EQ(AllRows(*model), rows);
  // The model only answers: showing the sentence is the front end's job.
  EXPECT_TRUE(messages_.messages.empty());
}

// A range record that matches no node of the contents is no range; a record of
// zeros covers no page (its span used to wrap round to every page, listed under
// "root").
TEST_F(LeftFormModelTest, ARangeThatMatchesNoRecordIsNoRange) {
  // clang-format off
  const struct {
    const char* name;
    std::vector<CatalogueRecord> records;
    int range;
    SearchOutcome outcome;
    size_t rows;
  } cases[] = {
      {"an empty catalogue", {}, 1, SearchOutcome::kNoRange, 0},
      {"an empty catalogue, whole", {}, kWholeCollection, SearchOutcome::kNoRange, 0},
      {"a record of zeros", {{u"零", 0, 0, 0, 0}}, 1, SearchOutcome::kNoRange, 0},
      {"a category of zeros", {{u"零", 1, 0, 0, 0}}, 1, SearchOutcome::kRan, 0},
      {"a volume of zeros", {{u"経部", 1, 1, 6, 1}, {u"論語", 2, 1, 6, 1}, {u"零", 3, 0, 0, 0}},
       3, SearchOutcome::kRan, 0},
      {"a negative page count", {{u"負", 1, 1, -1, 1}}, 1, SearchOutcome::kRan, 0},
      {"zeros beside a category", {{u"零", 1, 0, 0, 0}, {u"経部", 1, 1, 9, 1}},
       kWholeCollection, SearchOutcome::kRan, 4},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::string error;
    ASSERT_TRUE(WriteCatalogue(data_ / "mvr.dir", c.records, &error)) << error;
    auto model = Make();
    SearchRequest request = Keywords(u"之");
    request.range = c.range;
    const PanelUpdate update = model->Search(request);
    EXPECT_EQ(Outcome(update), c.outcome) << c.name;
    if (c.outcome == SearchOutcome::kNoRange) {
      EXPECT_EQ(update.message, u"検索範囲をまた指定していません。") << c.name;
    }
    EXPECT_EQ(model->SearchNodes().Count(), c.rows) << c.name;
    for (const SearchNodeTag& row : AllRows(*model)) EXPECT_NE(row.volume, u"root") << c.name;
  }
}

TEST_F(LeftFormModelTest, ASearchThatMetADamagedListSaysSoAfterTheSummary) {
  // 學's list starts in a block the postings file does not have.
  const uint32_t id = 0x5B78 - 0x3400;
  std::string header = ReadFileBytes(data_ / "Index-idx.h");
  header.replace(4 * id, 4, std::string("\x00\x01\x00\x00", 4));
  testing::WriteFileBytes(data_ / "Index-idx.h", header);
  auto model = Make();
  const PanelUpdate update = model->Search(Keywords(u"之 學", SearchMethod::kOr, false));
  ASSERT_EQ(Outcome(update), SearchOutcome::kRan);
  // What was found is listed: 之's pages.
  EXPECT_EQ(update.summary, u"全部で 4 頁で、6 箇所でした。");
  EXPECT_EQ(update.message, u"索引ファイル " + (data_ / "Index-idx.m").u16string() +
                                u" が壊れています。見つかった頁だけを示しました。");
  // An undamaged list says nothing.
  EXPECT_FALSE(model->Search(Keywords(u"之", SearchMethod::kOr, false)).message);
}

TEST_F(LeftFormModelTest, AVariantTableOfAnotherIndexIsNotUsedAndTheSearchSaysWhy) {
  // A line added in front: 學's group would read the list of 一 and 丁.
  testing::WriteFileBytes(data_ / "yitizi.txt", "4E00,4E01\n5B78,5B66\n");
  auto model = Make();
  PanelUpdate update = model->Search(Keywords(u"学"));
  ASSERT_EQ(Outcome(update), SearchOutcome::kRan);
  EXPECT_EQ(update.summary, u"全部で 0 頁で、0 箇所でした。");
  EXPECT_EQ(update.message,
            u"異体字表 yitizi.txt がこの索引のものではないため、異体字を区別して検索しました。\n" +
                (data_ / "Index-idx.h").u16string() +
                u": its list of variant group 1 does not fit yitizi.txt");
  update = model->Search(Keywords(u"學", SearchMethod::kAnd, false));
  EXPECT_EQ(update.summary, u"全部で 2 頁で、2 箇所でした。");
  EXPECT_FALSE(update.message);
  // The table the index was built with is used again at the next opening.
  testing::WriteFileBytes(data_ / "yitizi.txt", "5B78,5B66\n");
  model->ChooseTarget(SearchTarget::kMainText);
  update = model->Search(Keywords(u"学"));
  EXPECT_EQ(update.summary, u"全部で 2 頁で、2 箇所でした。");
  EXPECT_FALSE(update.message);
}

TEST_F(LeftFormModelTest, RejectedQueryRebuildsRowsFromThePreviousListsInTheNewRange) {
  auto model = Make();
  model->SelectTreeItem(1);
  ASSERT_EQ(Outcome(model->Search(Keywords(u"之"))), SearchOutcome::kRan);
  model->SelectTreeItem(4);
  ASSERT_EQ(Outcome(model->Search(Keywords(u"abc"))), SearchOutcome::kRan);
  ASSERT_EQ(AllRows(*model).size(), 1u);
  EXPECT_EQ(AllRows(*model)[0].volume, u"巻二");
  EXPECT_EQ(model->Summary(), u"全部で 1 頁で、3 箇所でした。");
  EXPECT_EQ(model->KeyWords(), u"abc");
}

TEST_F(LeftFormModelTest, TargetChangeReopensTheIndexAndSetsTheHighlightScope) {
  auto model = Make();
  model->ChooseTarget(SearchTarget::kMainText);
  EXPECT_EQ(model->HighlightScope(), HitScopeMainText);
  EXPECT_TRUE(model->Index().IsOpen());
  SearchRequest request = Keywords(u"之");
  request.target = SearchTarget::kMainText;
  ASSERT_EQ(Outcome(model->Search(request)), SearchOutcome::kRan);
  EXPECT_EQ(AllRows(*model).size(), 4u);
  // A request for another target reopens the index itself.
  request.target = SearchTarget::kAnnotations;
  ASSERT_EQ(Outcome(model->Search(request)), SearchOutcome::kRan);
  EXPECT_EQ(model->Target(), SearchTarget::kAnnotations);
  EXPECT_EQ(model->HighlightScope(), HitScopeAnnotations);
  EXPECT_TRUE(AllRows(*model).empty());
}

TEST_F(LeftFormModelTest, ResultPagesAlternateBetweenTheTwoFiles) {
  auto model = Make();
  ASSERT_EQ(Outcome(model->Search(Keywords(u"之"))), SearchOutcome::kRan);
  PanelUpdate update = model->ShowResultRow(3);
  EXPECT_EQ(model->HitCount(), 3);
  EXPECT_EQ(model->CurHit(), 0);
  EXPECT_EQ(update.pageToShow, model->TempResult1().string() + "#0000");
  EXPECT_NE(ReadFileBytes(model->TempResult1()).find("<a name=\"0002\"></a>"), std::string::npos);
  update = model->ShowResultRow(0);
  EXPECT_EQ(model->HitCount(), 1);
  EXPECT_EQ(update.pageToShow, model->TempResult2().string() + "#0000");
  EXPECT_EQ(model->HitPage(), model->TempResult2());
  ASSERT_TRUE(model->ShowResultRow(3).pageToShow);
  EXPECT_EQ(model->HitPage(), model->TempResult1());
  // A page that cannot be rendered changes nothing.
  EXPECT_FALSE(model->ShowResultRow(999).pageToShow);
  EXPECT_EQ(model->HitPage(), model->TempResult1());
  EXPECT_EQ(model->HitCount(), 3);
}

TEST_F(LeftFormModelTest, HitsStepByFragment) {
  auto model = Make();
  ASSERT_EQ(Outcome(model->Search(Keywords(u"之"))), SearchOutcome::kRan);
  ASSERT_TRUE(model->ShowResultRow(3).pageToShow);
  model->StepHit(+1);
  EXPECT_EQ(model->StepHit(+1).pageToShow, model->TempResult1().string() + "#0002");
  model->StepHit(-1);
  EXPECT_EQ(model->CurHit(), 1);
}

TEST_F(LeftFormModelTest, HitsGoOnAcrossTheResultRows) {
  auto model = Make();
  // Rows in reading order: index pages 0 (1 hit), 2 (1), 3 (3), 6 (1).
  ASSERT_EQ(Outcome(model->Search(Keywords(u"之"))), SearchOutcome::kRan);
  // Before any row is shown the next hit is the first row's first hit.
  EXPECT_TRUE(CanGoToNextHit(model->Reading()));
  EXPECT_FALSE(CanGoToPreviousHit(model->Reading()));
  PanelUpdate update = model->StepHit(+1);
  EXPECT_EQ(update.listSelection, 0);
  EXPECT_EQ(update.pageToShow, model->HitPage().string() + "#0000");

  ASSERT_TRUE(model->ShowResultRow(3).pageToShow);
  model->StepHit(+1);
  model->StepHit(+1);
  EXPECT_EQ(model->CurHit(), 2);
  // Past the last hit of its page: the next row's page at its first hit.
  update = model->StepHit(+1);
  ASSERT_TRUE(update.pageToShow);
  EXPECT_EQ(*update.pageToShow, model->HitPage().string() + "#0000");
  EXPECT_EQ(update.listSelection, 6);
  EXPECT_EQ(model->HitCount(), 1);
  EXPECT_EQ(model->CurNode(), 9);                  // 史記 巻一
  EXPECT_FALSE(CanGoToNextHit(model->Reading()));  // the last row's last hit
  EXPECT_FALSE(model->StepHit(+1).pageToShow);
  // Before the first hit: the previous row's page at its last hit.
  update = model->StepHit(-1);
  ASSERT_TRUE(update.pageToShow);
  EXPECT_EQ(*update.pageToShow, model->HitPage().string() + "#0002");
  EXPECT_EQ(update.listSelection, 3);
  EXPECT_EQ(model->CurHit(), 2);
  EXPECT_EQ(model->HitCount(), 3);

  // In another order of the rows the steps follow that order.
  model->OrderPageRows(PageRowOrder::kPlaces);  // page 3 first, then 0, 2, 6
  EXPECT_EQ(model->StepHit(+1).listSelection, 0);
  EXPECT_EQ(model->StepHit(+1).listSelection, 2);
  EXPECT_EQ(model->CurNode(), 3);
}

TEST_F(LeftFormModelTest, AResultPageIsReadOnInItsVolume) {
  auto model = Make();
  ASSERT_EQ(Outcome(model->Search(Keywords(u"之"))), SearchOutcome::kRan);
  // Index page 2 is 論語 巻一 (record 3) page 3: the toolbar and the tree follow.
  PanelUpdate update = model->ShowResultRow(2);
  EXPECT_EQ(model->CurNode(), 3);
  EXPECT_EQ(model->CurPage(), 3);
  ASSERT_TRUE(update.reading);
  EXPECT_TRUE(update.reading->volumeChanged);
  EXPECT_EQ(update.reading->pageLabel, u"3/3");
  EXPECT_EQ(update.treeFollow, 3);
  EXPECT_FALSE(update.treeSelection);
  EXPECT_EQ(model->RangeNode(), kWholeCollection);  // the search range stays
  // The previous page is the plain stored page.
  update = model->StepPage(-1);
  EXPECT_EQ(update.pageToShow, model->TempPage().string());
  std::string stored;
  ASSERT_TRUE(model->Index().ReadPage(1, stored));
  EXPECT_EQ(ReadFileBytes(model->TempPage()), stored);
  EXPECT_EQ(model->CurPage(), 2);
  // The hit command goes back to the result page and the reading with it.
  update = model->StepHit(-1);
  EXPECT_EQ(model->CurHit(), 0);
  update = model->StepHit(+1);
  ASSERT_TRUE(update.pageToShow);
  EXPECT_EQ(model->CurPage(), 3);
}

TEST_F(LeftFormModelTest, ANewSearchTakesTheOldResultPageAway) {
  auto model = Make();
  ASSERT_EQ(Outcome(model->Search(Keywords(u"之"))), SearchOutcome::kRan);
  ASSERT_TRUE(model->ShowResultRow(3).pageToShow);
  PanelUpdate update = model->Search(Keywords(u"梁"));
  EXPECT_EQ(update.pageToShow, kBlankPage);
  EXPECT_EQ(model->HitCount(), 0);
  EXPECT_FALSE(model->ShownPlace());
  // Nothing found: nothing to step to either.
  update = model->Search(Keywords(u"無"));
  EXPECT_FALSE(update.pageToShow);
  EXPECT_FALSE(CanGoToNextHit(model->Reading()));
  // A stored page in view stays there.
  ASSERT_TRUE(model->SelectTreeItem(3).pageToShow);
  EXPECT_FALSE(model->Search(Keywords(u"之")).pageToShow);
  // A search that does not run keeps the result page.
  ASSERT_TRUE(model->ShowResultRow(3).pageToShow);
  EXPECT_FALSE(model->Search(Keywords(u"")).pageToShow);
  EXPECT_EQ(model->HitCount(), 3);
}

TEST_F(LeftFormModelTest, BackAndForwardShowThePagesAgain) {
  auto model = Make();
  EXPECT_FALSE(model->CanGoBack());
  ASSERT_TRUE(model->SelectTreeItem(3).pageToShow);
  model->StepPage(+1);
  ASSERT_EQ(Outcome(model->Search(Keywords(u"之"))), SearchOutcome::kRan);
  ASSERT_TRUE(model->ShowResultRow(3).pageToShow);
  model->StepHit(+1);  // the same page: no visit of its own
  ASSERT_TRUE(model->SelectTreeItem(6).pageToShow);

  // Back to the result page at the hit it showed, then to the stored page.
  PanelUpdate update = model->GoBack();
  ASSERT_TRUE(update.pageToShow);
  EXPECT_EQ(*update.pageToShow, model->HitPage().string() + "#0001");
  EXPECT_EQ(model->CurNode(), 4);
  EXPECT_EQ(update.treeFollow, 4);
  update = model->GoBack();
  EXPECT_EQ(update.pageToShow, model->TempPage().string());
  EXPECT_EQ(model->CurNode(), 3);
  EXPECT_EQ(model->CurPage(), 2);
  ASSERT_TRUE(update.reading);
  EXPECT_TRUE(update.reading->volumeChanged);
  model->GoBack();
  EXPECT_EQ(model->CurPage(), 1);
  EXPECT_FALSE(model->CanGoBack());
  EXPECT_FALSE(model->GoBack().pageToShow);
  // Forward again, and a new page drops what lay forward.
  EXPECT_EQ(model->GoForward().reading->page, 2);
  EXPECT_TRUE(model->CanGoForward());
  model->StepPage(+1);
  EXPECT_FALSE(model->CanGoForward());
  // A result page taken away by a new search comes back with its own marks.
  ASSERT_TRUE(model->ShowResultRow(3).pageToShow);
  ASSERT_EQ(model->Search(Keywords(u"孟")).pageToShow, kBlankPage);
  EXPECT_TRUE(model->CanGoBack());
  update = model->GoBack();  // 巻二 page 1 marked for 之
  ASSERT_TRUE(update.pageToShow);
  EXPECT_EQ(*update.pageToShow, model->HitPage().string() + "#0000");
  EXPECT_EQ(model->HitCount(), 3);
  EXPECT_EQ(ReadFileBytes(model->HitPage()).find("<a name=\"0003\">"), std::string::npos);
  EXPECT_EQ(model->GoBack().reading->page, 3);
}

TEST_F(LeftFormModelTest, AStoredPageOpensWithoutChangingTheRange) {
  auto model = Make();
  PanelUpdate update = model->OpenStoredPage(3, 2);
  EXPECT_EQ(update.pageToShow, model->TempPage().string());
  std::string stored;
  ASSERT_TRUE(model->Index().ReadPage(1, stored));
  EXPECT_EQ(ReadFileBytes(model->TempPage()), stored);
  ASSERT_TRUE(update.reading);
  EXPECT_TRUE(update.reading->volumeChanged);
  EXPECT_EQ(update.reading->pageLabel, u"2/3");
  EXPECT_EQ(update.treeFollow, 3);
  EXPECT_EQ(model->RangeNode(), kWholeCollection);
  EXPECT_FALSE(model->CanGoBack());
  EXPECT_TRUE(model->OpenStoredPage(4, 1).pageToShow);
  EXPECT_TRUE(model->CanGoBack());
  // No such page, no such record, a record that is no volume: nothing changes.
  for (const auto& [record, page] :
       {std::pair{4, 9}, std::pair{99, 1}, std::pair{0, 1}, std::pair{2, 1}}) {
    update = model->OpenStoredPage(record, page);
    EXPECT_FALSE(update.pageToShow) << record;
    EXPECT_FALSE(update.reading) << record;
    EXPECT_EQ(model->CurNode(), 4);
  }
}

TEST_F(LeftFormModelTest, TheCaptionNamesThePageShown) {
  auto model = Make();
  EXPECT_EQ(model->WindowCaption(), u"Quillwen--Lorevault(Tesselbook)");
  ASSERT_TRUE(model->SelectTreeItem(4).pageToShow);
  model->StepPage(+1);
  EXPECT_EQ(model->WindowCaption(), u"Quillwen--Lorevault(Tesselbook) - 経部・論語・巻二・2頁");
  ASSERT_EQ(Outcome(model->Search(Keywords(u"梁"))), SearchOutcome::kRan);
  ASSERT_TRUE(model->ShowResultRow(5).pageToShow);
  EXPECT_EQ(model->WindowCaption(), u"Quillwen--Lorevault(Tesselbook) - 経部・孟子・巻一・5頁");
}

TEST_F(LeftFormModelTest, PagesAndVolumesStepByTheRecordScan) {
  auto model = Make();
  ASSERT_TRUE(model->SelectTreeItem(3).pageToShow);
  PanelUpdate update = model->StepPage(+1);
  EXPECT_EQ(model->CurPage(), 2);
  std::string stored;
  ASSERT_TRUE(model->Index().ReadPage(1, stored));
  EXPECT_EQ(ReadFileBytes(model->TempPage()), stored);
  EXPECT_EQ(update.pageToShow, model->TempPage().string());
  ASSERT_TRUE(update.reading);
  EXPECT_EQ(update.reading->page, 2);
  EXPECT_FALSE(update.reading->volumeChanged);

  update = model->StepVolume(+1, 3);
  EXPECT_EQ(model->CurNode(), 4);
  EXPECT_EQ(model->CurPage(), 1);
  ASSERT_TRUE(update.reading);
  EXPECT_TRUE(update.reading->volumeChanged);
  EXPECT_EQ(update.treeSelection, 4);
  update = model->StepVolume(+1, 4);  // across the book boundary
  EXPECT_EQ(model->CurNode(), 6);
  EXPECT_EQ(model->CurPage(), 5);
  EXPECT_EQ(update.treeSelection, 6);
  update = model->StepVolume(+1, 6);  // the tree's order crosses the category too
  EXPECT_EQ(model->CurNode(), 9);
  EXPECT_EQ(update.treeSelection, 9);
  update = model->StepVolume(+1, 9);
  EXPECT_EQ(update.message, u"もう最後の巻まで至りました。");
  EXPECT_FALSE(update.reading);
  EXPECT_FALSE(update.treeSelection);
  EXPECT_EQ(model->CurNode(), 9);
  update = model->StepVolume(-1, 0);  // nothing selected: the tree takes the volume shown
  EXPECT_EQ(model->CurNode(), 6);
  EXPECT_EQ(update.treeSelection, 6);
  model->StepVolume(-1, 6);
  model->StepVolume(-1, 4);
  EXPECT_EQ(model->CurNode(), 3);
  EXPECT_EQ(model->StepVolume(-1, 3).message, u"これ以上戻れません。もう巻一に至っています。");
  EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(LeftFormModelTest, TheSliderShowsThePageItWasLetGoAt) {
  auto model = Make();
  EXPECT_FALSE(model->GoToSliderPage(2).pageToShow);  // no volume shown yet
  ASSERT_TRUE(model->SelectTreeItem(3).pageToShow);
  const PanelUpdate update = model->GoToSliderPage(3);
  EXPECT_EQ(model->CurPage(), 3);
  std::string stored;
  ASSERT_TRUE(model->Index().ReadPage(2, stored));
  EXPECT_EQ(ReadFileBytes(model->TempPage()), stored);
  ASSERT_TRUE(update.reading);
  EXPECT_EQ(update.reading->pageLabel, u"3/3");
}

TEST_F(LeftFormModelTest, HitRowsShowEachPlaceInItsContextAndOpenItsAnchor) {
  auto model = Make();
  model->ChooseView(ResultView::kHits);
  const PanelUpdate update = model->Search(Keywords(u"之"));
  ASSERT_TRUE(update.hitRows);
  EXPECT_FALSE(update.rows);
  EXPECT_EQ(model->HitRowCount(), 6u);
  struct Expected {
    int32_t page;
    int anchor;
    std::u16string left, hit, right;
  };
  const Expected expected[] = {
      {0, 0, u"學而時習", u"之", u""}, {2, 0, u"有朋自遠方來", u"之", u""},
      {3, 0, u"", u"之", u"之之"},     {3, 1, u"之", u"之", u"之"},
      {3, 2, u"之之", u"之", u""},     {6, 0, u"", u"之", u"學"},
  };
  ASSERT_EQ(update.hitRows->size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const HitRow& row = (*update.hitRows)[i];
    EXPECT_EQ(row.pageRow->page, expected[i].page) << i;
    EXPECT_EQ(row.anchor, expected[i].anchor) << i;
    EXPECT_EQ(row.left, expected[i].left) << i;
    EXPECT_EQ(row.hit, expected[i].hit) << i;
    EXPECT_EQ(row.right, expected[i].right) << i;
  }
  // The fourth row opens the second hit of 巻二 page 1, and the hit commands go on from it.
  const PanelUpdate shown = model->ShowHitRow(3);
  ASSERT_TRUE(shown.pageToShow);
  EXPECT_EQ(*shown.pageToShow, model->HitPage().string() + "#0001");
  EXPECT_EQ(model->CurHit(), 1);
  EXPECT_EQ(model->HitCount(), 3);
  EXPECT_EQ(model->StepHit(+1).pageToShow, model->HitPage().string() + "#0002");
  EXPECT_FALSE(model->ShowHitRow(6).pageToShow);  // past the list page

  // Back to pages and to hits again: the same rows.
  EXPECT_EQ(model->ChooseView(ResultView::kPages).rows->size(), 4u);
  EXPECT_EQ(model->ChooseView(ResultView::kHits).hitRows->size(), 6u);
}

TEST_F(LeftFormModelTest, AMatchOfSeveralMarkersIsOneHitRow) {
  auto model = Make();
  model->ChooseView(ResultView::kHits);
  struct Case {
    std::u16string keywords;
    std::vector<std::tuple<int32_t, int, std::u16string, std::u16string, std::u16string>> rows;
  };
  // clang-format off
  const Case cases[] = {
      // 學, the marked gap 而 and 時 are three markers of one match.
      {u"學?時", {{0, 0, u"", u"學而時", u"習之"}}},
      {u"學*之", {{0, 0, u"", u"學而時習之", u""}}},
      // Two terms: each page's hits in the order they stand, whatever their anchors.
      {u"學 之", {{0, 0, u"", u"學", u"而時習之"}, {0, 1, u"學而時習", u"之", u""},
                  {6, 1, u"", u"之", u"學"}, {6, 0, u"之", u"學", u""}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    const PanelUpdate update = model->Search(Keywords(c.keywords));
    ASSERT_TRUE(update.hitRows);
    ASSERT_EQ(update.hitRows->size(), c.rows.size()) << ToUtf8(c.keywords);
    for (size_t i = 0; i < c.rows.size(); ++i) {
      const HitRow& row = (*update.hitRows)[i];
      const auto& [page, anchor, left, hit, right] = c.rows[i];
      EXPECT_EQ(row.pageRow->page, page) << ToUtf8(c.keywords) << i;
      EXPECT_EQ(row.anchor, anchor) << ToUtf8(c.keywords) << i;
      EXPECT_EQ(row.left, left) << ToUtf8(c.keywords) << i;
      EXPECT_EQ(row.hit, hit) << ToUtf8(c.keywords) << i;
      EXPECT_EQ(row.right, right) << ToUtf8(c.keywords) << i;
    }
  }
}

TEST_F(LeftFormModelTest, HitRowsSortByTheirContexts) {
  auto model = Make();
  model->ChooseView(ResultView::kHits);
  model->Search(Keywords(u"之"));
  auto order = [&](HitRowOrder by) {
    std::vector<std::pair<int32_t, int>> places;
    const PanelUpdate update = model->OrderHitRows(by);
    for (const HitRow& row : *update.hitRows) places.emplace_back(row.pageRow->page, row.anchor);
    return places;
  };
  using Places = std::vector<std::pair<int32_t, int>>;
  // Right contexts "", "", "之之", "之", "", "學"; ties keep reading order.
  EXPECT_EQ(order(HitRowOrder::kRightContext),
            (Places{{0, 0}, {2, 0}, {3, 2}, {3, 1}, {3, 0}, {6, 0}}));
  // Left contexts read backwards from the hit: "", "", "之", "之之", then 來方遠… before 習時而….
  EXPECT_EQ(order(HitRowOrder::kLeftContext),
            (Places{{3, 0}, {6, 0}, {3, 1}, {3, 2}, {2, 0}, {0, 0}}));
  EXPECT_EQ(order(HitRowOrder::kReading), (Places{{0, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {6, 0}}));
  // Back from an order that turned the hits of one page round: reading order again.
  order(HitRowOrder::kRightContext);
  EXPECT_EQ(order(HitRowOrder::kReading), (Places{{0, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {6, 0}}));
}

TEST_F(LeftFormModelTest, HitRowsOfAResultGoneStayReadableWhileTheNextSearchListsItsOwn) {
  auto model = Make();
  model->ChooseView(ResultView::kHits);
  model->Search(Keywords(u"之"));
  const PanelUpdate sorted = model->OrderHitRows(HitRowOrder::kRightContext);
  const std::vector<HitRow> before(sorted.hitRows->begin(), sorted.hitRows->end());
  ASSERT_EQ(before.size(), 6u);
  SearchRequest request = Keywords(u"之");
  request.range = 7;
  const PanelUpdate update = model->Search(request);
  ASSERT_TRUE(update.hitRows);
  ASSERT_EQ(update.hitRows->size(), 1u);
  EXPECT_EQ((*update.hitRows)[0].pageRow->category, u"史部");
  EXPECT_EQ(model->HitOrder(), HitRowOrder::kRightContext);
  // Rows a front end still holds name their pages after their result is gone.
  EXPECT_EQ(before[4].pageRow->page, 3);
  EXPECT_EQ(before[4].pageRow->volume, u"巻二");
  EXPECT_EQ(before[4].right, u"之之");
}

TEST_F(LeftFormModelTest, LoadingTheCatalogueAgainForgetsTheResult) {
  auto model = Make();
  model->Search(Keywords(u"之"));
  ASSERT_EQ(model->SearchNodes().Count(), 4u);
  model->InitialUpdate();
  // The rows named nodes of the catalogue replaced: none are left to list.
  EXPECT_EQ(model->SearchNodes().Count(), 0u);
  EXPECT_EQ(model->Places(), 0);
  EXPECT_FALSE(model->Pager().visible);
  EXPECT_EQ(model->HitRowCount(), 0u);
  EXPECT_EQ(model->OrderPageRows(PageRowOrder::kVolumePage).rows->size(), 0u);
  EXPECT_EQ(model->Search(Keywords(u"之")).rows->size(), 4u);
  EXPECT_EQ(model->OrderedRow(0), (SearchNodeTag{u"経部", u"論語", u"巻一", 0, 1, 1}));
}

TEST_F(LeftFormModelTest, SavesTheListShownAsCsvOrLeavesNoFile) {
  auto model = Make();
  model->Search(Keywords(u"之"));
  std::string error;
  const std::filesystem::path file = temp_ / "result.csv";
  ASSERT_TRUE(model->SaveResultCsv(file, error)) << error;
  EXPECT_EQ(
      ReadFileBytes(file),
      "\xEF\xBB\xBF"
      "類別,書名,巻,頁,箇所\r\n"
      "経部,論語,巻一,1,1\r\n経部,論語,巻一,3,1\r\n経部,論語,巻二,1,3\r\n史部,史記,巻一,1,1\r\n");
  model->ChooseView(ResultView::kHits);
  ASSERT_TRUE(model->SaveResultCsv(file, error)) << error;
  const std::string hits = ReadFileBytes(file);
  EXPECT_EQ(
      hits.rfind(
          "\xEF\xBB\xBF類別,書名,巻,頁,左文脈,語,右文脈\r\n経部,論語,巻一,1,學而時習,之,\r\n", 0),
      0u)
      << hits;
  EXPECT_EQ(std::count(hits.begin(), hits.end(), '\n'), 7);

  // A folder that is not there: an error, and neither the file nor its partial copy.
  const std::filesystem::path missing = temp_ / "missing" / "result.csv";
  EXPECT_FALSE(model->SaveResultCsv(missing, error));
  EXPECT_NE(error.find("missing"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
  EXPECT_EQ(ReadFileBytes(file), hits);  // an earlier file stays as it was
}

TEST(CsvRecordTest, QuotesOnlyWhatNeedsIt) {
  // clang-format off
  const struct {
    std::vector<std::u16string> fields;
    std::string record;
  } cases[] = {
      {{u"甲", u"乙"}, "甲,乙\r\n"},
      {{u"", u""}, ",\r\n"},
      {{u"a,b"}, "\"a,b\"\r\n"},
      {{u"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
      {{u"two\nlines", u"cr\r"}, "\"two\nlines\",\"cr\r\"\r\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::string record;
    if (c.fields.size() == 1)
      record = CsvRecord({c.fields[0]});
    else
      record = CsvRecord({c.fields[0], c.fields[1]});
    EXPECT_EQ(record, c.record);
  }
}

TEST_F(LeftFormModelTest, CitesThePageShown) {
  auto model = Make();
  EXPECT_FALSE(model->CitationOfShownPage());
  model->SelectTreeItem(4);
  EXPECT_EQ(model->CitationOfShownPage(), u"出典：経部・論語・巻二・1頁");
  model->StepPage(+1);
  EXPECT_EQ(model->CitationOfShownPage(), u"出典：経部・論語・巻二・2頁");
  // A page without headings has none to name, wherever the selection stands.
  EXPECT_EQ(model->CitationOfShownPage(1), u"出典：経部・論語・巻二・2頁");
  model->Search(Keywords(u"之"));
  model->ShowResultRow(6);
  EXPECT_EQ(model->CitationOfShownPage(), u"出典：史部・史記・巻一・1頁");
  EXPECT_EQ(CitedText(u"之學", u"出典：史部・史記・巻一・1頁"),
            u"之學\n出典：史部・史記・巻一・1頁");
  EXPECT_EQ(CitedText(u"之學\n", u"出典：x"), u"之學\n出典：x");
}

TEST(LeftFormModelPaging, TwoHundredFiftyRowsMakeThreeListPages) {
  TempDir data, temp;
  std::vector<std::u16string> pages(250, u"之乎");
  WriteTinyCollection(data.path(), {{1, u"部", {}, 1}, {2, u"書", {}, 1}, {3, u"巻", pages, 1}});
  RecordingMessageSink messages;
  LeftFormModel model({data.path(), &messages, temp.path(), temp / "mvr.txt"});
  model.InitialUpdate();
  const PanelUpdate search = model.Search(Keywords(u"之"));
  ASSERT_EQ(Outcome(search), SearchOutcome::kRan);
  EXPECT_EQ(model.Paging().m_nResultPages, 3);
  EXPECT_EQ(search.pager->countLabel, u"/3");
  EXPECT_EQ(model.ListRows().size(), 100u);
  EXPECT_EQ(model.ListRows().front().volumePage, 1);

  PanelUpdate update = model.ApplyPageEdit(u"3");
  ASSERT_TRUE(update.rows);
  EXPECT_EQ(update.rows->size(), 50u);
  EXPECT_EQ(update.rows->front().volumePage, 201);
  EXPECT_EQ(update.pager->editText, u"3");
  EXPECT_EQ(model.Summary(), u"全部で 250 頁で、250 箇所でした。");

  // The page shown already: nothing to paint. A page the list lacks: the edit
  // shows the current page again, the rows stay.
  update = model.ApplyPageEdit(u"3");
  EXPECT_FALSE(update.rows);
  EXPECT_FALSE(update.pager);
  update = model.ApplyPageEdit(u"9");
  EXPECT_FALSE(update.rows);
  ASSERT_TRUE(update.pager);
  EXPECT_EQ(update.pager->editText, u"3");

  update = model.PreviousResultPage();
  ASSERT_TRUE(update.rows);
  EXPECT_EQ(update.rows->front().volumePage, 101);
  EXPECT_EQ(model.NextResultPage().rows->front().volumePage, 201);
  EXPECT_FALSE(model.NextResultPage().rows);  // already on the last list page
}

TEST(LeftFormModelPaging, AHeaderOrderHoldsTheWholeResultAcrossListPages) {
  TempDir data, temp;
  // Page k holds 之 (k % 5) + 1 times.
  std::vector<std::u16string> pages;
  for (int k = 0; k < 250; ++k)
    pages.push_back(std::u16string(static_cast<size_t>(k % 5 + 1), u'之'));
  WriteTinyCollection(data.path(), {{1, u"部", {}, 1}, {2, u"書", {}, 1}, {3, u"巻", pages, 1}});
  RecordingMessageSink messages;
  LeftFormModel model({data.path(), &messages, temp.path(), temp / "mvr.txt"});
  model.InitialUpdate();
  model.Search(Keywords(u"之"));
  PanelUpdate update = model.OrderPageRows(PageRowOrder::kPlaces);
  ASSERT_TRUE(update.rows);
  // 50 pages of each count: the first list page has the 50 fives, then 50 fours.
  EXPECT_EQ(update.rows->front().count, 5);
  EXPECT_EQ(update.rows->front().volumePage, 5);
  EXPECT_EQ((*update.rows)[50].count, 4);
  update = model.NextResultPage();
  EXPECT_EQ(update.rows->front().count, 3);
  EXPECT_EQ(update.rows->back().count, 2);
  EXPECT_EQ(model.NextResultPage().rows->back().count, 1);
  // Back to reading order: from list page 1 again.
  update = model.OrderPageRows(PageRowOrder::kReading);
  EXPECT_EQ(update.pager->editText, u"1");
  EXPECT_EQ(update.rows->front().volumePage, 1);
  // Hit rows page by 100 as well: 750 places make 8 list pages.
  update = model.ChooseView(ResultView::kHits);
  EXPECT_EQ(model.HitRowCount(), 750u);
  EXPECT_EQ(update.pager->countLabel, u"/8");
  ASSERT_EQ(update.hitRows->size(), 100u);
  EXPECT_EQ(model.ApplyPageEdit(u"8").hitRows->size(), 50u);
  EXPECT_EQ(model.ListHits().back().pageRow->volumePage, 250);
}

// A page that begins inside a poem is cited under the poem's title, found on an
// earlier page of its volume; the page text carries the heading markup as the
// builder writes it.
TEST(CitationHeadingTest, APageIsCitedUnderTheLastHeadingBeforeIt) {
  TempDir data;
  TempDir temp;
  RecordingMessageSink messages;
  WriteTinyCollection(data.path(),
                      {{1, u"全唐詩", {}, 1},
                       {2, u"卷一至卷十", {}, 1},
                       {3,
                        u"卷一",
                        {u"</p><h4>帝京篇十首 一</h4><p>秦川雄帝宅", u"函谷壯皇居",
                         u"綺殿千尋起</p><h4>其二</h4><p>巖廊", u"罕窮"},
                        1},
                       {3, u"卷二", {u"雲生"}, 1}},
                      "");
  LeftFormModel model({data.path(), &messages, temp.path(), temp / "mvr.txt"});
  model.InitialUpdate();
  ASSERT_TRUE(model.SelectTreeItem(3).pageToShow);
  // Above the heading of its first page nothing is headed; below it, the page
  // view counts one heading above the selection.
  EXPECT_EQ(model.CitationOfShownPage(0), u"出典：全唐詩・卷一至卷十・卷一・1頁");
  EXPECT_EQ(model.CitationOfShownPage(1), u"出典：全唐詩・卷一至卷十・卷一・帝京篇十首 一・1頁");
  model.StepPage(+1);
  EXPECT_EQ(model.CitationOfShownPage(), u"出典：全唐詩・卷一至卷十・卷一・帝京篇十首 一・2頁");
  model.StepPage(+1);
  // Page 3: the second poem's heading stands in the middle of the page.
  EXPECT_EQ(model.CitationOfShownPage(0), u"出典：全唐詩・卷一至卷十・卷一・帝京篇十首 一・3頁");
  EXPECT_EQ(model.CitationOfShownPage(1), u"出典：全唐詩・卷一至卷十・卷一・其二・3頁");
  // More headings counted than the page holds: its last.
  EXPECT_EQ(model.CitationOfShownPage(5), u"出典：全唐詩・卷一至卷十・卷一・其二・3頁");
  model.StepPage(+1);
  EXPECT_EQ(model.CitationOfShownPage(), u"出典：全唐詩・卷一至卷十・卷一・其二・4頁");
  // Another volume's headings are not its own.
  ASSERT_TRUE(model.SelectTreeItem(4).pageToShow);
  EXPECT_EQ(model.CitationOfShownPage(), u"出典：全唐詩・卷一至卷十・卷二・1頁");
}

TEST(CitationHeadingTest, AHeadingIsReadWithoutItsTagsAndAnnotations) {
  const struct {
    std::string_view page;
    std::u16string heading;
  } cases[] = {
      {"<p>x</p><h4>一</h4><p>y</p><h4>帝京篇<font size=-1 color=\"#993366\">注</font>十首 \n "
       "三</h4>",
       u"帝京篇十首 三"},
      {"<h4><b>A</b> &amp; &lt;B&gt;</h4>", u"A & <B>"},
      {"<h4>cut off", u"cut off"},
      {"<p>no heading</p>", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(LastHeadingOf(c.page), c.heading) << c.page;
  EXPECT_EQ(HeadingsOf("<h4>一</h4><p>x</p><h4 class=t>二 三</h4>"),
            (std::vector<std::u16string>{u"一", u"二 三"}));
}

}  // namespace
}  // namespace quillwen
