// A collection whose volume store another tool laid out: its pages in another
// order in the content file, with unused bytes before and between them. Every
// use of the pages through quillwen-search must give what the builder's own
// layout gives: the list, the hit rows with their text, the result pages and the
// stored pages.

#include "tests/support/scattered_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/store/collection_manifest.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/small_collection.h"

namespace quillwen {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::TempDir;

class ScatteredStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::BuildSmallCollection(built_.path());
    // Laid out by another tool, the collection carries no manifest of ours.
    fs::remove(built_ / "data" / kManifestFileName);
    fs::copy(built_ / "data", scattered_ / "data");
    testing::ScatterVolumeStore(scattered_ / "data", 20261211);
    ASSERT_NE(testing::ReadFileBytes(built_ / "data" / "Index-fl.cnt"),
              testing::ReadFileBytes(scattered_ / "data" / "Index-fl.cnt"));
  }

  ProgramRun Run(const TempDir& root, const std::string& arguments) {
    return testing::RunProgram(std::string(QUILLWEN_SEARCH_TOOL) + " --data '" +
                                   (root / "data").string() + "' " + arguments,
                               scratch_.path());
  }

  // The same run on both collections gives the same output, error and status.
  ProgramRun ExpectSameOnBoth(const std::string& arguments) {
    const ProgramRun built = Run(built_, arguments);
    const ProgramRun scattered = Run(scattered_, arguments);
    EXPECT_EQ(scattered.out, built.out) << arguments;
    EXPECT_EQ(scattered.err, built.err) << arguments;
    EXPECT_EQ(scattered.exitCode, built.exitCode) << arguments;
    return built;
  }

  TempDir built_;
  TempDir scattered_;
  TempDir scratch_;
};

TEST_F(ScatteredStoreTest, EveryPageIsShownAsStored) {
  // Volumes 3, 4 and 7 hold pages 1 on; one page past the last is refused alike.
  for (const int record : {3, 4, 7}) {
    int page = 1;
    for (;; ++page) {
      const ProgramRun run =
          ExpectSameOnBoth("--show " + std::to_string(record) + " " + std::to_string(page));
      if (run.exitCode != 0) break;
      EXPECT_NE(run.out.find("<title>"), std::string::npos) << record << " " << page;
    }
    EXPECT_GT(page, 1) << record;
  }
}

TEST_F(ScatteredStoreTest, SearchesHitRowsAndResultPagesAreTheSame) {
  const ProgramRun list = ExpectSameOnBoth("--or 之 子 不");
  EXPECT_EQ(list.exitCode, 0) << list.err;
  const ProgramRun hits = ExpectSameOnBoth("--hits --context 4 --or 之 子 不");
  EXPECT_EQ(hits.exitCode, 0) << hits.err;
  EXPECT_EQ(hits.out.find("（印なし）"), std::string::npos) << hits.out;
  for (int entry = 0; entry < 15; ++entry) {
    const ProgramRun page = ExpectSameOnBoth("--render " + std::to_string(entry) + " 之 子");
    EXPECT_EQ(page.exitCode, 0) << entry << page.err;
  }
}

}  // namespace
}  // namespace quillwen
