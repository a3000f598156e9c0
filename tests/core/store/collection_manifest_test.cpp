#include "core/store/collection_manifest.h"

#include <gtest/gtest.h>

#include "core/writer/manifest_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiny_collection.h"

namespace quillwen {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(ManifestFormatTest, ReadsWhatItWrites) {
  const Manifest manifest{"0.1",
                          "00112233445566778899aabbccddeeff",
                          {{"mvr.dir", 432, true, 0x0123456789ABCDEFull},
                           {"Index-fl.cnt", 162157391, false, 0xFEDCBA9876543210ull}}};
  const std::string text = FormatManifest(manifest);
  EXPECT_EQ(text,
            "quillwen collection manifest 1\nbuilder 0.1\nbuild 00112233445566778899aabbccddeeff\n"
            "file mvr.dir 432 whole 0123456789abcdef\n"
            "file Index-fl.cnt 162157391 head fedcba9876543210\n");
  std::string problem;
  EXPECT_EQ(ParseManifest(text, &problem), manifest) << problem;
  // Lines of kinds it does not know are passed over.
  EXPECT_EQ(ParseManifest(text + "signed by someone later\n", &problem), manifest);
}

TEST(ManifestFormatTest, WhatIsNoManifest) {
  const struct {
    std::string text;
    const char* problem;
  } cases[] = {
      {"", "empty"},
      {"quillwen collection manifest 2\nbuild 1\n",
       "it does not begin with \"quillwen collection manifest 1\""},
      {"quillwen collection manifest 1\nbuilder 0.1\n", "it names no build"},
      {"quillwen collection manifest 1\nbuild 1", "the last line has no line break"},
      {"quillwen collection manifest 1\nbuild 1\nfile mvr.dir 12 whole 12\n",
       "line 3 is not \"file NAME SIZE whole|head HASH\""},
      {"quillwen collection manifest 1\nbuild 1\nfile mvr.dir -1 whole 0123456789abcdef\n",
       "line 3 is not \"file NAME SIZE whole|head HASH\""},
      {"quillwen collection manifest 1\nbuild 1\nfile mvr.dir 1 part 0123456789abcdef\n",
       "line 3 is not \"file NAME SIZE whole|head HASH\""},
  };
  for (const auto& c : cases) {
    std::string problem;
    EXPECT_FALSE(ParseManifest(c.text, &problem)) << c.text;
    EXPECT_EQ(problem, c.problem) << c.text;
  }
}

TEST(ManifestFormatTest, Fnv1aOfKnownTexts) {
  EXPECT_EQ(Fnv1a64(""), 0xCBF29CE484222325ull);
  EXPECT_EQ(Fnv1a64("a"), 0xAF63DC4C8601EC8Cull);
  EXPECT_EQ(Fnv1a64("foobar"), 0x85944171F73967E8ull);
  // In pieces as at once.
  EXPECT_EQ(Fnv1a64("bar", Fnv1a64("foo")), Fnv1a64("foobar"));
}

class ManifestCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteTinyCollection(data_.path(), {{1, u"部", {}, 1}, {3, u"卷", {u"甲乙"}, 1}},
                                 "5B78,5B66\n");
    std::string error;
    ASSERT_TRUE(WriteCollectionManifest(data_.path(), "0.1", "build-one", &error)) << error;
  }
  TempDir data_;
};

TEST_F(ManifestCheckTest, AnUntouchedCollectionFitsItsManifest) {
  const ManifestCheck check = CheckCollectionAgainstManifest(data_.path());
  EXPECT_TRUE(check.present);
  EXPECT_FALSE(check.unreadable);
  EXPECT_EQ(check.build, "build-one");
  EXPECT_TRUE(check.foreign.empty());
  EXPECT_TRUE(check.unreadableFiles.empty());
  EXPECT_EQ(ManifestBuildId(data_.path()), "build-one");
  // Every data file the folder holds is listed.
  const std::string text = ReadFileBytes(data_ / kManifestFileName);
  for (const char* name :
       {"mvr.dir", "Index-fl.h", "Index-fl.cnt", "Index-idx.h", "Index-idx.m", "yitizi.txt"})
    EXPECT_NE(text.find(std::string("file ") + name + " "), std::string::npos) << name;
}

