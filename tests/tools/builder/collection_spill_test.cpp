// Postings spilled to runs on disk, joined back when the index sets are written.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/store/collection_manifest.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/builder/collection_fixture.h"
#include "tools/builder/collection_builder.h"

namespace quillwen::build {
namespace {

namespace fs = std::filesystem;
using quillwen::testing::ReadFileBytes;
using testing::CollectionFixture;

std::vector<std::string> FileNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Volumes of paragraphs, headings and annotations drawn from a few characters,
// some of them variants of one another, so that lists run over many blocks and
// pages.
void WriteMixedSource(CollectionFixture& fixture) {
  const char* characters[] = {"之", "而", "學", "学", "時", "习", "習", "子", "曰", "體", "体"};
  uint32_t state = 12345;
  auto next = [&state](uint32_t n) {
    state = state * 1103515245 + 12345;
    return (state >> 16) % n;
  };
  for (int volume = 0; volume < 12; ++volume) {
    std::string text;
    for (int paragraph = 0; paragraph < 30; ++paragraph) {
      if (paragraph % 7 == 0) text += "# 第" + std::to_string(paragraph) + "\n";
      const uint32_t length = 20 + next(200);
      for (uint32_t i = 0; i < length; ++i) {
        if (next(40) == 0) text += "〔" + std::string(characters[next(11)]) + "注〕";
        text += characters[next(11)];
      }
      text += "\n\n";
    }
    fixture.WriteSource("0" + std::to_string(volume / 5) + " 部/0" + std::to_string(volume / 3) +
                            " 書/" + std::to_string(volume) + " 卷.txt",
                        text);
  }
  fixture.UseUnihanVariants(
      "U+5B78\tkSimplifiedVariant\tU+5B66\n"
      "U+7FD2\tkSimplifiedVariant\tU+4E60\n"
      "U+9AD4\tkSimplifiedVariant\tU+4F53\n");
}

class CollectionSpillTest : public ::testing::Test, public CollectionFixture {};

TEST_F(CollectionSpillTest, SpilledPostingsGiveTheSameFilesAsPostingsKeptInMemory) {
  WriteMixedSource(*this);
  ASSERT_TRUE(Build()) << Error();
  ASSERT_EQ(Summary().postingRuns, 0u);
  ASSERT_GT(Summary().pages, 100u);
  std::vector<std::string> expected;
  for (const std::string& name : CollectionFileNames())
    expected.push_back(ReadFileBytes(Data() / name));
  ASSERT_GT(fs::file_size(Data() / "Index-idx.m"), 10 * 4096u) << "lists of several blocks";

  // clang-format off
  const struct {
    uint64_t postingMemory;
    size_t fewestRuns;
  } cases[] = {
      {1, 3 * 100},     // every set spills after every page
      {16 << 10, 6},    // a few runs of each set
  };
  // clang-format on
  for (const auto& c : cases) {
    fs::remove_all(Data());
    Options().postingMemory = c.postingMemory;
    ASSERT_TRUE(Build()) << Error();
    EXPECT_GE(Summary().postingRuns, c.fewestRuns) << c.postingMemory;
    for (size_t i = 0; i < CollectionFileNames().size(); ++i) {
      const std::string& name = CollectionFileNames()[i];
      EXPECT_TRUE(ReadFileBytes(Data() / name) == expected[i]) << name << " differs";
    }
    // No run is left in the collection, nor a staging folder or the build's
    // lock beside it; the manifest is the build's own.
    std::vector<std::string> names = CollectionFileNames();
    names.push_back(kManifestFileName);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(FileNames(Data()), names);
    EXPECT_EQ(FileNames(Dir().path()),
              (std::vector<std::string>{"Unihan_Variants.txt", "data", "source"}));
  }
}

TEST_F(CollectionSpillTest, ABuildThatFailsAfterSpillingLeavesTheCollectionAndNoRuns) {
  WriteMixedSource(*this);
  ASSERT_TRUE(Build()) << Error();
  std::vector<std::string> before;
  for (const std::string& name : CollectionFileNames())
    before.push_back(ReadFileBytes(Data() / name));

  WriteSource("09 部/09 書/99 卷.txt", "學而〔時習之");  // sorts last
  Options().postingMemory = 1;
  EXPECT_FALSE(Build());
  EXPECT_NE(Error().find("99 卷.txt: line 1: the annotation opened with 〔 is not closed"),
            std::string::npos)
      << Error();
  for (size_t i = 0; i < CollectionFileNames().size(); ++i) {
    EXPECT_TRUE(ReadFileBytes(Data() / CollectionFileNames()[i]) == before[i])
        << CollectionFileNames()[i];
  }
  EXPECT_EQ(FileNames(Dir().path()),
            (std::vector<std::string>{"Unihan_Variants.txt", "data", "source"}));
}

}  // namespace
}  // namespace quillwen::build
