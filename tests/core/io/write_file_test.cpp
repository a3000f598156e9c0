#include "core/io/write_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/temp_dir.h"

namespace quillwen::io {
namespace {

using quillwen::testing::ReadFileBytes;
using quillwen::testing::TempDir;
using quillwen::testing::WriteFileBytes;

constexpr char kFullDevice[] = "/dev/full";  // every write fails with ENOSPC

mode_t ModeOf(const std::filesystem::path& file) {
  struct stat info {};
  EXPECT_EQ(::stat(file.c_str(), &info), 0) << file;
  return info.st_mode & 0777;
}

TEST(WriteWholeFile, WritesEveryByteAndCutsWhatWasThereBefore) {
  TempDir dir;
  WriteFileBytes(dir / "f", std::string(10000, 'x'));
  const std::string bytes("a\0b\nc", 5);
  ASSERT_TRUE(WriteWholeFile(dir / "f", bytes));
  EXPECT_EQ(ReadFileBytes(dir / "f"), bytes);
  ASSERT_TRUE(WriteWholeFile(dir / "f", ""));
  EXPECT_EQ(std::filesystem::file_size(dir / "f"), 0u);
}

TEST(WriteWholeFile, PagesAreTheOwnersAloneAndDataFilesFollowTheUmask) {
  TempDir dir;
  const mode_t previous = ::umask(022);
  const bool ownPage = WriteWholeFile(dir / "page.html", "p");
  const bool dataFile = WriteWholeFile(dir / "mvr.dir", "d", FileAccess::kShared);
  ::umask(previous);
  ASSERT_TRUE(ownPage);
  ASSERT_TRUE(dataFile);
  EXPECT_EQ(ModeOf(dir / "page.html"), 0600u);
  EXPECT_EQ(ModeOf(dir / "mvr.dir"), 0644u);
}

struct RefusalCase {
  const char* name;
  // Prepares dir and returns the path to write to.
  std::function<std::filesystem::path(const TempDir&)> place;
  std::string problem;  // the system's reason, as the message gives it
};

class WriteWholeFileRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(WriteWholeFileRefusalTest, FailsAndLeavesEverythingElseAlone) {
  TempDir dir;
  WriteFileBytes(dir / "victim", "kept");
  const std::filesystem::path target = GetParam().place(dir);
  EXPECT_FALSE(WriteWholeFile(target, "new bytes"));
  std::string problem;
  EXPECT_FALSE(WriteWholeFile(target, "new bytes", FileAccess::kShared, &problem));
  EXPECT_EQ(problem, GetParam().problem);
  EXPECT_EQ(ReadFileBytes(dir / "victim"), "kept");
}

INSTANTIATE_TEST_SUITE_P(
    Places, WriteWholeFileRefusalTest,
    ::testing::Values(RefusalCase{"MissingFolder",
                                  [](const TempDir& dir) { return dir / "absent" / "f"; },
                                  "No such file or directory"},
                      RefusalCase{"Folder",
                                  [](const TempDir& dir) {
                                    std::filesystem::create_directory(dir / "sub");
                                    return dir / "sub";
                                  },
                                  "Is a directory"},
                      // A link planted where the file should be is not followed to its target.
                      RefusalCase{"LinkToAFile",
                                  [](const TempDir& dir) {
                                    std::filesystem::create_symlink(dir / "victim", dir / "link");
                                    return dir / "link";
                                  },
                                  "a symbolic link stands in its place"},
                      RefusalCase{"DanglingLink",
                                  [](const TempDir& dir) {
                                    std::filesystem::create_symlink(dir / "absent", dir / "link");
                                    return dir / "link";
                                  },
                                  "a symbolic link stands in its place"},
                      RefusalCase{"OverlongName",
                                  [](const TempDir& dir) { return dir / std::string(5000, 'n'); },
                                  "File name too long"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteWholeFile, AFullDiskIsAFailureThatSaysSo) {
  if (!std::filesystem::exists(kFullDevice)) GTEST_SKIP() << "no " << kFullDevice;
  for (const std::string& bytes : {std::string("small"), std::string(1 << 20, 'x')}) {
    std::string problem;
    EXPECT_FALSE(WriteWholeFile(kFullDevice, bytes, FileAccess::kShared, &problem));
    EXPECT_EQ(problem, "No space left on device") << bytes.size() << " bytes";
  }
  std::string problem = "untouched";
  EXPECT_TRUE(WriteWholeFile(kFullDevice, "", FileAccess::kShared, &problem));  // nothing to lose
  EXPECT_EQ(problem, "untouched");
}

TEST(OutputFile, SmallAndLargeAppendsArriveInOrder) {
  TempDir dir;
  OutputFile out;
  ASSERT_TRUE(out.Create(dir / "f", FileAccess::kShared));
  std::string expected;
  const auto append = [&](const std::string& bytes) {
    EXPECT_TRUE(out.Append(bytes));
    expected += bytes;
  };
  for (int i = 0; i < 20000; ++i) append(std::to_string(i) + ",");  // fills the buffer many times
  append(std::string(300000, 'L'));                                 // larger than the buffer
  append("tail");
  append(std::string(65536, 'B'));  // exactly the buffer's size
  ASSERT_TRUE(out.Close());
  EXPECT_EQ(ReadFileBytes(dir / "f"), expected);
}

TEST(OutputFile, AFailureSticksUntilClose) {
  if (!std::filesystem::exists(kFullDevice)) GTEST_SKIP() << "no " << kFullDevice;
  OutputFile out;
  ASSERT_TRUE(out.Create(kFullDevice, FileAccess::kShared));
  EXPECT_TRUE(out.Append("buffered"));  // not yet written
  EXPECT_TRUE(out.Problem().empty());
  EXPECT_FALSE(out.Append(std::string(1 << 20, 'x')));
  EXPECT_EQ(out.Problem(), "No space left on device");
  EXPECT_FALSE(out.Append("more"));
  EXPECT_FALSE(out.Close());
  EXPECT_EQ(out.Problem(), "No space left on device");
  // Creating afresh forgets the problem with the failure.
  ASSERT_TRUE(out.Create(kFullDevice, FileAccess::kShared));
  EXPECT_TRUE(out.Problem().empty());
  EXPECT_TRUE(out.Append("buffered"));
  EXPECT_FALSE(out.Close());  // the buffered bytes meet the full disk only here
  EXPECT_EQ(out.Problem(), "No space left on device");
}

TEST(OutputFile, NothingCountsAsWrittenWithoutAFile) {
  TempDir dir;
  OutputFile out;
  EXPECT_FALSE(out.Append("lost"));
  EXPECT_FALSE(out.Close());
  EXPECT_FALSE(out.Create(dir / "absent" / "f", FileAccess::kShared));
  EXPECT_FALSE(out.IsOpen());
  EXPECT_FALSE(out.Append("lost"));
  EXPECT_FALSE(out.Close());
  // Creating afresh forgets the failures before.
  ASSERT_TRUE(out.Create(dir / "f", FileAccess::kShared));
  EXPECT_TRUE(out.Append("kept"));
  EXPECT_TRUE(out.Close());
  EXPECT_FALSE(out.Close());  // already closed
  EXPECT_EQ(ReadFileBytes(dir / "f"), "kept");
}

TEST(OutputFile, WhatIsBufferedIsWrittenWhenTheObjectGoes) {
  TempDir dir;
  {
    OutputFile out;
    ASSERT_TRUE(out.Create(dir / "f", FileAccess::kShared));
    out.Append("unclosed");
  }
  EXPECT_EQ(ReadFileBytes(dir / "f"), "unclosed");
}

}  // namespace
}  // namespace quillwen::io