TEST_F(ManifestCheckTest, FilesOfAnotherBuildAreNamed) {
  // The full-text and annotation headers exchanged; the variant table changed.
  std::filesystem::rename(data_ / "Index-idx.h", data_ / "swap");
  std::filesystem::rename(data_ / "Index_desc-idx.h", data_ / "Index-idx.h");
  std::filesystem::rename(data_ / "swap", data_ / "Index_desc-idx.h");
  WriteFileBytes(data_ / "yitizi.txt", "5B78,5B67\n");
  std::filesystem::remove(data_ / "Index_desc-idx.m");
  const ManifestCheck check = CheckCollectionAgainstManifest(data_.path());
  EXPECT_EQ(check.foreign,
            (std::vector<std::string>{"Index-idx.h", "Index_desc-idx.h", "yitizi.txt"}));
  ASSERT_EQ(check.unreadableFiles.size(), 1u);
  EXPECT_EQ(check.unreadableFiles[0], (DataFault{data_ / "Index_desc-idx.m", "missing"}));
}

TEST_F(ManifestCheckTest, ALargeFileIsKnownByItsSizeAndHead) {
  // A content file past the whole-file limit: a change beyond its head goes by.
  std::string content(kWholeChecksumLimit + 10, 'x');
  WriteFileBytes(data_ / "Index-fl.cnt", content);
  std::string error;
  ASSERT_TRUE(WriteCollectionManifest(data_.path(), "0.1", "build-two", &error)) << error;
  content[kHeadChecksumBytes + 5] = 'y';
  WriteFileBytes(data_ / "Index-fl.cnt", content);
  EXPECT_TRUE(CheckCollectionAgainstManifest(data_.path()).foreign.empty());
  content[kHeadChecksumBytes - 5] = 'y';
  WriteFileBytes(data_ / "Index-fl.cnt", content);
  EXPECT_EQ(CheckCollectionAgainstManifest(data_.path()).foreign,
            std::vector<std::string>{"Index-fl.cnt"});
}

TEST_F(ManifestCheckTest, ADamagedManifestIsToldAndChecksNothing) {
  WriteFileBytes(data_ / kManifestFileName, "quillwen collection manifest 1\nfile x\n");
  WriteFileBytes(data_ / "yitizi.txt", "");
  const ManifestCheck check = CheckCollectionAgainstManifest(data_.path());
  EXPECT_TRUE(check.present);
  ASSERT_TRUE(check.unreadable);
  EXPECT_EQ(*check.unreadable, (DataFault{data_ / kManifestFileName,
                                          "line 2 is not \"file NAME SIZE whole|head HASH\""}));
  EXPECT_TRUE(check.foreign.empty());
  EXPECT_EQ(ManifestBuildId(data_.path()), "");
}

TEST_F(ManifestCheckTest, ANameThatLeavesTheFolderIsNoDataFile) {
  WriteFileBytes(data_ / kManifestFileName,
                 "quillwen collection manifest 1\nbuild b\n"
                 "file ../secret 1 whole 0000000000000000\n");
  EXPECT_EQ(CheckCollectionAgainstManifest(data_.path()).foreign,
            std::vector<std::string>{"../secret"});
}

TEST(ManifestCheckWithoutManifestTest, ACollectionWithoutOneIsNotChecked) {
  TempDir data;
  testing::WriteTinyCollection(data.path(), {{1, u"部", {}, 1}, {3, u"卷", {u"甲"}, 1}});
  const ManifestCheck check = CheckCollectionAgainstManifest(data.path());
  EXPECT_FALSE(check.present);
  EXPECT_FALSE(check.unreadable);
  EXPECT_TRUE(check.foreign.empty());
  EXPECT_EQ(ManifestBuildId(data.path()), "");
}

}  // namespace
}  // namespace quillwen
