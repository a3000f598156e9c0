// A collection rebuilt while the panel has it open: the model keeps reading the
// build it opened until it opens an index set again, then opens the new build
// whole and says so.

#include <gtest/gtest.h>

#include "core/panel_model/collection_checks.h"
#include "core/panel_model/left_form_model.h"
#include "core/writer/manifest_writer.h"
#include "tests/core/panel_model/panel_requests.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiny_collection.h"

namespace quillwen {
namespace {

using testing::AllRows;
using testing::Keywords;
using testing::RecordingMessageSink;
using testing::TempDir;

void WriteBuild(const std::filesystem::path& folder, const std::vector<std::u16string>& pages,
                const std::string& build) {
  testing::WriteTinyCollection(folder,
                               {{1, u"部", {}, 1}, {2, u"書", {}, 1}, {3, u"卷", pages, 1}});
  std::string error;
  ASSERT_TRUE(WriteCollectionManifest(folder, "test", build, &error)) << error;
}

TEST(CollectionReloadTest, ANewBuildFoundOnReopeningIsOpenedWhole) {
  TempDir data;
  TempDir temp;
  RecordingMessageSink messages;
  WriteBuild(data.path(), {u"之", u"之之"}, "first");
  LeftFormModel model({data.path(), &messages, temp.path(), temp / "mvr.txt"});
  model.InitialUpdate();
  EXPECT_TRUE(messages.messages.empty());
  ASSERT_TRUE(model.SelectTreeItem(3).pageToShow);
  ASSERT_EQ(AllRows(model).size(), 0u);
  model.Search(Keywords(u"之"));
  EXPECT_EQ(AllRows(model).size(), 2u);

  // Rebuilt: three pages now, a new build identifier.
  WriteBuild(data.path(), {u"之", u"之", u"之"}, "second");
  // The same target reads on in what was opened.
  EXPECT_FALSE(model.Search(Keywords(u"之")).catalogueReloaded);
  EXPECT_EQ(AllRows(model).size(), 2u);

  SearchRequest request = Keywords(u"之");
  request.target = SearchTarget::kMainText;
  const PanelUpdate update = model.Search(request);
  EXPECT_TRUE(update.catalogueReloaded);
  EXPECT_EQ(update.message, std::u16string(kCollectionRebuiltMessage));
  EXPECT_EQ(update.pageToShow, std::string(kBlankPage));
  EXPECT_EQ(model.RangeNode(), kWholeCollection);
  EXPECT_EQ(AllRows(model).size(), 3u);
  EXPECT_EQ(model.Catalogue().Record(3).docNo, 3);
  // Opening the first target again finds the build it has.
  request.target = SearchTarget::kFullText;
  EXPECT_FALSE(model.Search(request).catalogueReloaded);
  EXPECT_EQ(AllRows(model).size(), 3u);
}

}  // namespace
}  // namespace quillwen
