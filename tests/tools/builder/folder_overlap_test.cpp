// A source and a data folder that hold one another, however the paths are
// spelled, stop the build before anything is written.

#include "tools/builder/folder_overlap.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/tools/builder/case_label.h"
#include "tests/tools/builder/collection_fixture.h"

namespace quillwen::build {
namespace {

namespace fs = std::filesystem;
using quillwen::testing::WriteFileBytes;
using testing::CollectionFixture;

// Every path under `root`, links not followed, with the size of each file.
std::set<std::string> Snapshot(const fs::path& root) {
  std::set<std::string> entries;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    std::string entry = fs::relative(it->path(), root).string();
    if (it->is_symlink()) {
      entry += " -> " + fs::read_symlink(it->path()).string();
    } else if (it->is_regular_file()) {
      entry += " " + std::to_string(it->file_size());
    }
    entries.insert(entry);
  }
  return entries;
}

struct OverlapCase {
  const char* label;
  // Lays out what the case needs beside dir/source (which holds 經/書/卷.txt)
  // and points the build's source and target at it.
  std::function<void(const fs::path& dir, BuildOptions& options)> arrange;
  std::string expected;
};

class FolderOverlapTest : public ::testing::TestWithParam<OverlapCase>, public CollectionFixture {};

TEST_P(FolderOverlapTest, RefusesAndWritesNothing) {
  WriteSource("經/書/卷.txt", "甲乙");
  GetParam().arrange(Dir().path(), Options());
  const std::set<std::string> before = Snapshot(Dir().path());
  EXPECT_FALSE(Build());
  EXPECT_NE(Error().find(GetParam().expected), std::string::npos) << Error();
  EXPECT_EQ(Snapshot(Dir().path()), before);
}

// An old collection left in the folder the new one goes to.
void PlaceOldCollection(const fs::path& folder) {
  fs::create_directories(folder);
  WriteFileBytes(folder / "yitizi.txt", "4F53,9AD4\n");
  WriteFileBytes(folder / "mvr.dir", "");
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FolderOverlapTest,
    ::testing::Values(
        // The finding: 經/out/yitizi.txt would have become volume 經 › out › yitizi.
        OverlapCase{"DataFolderInsideTheSource",
                    [](const fs::path& dir, BuildOptions& options) {
                      PlaceOldCollection(dir / "source/經/out");
                      options.target = dir / "source/經/out";
                    },
                    "out: the data folder lies inside the source folder"},
        OverlapCase{"NewDataFolderInsideTheSource",
                    [](const fs::path& dir, BuildOptions& options) {
                      options.target = dir / "source/data";
                    },
                    "data: the data folder lies inside the source folder"},
        OverlapCase{
            "SameFolder",
            [](const fs::path& dir, BuildOptions& options) { options.target = dir / "source"; },
            "the data folder is the source folder"},
        OverlapCase{"SameFolderSpelledOtherwise",
                    [](const fs::path& dir, BuildOptions& options) {
                      options.target = dir / "source/經/../";
                    },
                    "the data folder is the source folder"},
        OverlapCase{"SameFolderThroughALink",
                    [](const fs::path& dir, BuildOptions& options) {
                      fs::create_directory_symlink(dir / "source", dir / "link");
                      options.target = dir / "link";
                    },
                    "link: the data folder is the source folder"},
        OverlapCase{"DataFolderInsideTheSourceThroughALink",
                    [](const fs::path& dir, BuildOptions& options) {
                      fs::create_directory_symlink(dir / "source", dir / "link");
                      options.target = dir / "link/經/out";
                    },
                    "the data folder lies inside the source folder"},
        OverlapCase{"SourceInsideTheDataFolder",
                    [](const fs::path& dir, BuildOptions& options) { options.target = dir; },
                    "source: the source folder lies inside the data folder"},
        OverlapCase{"SourceInsideTheDataFolderThroughALink",
                    [](const fs::path& dir, BuildOptions& options) {
                      PlaceOldCollection(dir / "data");
                      fs::rename(dir / "source", dir / "data/source");
                      fs::create_directory_symlink(dir / "data/source", dir / "source");
                      options.target = dir / "data";
                    },
                    "source: the source folder lies inside the data folder"},
        OverlapCase{"BookFolderLinkedToTheDataFolder",
                    [](const fs::path& dir, BuildOptions& options) {
                      PlaceOldCollection(dir / "data");
                      fs::create_directory_symlink(dir / "data", dir / "source/經/舊");
                      options.target = dir / "data";
                    },
                    "舊: leads into the data folder"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(FolderOverlapCheckTest, FoldersThatOnlyShareTheStartOfTheirNamesAreApart) {
  quillwen::testing::TempDir dir;
  fs::create_directories(dir / "source");
  std::string error;
  EXPECT_TRUE(CheckFoldersApart(dir / "source", dir / "source2", &error)) << error;
  EXPECT_TRUE(CheckFoldersApart(dir / "source", dir / "sourc", &error)) << error;
  EXPECT_TRUE(CheckFoldersApart(dir / "source", dir / "data/new", &error)) << error;
  EXPECT_TRUE(error.empty()) << error;
}

class FolderOverlapBuildTest : public ::testing::Test, public CollectionFixture {};

TEST_F(FolderOverlapBuildTest, ADataFolderBesideTheSourceBuilds) {
  WriteSource("經/書/卷.txt", "甲乙");
  Options().target = Dir() / "source2";
  ASSERT_TRUE(Build()) << Error();
  EXPECT_TRUE(fs::is_regular_file(Dir() / "source2/mvr.dir"));
}

}  // namespace
}  // namespace quillwen::build
