#include "tools/builder/staging_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "tests/support/temp_dir.h"

namespace quillwen::build {
namespace {

namespace fs = std::filesystem;
using quillwen::testing::ReadFileBytes;
using quillwen::testing::TempDir;
using quillwen::testing::WriteFileBytes;

std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(StagingFolderTest, ReplacesTheNamedFilesAndKeepsTheOthers) {
  TempDir dir;
  const fs::path target = dir / "bin";
  fs::create_directory(target);
  WriteFileBytes(target / "reader", "program");
  WriteFileBytes(target / "mvr.dir", "old");
  {
    StagingFolder staging;
    std::string error;
    ASSERT_TRUE(staging.Create(target, &error)) << error;
    EXPECT_EQ(staging.Path().parent_path(), dir.path());
    WriteFileBytes(staging.Path() / "mvr.dir", "new");
    WriteFileBytes(staging.Path() / "yitizi.txt", "4E07,842C\n");
    const std::vector<std::string> names = {"yitizi.txt", "mvr.dir"};
    ASSERT_TRUE(staging.MoveInto(names, &error)) << error;
  }
  EXPECT_EQ(Listing(target), (std::vector<std::string>{"mvr.dir", "reader", "yitizi.txt"}));
  EXPECT_EQ(ReadFileBytes(target / "mvr.dir"), "new");
  EXPECT_EQ(ReadFileBytes(target / "reader"), "program");
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"bin"}));  // staging folder gone
}

TEST(StagingFolderTest, BecomesAMissingTarget) {
  TempDir dir;
  StagingFolder staging;
  std::string error;
  ASSERT_TRUE(staging.Create(dir / "data/", &error)) << error;
  WriteFileBytes(staging.Path() / "mvr.dir", "new");
  const std::vector<std::string> names = {"mvr.dir"};
  const mode_t previous = ::umask(022);
  const bool moved = staging.MoveInto(names, &error);
  ::umask(previous);
  ASSERT_TRUE(moved) << error;
  EXPECT_EQ(ReadFileBytes(dir / "data" / "mvr.dir"), "new");
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"data"}));
  // A folder made by mkdir, not the staging folder's private mode.
  EXPECT_EQ(fs::status(dir / "data").permissions(),
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                fs::perms::others_read | fs::perms::others_exec);
}

TEST(StagingFolderTest, AbandonedBuildLeavesTheTargetAsItWas) {
  TempDir dir;
  const fs::path target = dir / "bin";
  fs::create_directory(target);
  WriteFileBytes(target / "mvr.dir", "old");
  {
    StagingFolder staging;
    std::string error;
    ASSERT_TRUE(staging.Create(target, &error)) << error;
    WriteFileBytes(staging.Path() / "mvr.dir", "half");
  }
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"bin"}));
  EXPECT_EQ(ReadFileBytes(target / "mvr.dir"), "old");
}

class StagingFolderFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(target_);
    WriteFileBytes(target_ / "a", "old a");
    WriteFileBytes(target_ / "b", "old b");
    std::string error;
    ASSERT_TRUE(staging_.Create(target_, &error)) << error;
  }

  TempDir dir_;
  const fs::path target_ = dir_ / "bin";
  StagingFolder staging_;
  const std::vector<std::string> names_ = {"a", "b"};
};

