#include "core/panel_model/left_form_model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temp_dir.h"
#include "tests/support/tiny_collection.h"

namespace quillwen {
namespace {

using testing::ReadFileBytes;
using testing::RecordingMessageSink;
using testing::TempDir;
using testing::TinyEntry;
using testing::WriteTinyCollection;

class RecordingPageView : public PageViewTarget {
 public:
  void Navigate(const std::string& location) override { locations.push_back(location); }
  std::vector<std::string> locations;
};

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

class LeftFormModelTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteTinyCollection(data_.path(), kCollection, "5B78,5B66\n"); }

  std::unique_ptr<LeftFormModel> Make() {
    auto model = std::make_unique<LeftFormModel>(LeftFormModel::Environment{
        data_.path(), &messages_, &view_, temp_.path(), temp_ / "mvr.txt"});
    model->InitialUpdate();
    return model;
  }

  TempDir data_;
  TempDir temp_;
  RecordingMessageSink messages_;
  RecordingPageView view_;
};

TEST_F(LeftFormModelTest, StartsWithTheFirstRecordAsRangeAndNothingShown) {
  auto model = Make();
  EXPECT_TRUE(messages_.messages.empty());
  EXPECT_TRUE(model->m_index.IsOpen());
  EXPECT_EQ(model->m_nRangeNode, 1);
  EXPECT_EQ(model->m_strRange, u"経部");
  EXPECT_EQ(model->m_nCurNode, 0);
  EXPECT_EQ(model->m_strSummary, u"検索集計：");
  EXPECT_EQ(model->m_strTempPage.filename(), "windows.html");
  EXPECT_EQ(model->m_strTempResult1.filename(), "windows1.html");
  EXPECT_EQ(model->m_strTempResult2.filename(), "windows2.html");
}

