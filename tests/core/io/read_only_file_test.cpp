#include "core/io/read_only_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>

#include "core/io/mapped_file.h"
#include "tests/support/temp_dir.h"

namespace quillwen::io {
namespace {

using quillwen::testing::TempDir;
using quillwen::testing::WriteFileBytes;

TEST(ReadOnlyFile, ReadsAtAnyOffsetAndReportsShortReads) {
  TempDir dir;
  WriteFileBytes(dir / "f", "0123456789");
  ReadOnlyFile file;
  ASSERT_TRUE(file.Open(dir / "f"));
  EXPECT_EQ(file.Size(), 10u);
  std::array<char, 4> buffer{};
  ASSERT_TRUE(file.ReadExactly(6, buffer));
  EXPECT_EQ(std::string(buffer.data(), 4), "6789");
  EXPECT_FALSE(file.ReadExactly(7, buffer));
  EXPECT_EQ(file.ReadSome(7, buffer), 3);
  EXPECT_EQ(file.ReadSome(100, buffer), 0);
}

TEST(ReadOnlyFile, RefusesMissingFilesFoldersAndOverlongPaths) {
  TempDir dir;
  ReadOnlyFile file;
  EXPECT_FALSE(file.Open(dir / "absent"));
  EXPECT_NE(file.LastError().find("absent"), std::string::npos);
  EXPECT_FALSE(file.Open(dir.path()));
  EXPECT_FALSE(file.Open(dir / std::string(5000, 'x')));
  EXPECT_FALSE(file.IsOpen());
  std::array<char, 1> buffer{};
  EXPECT_EQ(file.ReadSome(0, buffer), -1);
  EXPECT_FALSE(file.Size().has_value());
}

// Opening a named pipe for reading would wait for a writer that never comes.
TEST(ReadOnlyFile, RefusesANamedPipeWithoutWaitingAndSaysWhy) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  ReadOnlyFile file;
  EXPECT_FALSE(file.Open(dir / "pipe"));
  EXPECT_EQ(file.LastFault(), (DataFault{dir / "pipe", "a named pipe, not a regular file"}));
  std::string bytes;
  DataFault fault;
  EXPECT_FALSE(ReadWholeFile(dir / "pipe", bytes, &fault));
  EXPECT_EQ(fault, (DataFault{dir / "pipe", "a named pipe, not a regular file"}));
  EXPECT_FALSE(ReadWholeFile(dir / "absent", bytes, &fault));
  EXPECT_EQ(fault, (DataFault{dir / "absent", "missing"}));
  EXPECT_FALSE(file.Open("/dev/null"));
  EXPECT_EQ(file.LastFault().problem, "not a regular file");
}

TEST(ReadOnlyFile, ALinkToARegularFileOpens) {
  TempDir dir;
  WriteFileBytes(dir / "f", "abc");
  std::filesystem::create_symlink(dir / "f", dir / "link");
  ReadOnlyFile file;
  ASSERT_TRUE(file.Open(dir / "link"));
  EXPECT_EQ(file.Size(), 3u);
}

TEST(MappedFile, MapsWholeFilesAndEmptyOnes) {
  TempDir dir;
  WriteFileBytes(dir / "f", "abc");
  WriteFileBytes(dir / "empty", "");
  MappedFile mapping;
  ASSERT_TRUE(mapping.Map(dir / "f"));
  ASSERT_EQ(mapping.Size(), 3u);
  EXPECT_EQ(mapping.Data()[2], 'c');
  ASSERT_TRUE(mapping.Map(dir / "empty"));
  EXPECT_TRUE(mapping.IsMapped());
  EXPECT_EQ(mapping.Size(), 0u);
  EXPECT_FALSE(mapping.Map(dir / "absent"));
  EXPECT_FALSE(mapping.IsMapped());
}

TEST(ReadWholeFile, ReadsEverythingOrNothing) {
  TempDir dir;
  WriteFileBytes(dir / "f", std::string("a\0b", 3));
  std::string bytes = "old";
  ASSERT_TRUE(ReadWholeFile(dir / "f", bytes));
  EXPECT_EQ(bytes, std::string("a\0b", 3));
  EXPECT_FALSE(ReadWholeFile(dir / "absent", bytes));
  EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace quillwen::io
