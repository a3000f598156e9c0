#include "core/panel_model/contents_catalogue.h"

#include <gtest/gtest.h>

#include <random>

#include "core/writer/catalogue_writer.h"
#include "tests/support/temp_dir.h"

namespace quillwen {
namespace {

using testing::RecordingMessageSink;
using testing::TempDir;

// Two categories; the first with two books of volumes.
const std::vector<CatalogueRecord> kCatalogue = {
    {u"経部", 1, 1, 6, 1},  // 1
    {u"論語", 2, 1, 4, 1},  // 2
    {u"巻一", 3, 1, 2, 1},  // 3
    {u"巻二", 3, 3, 2, 1},  // 4
    {u"孟子", 2, 5, 2, 1},  // 5
    {u"巻一", 3, 5, 2, 5},  // 6
    {u"史部", 1, 7, 1, 1},  // 7
    {u"史記", 2, 7, 1, 1},  // 8
    {u"巻一", 3, 7, 1, 1},  // 9
};

ContentsCatalogue Build(const std::vector<CatalogueRecord>& records) {
  ContentsCatalogue catalogue;
  for (const CatalogueRecord& record : records) catalogue.AddRecord(record);
  return catalogue;
}

TEST(ContentsCatalogue, BuildsGraphAndTreeByLevel) {
  const ContentsCatalogue catalogue = Build(kCatalogue);
  EXPECT_EQ(catalogue.m_nNodeCount, 10);
  EXPECT_EQ(catalogue.m_pRoot->name, u"root");
  ASSERT_EQ(catalogue.m_pRoot->children.size(), 2u);
  EXPECT_EQ(catalogue.NodeOf(2)->pParent, catalogue.NodeOf(1));
  EXPECT_EQ(catalogue.NodeOf(6)->pParent, catalogue.NodeOf(5));
  EXPECT_EQ(catalogue.TreeChildren(0), (std::vector<int>{1, 7}));
  EXPECT_EQ(catalogue.TreeChildren(1), (std::vector<int>{2, 5}));
  EXPECT_EQ(catalogue.TreeChildren(2), (std::vector<int>{3, 4}));
  EXPECT_EQ(catalogue.TreeParent(9), 8);
  // Volumes of one book are linked; the first volume of the next book is not.
  EXPECT_EQ(catalogue.NodeOf(3)->pNext, catalogue.NodeOf(4));
  EXPECT_EQ(catalogue.NodeOf(4)->pPrev, catalogue.NodeOf(3));
  EXPECT_EQ(catalogue.NodeOf(4)->pNext, nullptr);
  EXPECT_EQ(catalogue.NodeOf(6)->pPrev, nullptr);
  EXPECT_EQ(catalogue.NodeOf(1)->pNext, nullptr);
}

TEST(ContentsCatalogue, SlotZeroAndUnloadedRecordsReadAsZeros) {
  const ContentsCatalogue catalogue = Build(kCatalogue);
  EXPECT_EQ(catalogue.Record(0), CatalogueRecord{});
  EXPECT_EQ(catalogue.Record(10), CatalogueRecord{});
  EXPECT_EQ(catalogue.Record(-1), CatalogueRecord{});
  EXPECT_EQ(catalogue.NodeOf(0), nullptr);
  EXPECT_EQ(catalogue.Record(1).name, u"経部");
}

TEST(ContentsCatalogue, RangeLabelJoinsTheItemAndItsAncestors) {
  const ContentsCatalogue catalogue = Build(kCatalogue);
  EXPECT_EQ(catalogue.RangeLabel(1), u"経部");
  EXPECT_EQ(catalogue.RangeLabel(5), u"経部\\孟子");
  EXPECT_EQ(catalogue.RangeLabel(4), u"経部\\論語\\巻二");
  EXPECT_EQ(catalogue.RangeLabel(0), u"");
}

TEST(ContentsCatalogue, RecordWithoutParentGoesToTheTopLevelAndNoChildren) {
  const ContentsCatalogue catalogue =
      Build({{u"孤", 2, 1, 1, 1}, {u"巻", 3, 1, 1, 1}, {u"深", 4, 1, 1, 1}});
  EXPECT_EQ(catalogue.NodeOf(1)->pParent, nullptr);
  EXPECT_TRUE(catalogue.m_pRoot->children.empty());
  // Its tree item is at the top level, and the next record's item hangs under it,
  // while in the graph the volume finds no book node at all.
  EXPECT_EQ(catalogue.TreeChildren(0), std::vector<int>{1});
  EXPECT_EQ(catalogue.TreeParent(2), 1);
  EXPECT_EQ(catalogue.NodeOf(2)->pParent, nullptr);
  EXPECT_EQ(catalogue.RangeLabel(3), u"孤\\巻\\深");
}

TEST(ContentsCatalogue, LevelsBeyondTheTreeTableHangAtTheTopLevel) {
  std::vector<CatalogueRecord> deep;
  for (int level = 1; level <= 22; ++level) deep.push_back({u"x", level, 1, 1, 1});
  const ContentsCatalogue catalogue = Build(deep);
  EXPECT_EQ(catalogue.TreeParent(20), 19);
  EXPECT_EQ(catalogue.TreeParent(21), 0);
  EXPECT_EQ(catalogue.TreeParent(22), 0);
  // The graph has no such table: the chain goes on.
  EXPECT_EQ(catalogue.NodeOf(22)->pParent, catalogue.NodeOf(21));
}

TEST(ContentsCatalogue, TableHoldsAt9999Records) {
  ContentsCatalogue catalogue;
  for (int i = 0; i < 9999; ++i) ASSERT_TRUE(catalogue.AddRecord({u"v", 1, i + 1, 1, 1}));
  EXPECT_FALSE(catalogue.AddRecord({u"v", 1, 1, 1, 1}));
  EXPECT_EQ(catalogue.m_nNodeCount, 10000);
}

// The parent found per level agrees with the depth-first search over the graph,
// also for catalogues full of level jumps and orphans.
TEST(ContentsCatalogue, ParentsAgreeWithFindParentNode) {
  std::mt19937 random(5);
  for (int round = 0; round < 40; ++round) {
    ContentsCatalogue catalogue;
    for (int i = 0; i < 60; ++i) {
      const CatalogueRecord record{u"n", static_cast<int32_t>(random() % 6), 1, 1, 1};
      ContentsNodeTag probe;
      probe.level = record.level;
      ContentsNodeTag* expected = FindParentNode(catalogue.m_pRoot.get(), probe);
      catalogue.AddRecord(record);
      ASSERT_EQ(catalogue.NodeOf(i + 1)->pParent, expected)
          << "round " << round << " record " << i + 1;
    }
  }
}

TEST(ContentsCatalogue, FindNodeByRecordTakesTheFirstMatchInDepthFirstOrder) {
  ContentsCatalogue catalogue = Build(kCatalogue);
  EXPECT_EQ(FindNodeByRecord(catalogue.m_pRoot.get(), kCatalogue[3]), catalogue.NodeOf(4));
  // Records 3 (巻一 of 論語) and 9 differ; a record equal in its numbers to 3 but
  // named otherwise still finds node 3.
  EXPECT_EQ(FindNodeByRecord(catalogue.m_pRoot.get(), {u"other", 3, 1, 2, 1}), catalogue.NodeOf(3));
  EXPECT_EQ(FindNodeByRecord(catalogue.m_pRoot.get(), {u"x", 3, 1, 2, 2}), nullptr);
  EXPECT_EQ(FindNodeByRecord(nullptr, kCatalogue[0]), nullptr);
}

TEST(ContentsCatalogue, VolumeTreeMovesFollowSiblingsAcrossBooks) {
  const ContentsCatalogue catalogue = Build(kCatalogue);
  EXPECT_EQ(catalogue.NextVolumeTreeTarget(3), 4);
  EXPECT_EQ(catalogue.NextVolumeTreeTarget(4), 6);  // first volume of the next book
  EXPECT_EQ(catalogue.NextVolumeTreeTarget(6), 0);  // last book of its category
  EXPECT_EQ(catalogue.PreviousVolumeTreeTarget(6), 4);
  EXPECT_EQ(catalogue.PreviousVolumeTreeTarget(3), 0);
  EXPECT_EQ(catalogue.NextVolumeTreeTarget(2), 5);  // from a selected book: the next book
}

TEST(ContentsCatalogue, LoadReadsTheFileAndReportsAMissingOne) {
  TempDir dir;
  RecordingMessageSink sink;
  ContentsCatalogue catalogue;
  catalogue.Load(dir.path(), sink, dir / "mvr.txt");
  EXPECT_EQ(catalogue.m_nNodeCount, 1);
  EXPECT_EQ(sink.messages, std::vector<std::u16string>{u"you delete data file!"});

  std::string error;
  ASSERT_TRUE(WriteCatalogue(dir / "mvr.dir", kCatalogue, &error));
  catalogue.Load(dir.path(), sink, dir / "mvr.txt");
  EXPECT_EQ(catalogue.m_nNodeCount, 10);
  EXPECT_EQ(catalogue.TreeChildren(0), (std::vector<int>{1, 7}));
  // Loading again starts afresh.
  catalogue.Load(dir.path(), sink, dir / "mvr.txt");
  EXPECT_EQ(catalogue.m_nNodeCount, 10);
  EXPECT_EQ(catalogue.m_pRoot->children.size(), 2u);
}

}  // namespace
}  // namespace quillwen
