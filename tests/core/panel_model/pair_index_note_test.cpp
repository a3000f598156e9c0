// A pair index the panel cannot use: its search says so, once, naming the
// file, and finds what the index set alone finds.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "core/panel_model/left_form_model.h"
#include "core/search/index.h"
#include "core/writer/pair_index_from_lists.h"
#include "tests/core/panel_model/panel_requests.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiny_collection.h"

namespace quillwen {
namespace {

namespace fs = std::filesystem;
using testing::AllRows;
using testing::Keywords;

class PairIndexNoteTest : public testing::PanelModelTest {
 protected:
  void SetUp() override {
    testing::WriteTinyCollection(
        data_.path(),
        {{1, u"経部", {}, 1},
         {2, u"論語", {}, 1},
         {3, u"巻一", {u"學而時習之", u"不亦說乎學而", u"有朋自遠方來"}, 1}},
        "5B78,5B66\n");
    CIndex index;
    ASSERT_TRUE(index.Open(data_.path(), u"Index", ScopeFullText));
    std::string error;
    ASSERT_TRUE(WritePairIndex(index, PairFile(), {.maxBytes = uint64_t{1} << 30}, nullptr, &error))
        << error;
  }

  fs::path PairFile() const { return data_.path() / "Index-pairs.qw"; }

  void Change(const std::function<void(std::string&)>& change) {
    std::string bytes;
    {
      std::ifstream in(PairFile(), std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    change(bytes);
    std::ofstream(PairFile(), std::ios::binary | std::ios::trunc) << bytes;
  }
};

TEST_F(PairIndexNoteTest, AnUnusablePairIndexIsNamedOnceAndChangesNoResult) {
  auto model = Make();
  ASSERT_TRUE(model->Index().UsesPairIndex());
  model->Search(Keywords(u"學而"));
  const auto expected = AllRows(*model);
  ASSERT_EQ(expected.size(), 2u);

  const struct {
    const char* name;
    std::function<void(std::string&)> change;
  } cases[] = {
      // Set aside when the collection is opened.
      {"header", [](std::string& bytes) { bytes[0] = 'X'; }},
      // Set aside when the search reads the list.
      {"lists", [](std::string& bytes) { std::fill(bytes.begin() + 16384, bytes.end(), '\0'); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CIndex index;
    ASSERT_TRUE(index.Open(data_.path(), u"Index", ScopeFullText));
    std::string error;
    ASSERT_TRUE(
        WritePairIndex(index, PairFile(), {.maxBytes = uint64_t{1} << 30}, nullptr, &error));
    index.Close();
    Change(c.change);
    auto damaged = Make();
    const PanelUpdate first = damaged->Search(Keywords(u"學而"));
    ASSERT_TRUE(first.message.has_value());
    EXPECT_NE(first.message->find(u"補助索引ファイル " + PairFile().u16string()),
              std::u16string::npos);
    EXPECT_EQ(AllRows(*damaged), expected);
    const PanelUpdate second = damaged->Search(Keywords(u"學而"));
    EXPECT_FALSE(second.message && second.message->find(u"補助索引") != std::u16string::npos);
    EXPECT_EQ(AllRows(*damaged), expected);
  }
}

}  // namespace
}  // namespace quillwen
