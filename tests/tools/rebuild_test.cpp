// Searches while the collection is rebuilt again and again: every answer is
// the old build's or the new one's, whole, and none calls the collection
// damaged.

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tools/builder/collection_builder.h"

namespace quillwen {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteFileBytes;

// A source whose 之 stands on `pages` pages, each a volume of its own.
fs::path WriteSource(const fs::path& root, int pages) {
  fs::create_directories(root / "01 經" / "01 書");
  for (int i = 1; i <= pages; ++i) {
    WriteFileBytes(root / "01 經" / "01 書" / (std::to_string(i) + " 卷.txt"),
                   "學而時習之" + std::string(static_cast<size_t>(i), '\n') + "不亦說乎\n");
  }
  return root;
}

bool Build(const fs::path& source, const fs::path& target, std::string* error) {
  build::BuildOptions options;
  options.source = source;
  options.target = target;
  options.charactersPerPage = 16;
  build::BuildSummary summary;
  return build::BuildCollection(options, &summary, error);
}

TEST(RebuildTest, ASearchSeesOneBuildWhole) {
  TempDir dir;
  const fs::path three = WriteSource(dir / "three", 3);
  const fs::path seven = WriteSource(dir / "seven", 7);
  const fs::path data = dir / "data";
  std::string error;
  ASSERT_TRUE(Build(three, data, &error)) << error;

  constexpr int kRebuilds = 24;
  std::atomic<bool> building = true;
  std::string buildError;
  std::thread builder([&] {
    for (int i = 0; i < kRebuilds && buildError.empty(); ++i) {
      if (!Build(i % 2 == 0 ? seven : three, data, &buildError)) break;
    }
    building = false;
  });

  const std::set<std::string> answers = {"全部で 3 頁で、3 箇所でした。",
                                         "全部で 7 頁で、7 箇所でした。"};
  int searches = 0;
  TempDir scratch;
  while (building || searches < 2) {
    // Hit rows read every page found: a page of the other build would fail to
    // render, or render without its hit, and be told on standard error.
    const testing::ProgramRun run = testing::RunProgram(
        std::string(QUILLWEN_SEARCH_TOOL) + " --data '" + data.string() + "' --hits 之",
        scratch.path());
    ++searches;
    const std::string summary = run.out.substr(0, run.out.find('\n'));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(answers.contains(summary)) << summary;
    if (::testing::Test::HasFailure()) break;
  }
  builder.join();
  EXPECT_EQ(buildError, "");
  EXPECT_GE(searches, 2);
}

}  // namespace
}  // namespace quillwen
