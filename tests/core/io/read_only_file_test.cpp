#include "core/io/read_only_file.h"

#include <gtest/gtest.h>

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