TEST_F(StagingFolderFailureTest, RefusesWhenAFileIsMissingFromTheBuild) {
  WriteFileBytes(staging_.Path() / "a", "new a");
  std::string error;
  EXPECT_FALSE(staging_.MoveInto(names_, &error));
  EXPECT_NE(error.find("missing from the finished build"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(target_ / "a"), "old a");
}

TEST_F(StagingFolderFailureTest, PutsReplacedFilesBackWhenAMoveFails) {
  WriteFileBytes(staging_.Path() / "a", "new a");
  WriteFileBytes(staging_.Path() / "b", "new b");
  // A folder where the old b would be kept makes moving b fail after a moved.
  fs::create_directories(staging_.Path() / ".previous" / "b" / "x");
  std::string error;
  EXPECT_FALSE(staging_.MoveInto(names_, &error));
  EXPECT_NE(error.find("cannot be replaced"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(target_ / "a"), "old a");
  EXPECT_EQ(ReadFileBytes(target_ / "b"), "old b");
}

TEST(StagingFolderTest, RefusesATargetWhoseFolderIsMissingOrAFile) {
  TempDir dir;
  WriteFileBytes(dir / "file", "x");
  StagingFolder staging;
  std::string error;
  EXPECT_FALSE(staging.Create(dir / "missing" / "bin", &error));
  EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
  EXPECT_FALSE(staging.Create(dir / "file", &error));
  EXPECT_NE(error.find("not a folder"), std::string::npos) << error;
}

// A process id that no process has: a child that has ended and been waited for.
pid_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

std::string HostNameForTest() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return name;
}

TEST(StaleStagingFolderTest, OnlyFoldersOfEndedBuildsOfThisTargetAreRemoved) {
  TempDir dir;
  const fs::path target = dir / "bin";
  fs::create_directory(target);
  const std::string ours = ".bin.building-" + HostNameForTest() + "-";
  const std::string ended = std::to_string(EndedProcess());
  const std::string living = std::to_string(::getpid());
  const std::vector<std::string> stale = {ours + ended + "-a1B2c3"};
  for (const std::string& name : stale) {
    fs::create_directory(dir / name);
    WriteFileBytes(dir / name / "Index-fl.h", "half written");
  }
  // None of these is certainly a folder a killed build of this target left.
  const std::vector<std::string> kept = {
      ours + living + "-a1B2c3",                                       // its build still runs
      ".bin.building-x7Y8z9",                                          // no process in the name
      ".bin.building-elsewhere-" + ended + "-a1B2c3",                  // made on another host
      ".lib.building-" + HostNameForTest() + "-" + ended + "-a1B2c3",  // another target
      ours + ended + "-a1B2",           // not mkdtemp's six characters
      ours + ended + "-a1B2c3.bak",     // something else after them
      ours + "0x" + ended + "-a1B2c3",  // not a process number
  };
  for (const std::string& name : kept) fs::create_directory(dir / name);
  fs::create_directory(dir / "elsewhere");
  fs::create_directory_symlink(dir / "elsewhere", dir / (ours + ended + "-l1nk00"));
  WriteFileBytes(dir / (ours + ended + "-f1le00"), "a file, not a folder");

  const std::vector<fs::path> removed = RemoveStaleStagingFolders(target);
  EXPECT_EQ(removed, (std::vector<fs::path>{dir / stale[0]}));
  EXPECT_FALSE(fs::exists(dir / stale[0]));
  for (const std::string& name : kept) EXPECT_TRUE(fs::is_directory(dir / name)) << name;
  EXPECT_TRUE(fs::is_symlink(dir / (ours + ended + "-l1nk00")));
  EXPECT_TRUE(fs::is_directory(dir / "elsewhere"));
  EXPECT_TRUE(fs::exists(dir / (ours + ended + "-f1le00")));
}

TEST(StaleStagingFolderTest, CreateRemovesAKilledBuildsFolderAndNamesItsOwnByProcess) {
  TempDir dir;
  const std::string leftOver =
      ".data.building-" + HostNameForTest() + "-" + std::to_string(EndedProcess()) + "-Q9w8E7";
  fs::create_directory(dir / leftOver);
  StagingFolder staging;
  std::string error;
  ASSERT_TRUE(staging.Create(dir / "data", &error)) << error;
  EXPECT_FALSE(fs::exists(dir / leftOver));
  const std::string name = staging.Path().filename().string();
  const std::string expected =
      ".data.building-" + HostNameForTest() + "-" + std::to_string(::getpid()) + "-";
  EXPECT_EQ(name.substr(0, expected.size()), expected);
  EXPECT_EQ(name.size(), expected.size() + 6);
  // A second build of the same target meanwhile keeps this build's folder.
  StagingFolder second;
  ASSERT_TRUE(second.Create(dir / "data", &error)) << error;
  EXPECT_TRUE(fs::is_directory(staging.Path()));
}

}  // namespace
}  // namespace quillwen::build