TEST_F(LeftFormModelTest, TemporaryFilesLiveInAPrivateFolderRemovedAtTheEnd) {
  std::filesystem::path folder;
  {
    auto model = Make();
    folder = model->m_strTempPage.parent_path();
    struct stat info;
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_TRUE(model->OnTreeSelectionChanged(3));
    EXPECT_TRUE(std::filesystem::exists(model->m_strTempPage));
  }
  EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(LeftFormModelTest, MissingCollectionShowsBothMessages) {
  TempDir empty;
  LeftFormModel model({empty.path(), &messages_, &view_, temp_.path(), temp_ / "mvr.txt"});
  model.InitialUpdate();
  EXPECT_EQ(messages_.messages,
            (std::vector<std::u16string>{u"データを開けませんでした。", u"you delete data file!"}));
  EXPECT_EQ(model.m_catalogue.m_nNodeCount, 1);
  EXPECT_EQ(model.OnSearch(u"之"), SearchOutcome::kRan);
  EXPECT_TRUE(model.m_SearchNodes.empty());
  EXPECT_EQ(model.m_strSummary, u"全部で 0 頁で、0 箇所でした。");
}

TEST_F(LeftFormModelTest, SelectingABookSetsTheRangeOnly) {
  auto model = Make();
  ASSERT_TRUE(model->OnTreeSelectionChanged(3));
  view_.locations.clear();
  EXPECT_FALSE(model->OnTreeSelectionChanged(5));
  EXPECT_EQ(model->m_nRangeNode, 5);
  EXPECT_EQ(model->m_strRange, u"経部\\孟子");
  EXPECT_EQ(model->m_nCurNode, 3);
  EXPECT_TRUE(view_.locations.empty());
}

TEST_F(LeftFormModelTest, SelectingAVolumeShowsItsFirstStoredPage) {
  auto model = Make();
  ASSERT_TRUE(model->OnTreeSelectionChanged(6));
  EXPECT_EQ(model->m_nCurNode, 6);
  EXPECT_EQ(model->m_nCurPage, 5);
  EXPECT_EQ(model->m_strRange, u"経部\\孟子\\巻一");
  ASSERT_EQ(view_.locations.size(), 1u);
  EXPECT_EQ(view_.locations[0], model->m_strTempPage.string());
  std::string stored;
  ASSERT_TRUE(model->m_index.ReadPage(5, stored));
  EXPECT_EQ(ReadFileBytes(model->m_strTempPage), stored);
  EXPECT_EQ(model->Slider().minimum, 5);
  EXPECT_EQ(model->Slider().maximum, 5);
  EXPECT_EQ(model->PageLabel(), u"1/5");
}

TEST_F(LeftFormModelTest, SearchListsRowsInsideTheRangeWithTheSummary) {
  auto model = Make();
  model->OnTreeSelectionChanged(1);
  ASSERT_EQ(model->OnSearch(u"之"), SearchOutcome::kRan);
  // 之 stands on 巻一 pages 1 and 3, and three times on 巻二 page 1; 史部 is outside.
  EXPECT_EQ(model->m_strSummary, u"全部で 3 頁で、5 箇所でした。");
  ASSERT_EQ(model->m_SearchNodes.size(), 3u);
  EXPECT_EQ(model->m_SearchNodes[0], (SearchNodeTag{u"経部", u"論語", u"巻一", 0, 1, 1}));
  EXPECT_EQ(model->m_SearchNodes[1], (SearchNodeTag{u"経部", u"論語", u"巻二", 3, 1, 3}));
  EXPECT_EQ(model->m_SearchNodes[2], (SearchNodeTag{u"経部", u"論語", u"巻一", 2, 3, 1}));
  EXPECT_EQ(model->m_paging.m_nResultPages, 1);
  EXPECT_EQ(model->ListRows().size(), 3u);
}

TEST_F(LeftFormModelTest, QueryBufferKeepsIdeographicSpacesAfterTheSearch) {
  auto model = Make();
  ASSERT_EQ(model->OnSearch(u"之\u3000學"), SearchOutcome::kRan);
  EXPECT_EQ(model->m_strKeyWords, u"之\u3000學");
  EXPECT_EQ(model->m_SearchNodes.size(), 1u);  // both on 巻一 page 1 only, in 経部
}

TEST_F(LeftFormModelTest, OrMethodAndVariants) {
  auto model = Make();
  model->m_nSearchMethod = SearchMethodOr;
  model->OnTreeSelectionChanged(7);
  ASSERT_EQ(model->OnSearch(u"學 人"), SearchOutcome::kRan);
  EXPECT_EQ(model->m_SearchNodes.size(), 1u);
  // 学 (5B66) is a variant of 學 (5B78): found only with variants on.
  model->OnTreeSelectionChanged(1);
  ASSERT_EQ(model->OnSearch(u"学"), SearchOutcome::kRan);
  EXPECT_EQ(model->m_SearchNodes.size(), 1u);
  model->m_bVariants = 0;
  ASSERT_EQ(model->OnSearch(u"学"), SearchOutcome::kRan);
  EXPECT_TRUE(model->m_SearchNodes.empty());
}

TEST_F(LeftFormModelTest, ChecksEndTheCommandAndKeepThePreviousResult) {
  auto model = Make();
  ASSERT_EQ(model->OnSearch(u"之"), SearchOutcome::kRan);
  const auto rows = model->m_SearchNodes;

  EXPECT_EQ(model->OnSearch(std::nullopt), SearchOutcome::kNoInputValue);
  EXPECT_TRUE(model->m_strKeyWords.empty());
  EXPECT_TRUE(messages_.messages.empty());

  model->m_strKeyWords = u"之";
  EXPECT_EQ(model->OnSearch(u""), SearchOutcome::kNoKeywords);
  EXPECT_EQ(model->m_strKeyWords, u"之");
  EXPECT_EQ(messages_.messages.back(), u"何かキーワードを入力して検索をして下さい。");

  model->m_nRangeNode = 0;
  EXPECT_EQ(model->OnSearch(u"之"), SearchOutcome::kNoRange);
  EXPECT_EQ(messages_.messages.back(), u"検索範囲をまた指定していません。");
  EXPECT_EQ(model->m_SearchNodes, rows);
}

TEST_F(LeftFormModelTest, RejectedQueryRebuildsRowsFromThePreviousListsInTheNewRange) {
  auto model = Make();
  model->OnTreeSelectionChanged(1);
  ASSERT_EQ(model->OnSearch(u"之"), SearchOutcome::kRan);
  model->OnTreeSelectionChanged(4);
  ASSERT_EQ(model->OnSearch(u"abc"), SearchOutcome::kRan);
  ASSERT_EQ(model->m_SearchNodes.size(), 1u);
  EXPECT_EQ(model->m_SearchNodes[0].volume, u"巻二");
  EXPECT_EQ(model->m_strSummary, u"全部で 1 頁で、3 箇所でした。");
}

TEST_F(LeftFormModelTest, TargetChangeReopensTheIndexAndSetsTheHighlightScope) {
  auto model = Make();
  model->OnSearchTargetChanged(SearchTargetMainText);
  EXPECT_EQ(model->m_nHighlightScope, 1);
  EXPECT_TRUE(model->m_index.IsOpen());
  ASSERT_EQ(model->OnSearch(u"之"), SearchOutcome::kRan);
  EXPECT_EQ(model->m_SearchNodes.size(), 3u);
  model->OnSearchTargetChanged(SearchTargetAnnotations);
  EXPECT_EQ(model->m_nHighlightScope, 2);
  ASSERT_EQ(model->OnSearch(u"之"), SearchOutcome::kRan);
  EXPECT_TRUE(model->m_SearchNodes.empty());
}

TEST_F(LeftFormModelTest, ResultPagesAlternateBetweenTheTwoFiles) {
  auto model = Make();
  ASSERT_EQ(model->OnSearch(u"之"), SearchOutcome::kRan);
  view_.locations.clear();
  ASSERT_TRUE(model->ShowResult(3));
  EXPECT_EQ(model->m_nHitCount, 3);
  EXPECT_EQ(model->m_nCurHit, 0);
  EXPECT_EQ(view_.locations.back(), model->m_strTempResult1.string() + "#0000");
  EXPECT_NE(ReadFileBytes(model->m_strTempResult1).find("<a name=\"0002\"></a>"), std::string::npos);
  ASSERT_TRUE(model->ShowResult(0));
  EXPECT_EQ(model->m_nHitCount, 1);
  EXPECT_EQ(view_.locations.back(), model->m_strTempResult2.string() + "#0000");
  EXPECT_EQ(model->m_strHitPage, model->m_strTempResult2);
  ASSERT_TRUE(model->ShowResult(3));
  EXPECT_EQ(model->m_strHitPage, model->m_strTempResult1);
  // A page that cannot be rendered changes nothing.
  EXPECT_FALSE(model->ShowResult(999));
  EXPECT_EQ(model->m_strHitPage, model->m_strTempResult1);
  EXPECT_EQ(model->m_nHitCount, 3);
}

TEST_F(LeftFormModelTest, HitsStepByFragment) {
  auto model = Make();
  ASSERT_EQ(model->OnSearch(u"之"), SearchOutcome::kRan);
  ASSERT_TRUE(model->ShowResult(3));
  model->StepHit(+1);
  model->StepHit(+1);
  EXPECT_EQ(view_.locations.back(), model->m_strTempResult1.string() + "#0002");
  EXPECT_FALSE(CanGoToNextHit(model->Reading()));
  model->StepHit(-1);
  EXPECT_EQ(model->m_nCurHit, 1);
}

TEST_F(LeftFormModelTest, PagesAndVolumesStepByTheRecordScan) {
  auto model = Make();
  ASSERT_TRUE(model->OnTreeSelectionChanged(3));
  model->StepPage(+1);
  EXPECT_EQ(model->m_nCurPage, 2);
  std::string stored;
  ASSERT_TRUE(model->m_index.ReadPage(1, stored));
  EXPECT_EQ(ReadFileBytes(model->m_strTempPage), stored);

  EXPECT_EQ(model->StepVolume(+1), 4);
  EXPECT_EQ(model->m_nCurNode, 4);
  EXPECT_EQ(model->m_nCurPage, 1);
  EXPECT_EQ(model->StepVolume(+1), 6);  // across the book boundary
  EXPECT_EQ(model->m_nCurPage, 5);
  EXPECT_EQ(model->StepVolume(+1), 9);
  EXPECT_EQ(model->StepVolume(+1), 0);
  EXPECT_EQ(messages_.messages.back(), u"もう最後の巻まで至りました。");
  EXPECT_EQ(model->m_nCurNode, 9);
  model->m_nCurNode = 3;
  EXPECT_EQ(model->StepVolume(-1), 0);
  EXPECT_EQ(messages_.messages.back(), u"これ以上戻れません。もう巻一に至っています。");
}

TEST(LeftFormModelPaging, TwoHundredFiftyRowsMakeThreeListPages) {
  TempDir data, temp;
  std::vector<std::u16string> pages(250, u"之乎");
  WriteTinyCollection(data.path(), {{1, u"部", {}, 1}, {2, u"書", {}, 1}, {3, u"巻", pages, 1}});
  RecordingMessageSink messages;
  LeftFormModel model({data.path(), &messages, nullptr, temp.path(), temp / "mvr.txt"});
  model.InitialUpdate();
  ASSERT_EQ(model.OnSearch(u"之"), SearchOutcome::kRan);
  EXPECT_EQ(model.m_paging.m_nResultPages, 3);
  EXPECT_EQ(model.ListRows().size(), 100u);
  EXPECT_EQ(model.ListRows().front().volumePage, 1);
  EXPECT_TRUE(model.ApplyPageEdit(u"3"));
  EXPECT_EQ(model.ListRows().size(), 50u);
  EXPECT_EQ(model.ListRows().front().volumePage, 201);
  EXPECT_EQ(model.m_strSummary, u"全部で 250 頁で、250 箇所でした。");
}

}  // namespace
}  // namespace quillwen
