#include "tools/sample/scaled_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tools/builder/collection_builder.h"
#include "tools/builder/source_tree.h"
#include "tools/builder/utf8.h"

namespace quillwen::sample {
namespace {

namespace fs = std::filesystem;
using quillwen::testing::ReadFileBytes;
using quillwen::testing::TempDir;
using quillwen::testing::WriteFileBytes;

TEST(BandPermutationTest, MovesEachCharacterOnlyWithinItsBand) {
  // Counts fall from U+4E03 to U+4E00, then U+4E05 and U+4E04 tie.
  const std::map<char32_t, uint64_t> counts = {{0x4E00, 10}, {0x4E01, 20}, {0x4E02, 30},
                                               {0x4E03, 40}, {0x4E04, 5},  {0x4E05, 5}};
  const std::vector<std::set<char32_t>> bands = {
      {0x4E03, 0x4E02}, {0x4E01, 0x4E00}, {0x4E04, 0x4E05}};
  bool anyMoved = false;
  for (uint32_t seed = 1; seed <= 16; ++seed) {
    const std::vector<char32_t> permutation = MakeBandPermutation(counts, 2, seed);
    for (const auto& band : bands) {
      std::set<char32_t> images;
      for (char32_t c : band) {
        EXPECT_EQ(band.count(permutation[c]), 1u) << uint32_t{c} << " seed " << seed;
        images.insert(permutation[c]);
        anyMoved |= permutation[c] != c;
      }
      EXPECT_EQ(images, band) << "a permutation within the band, seed " << seed;
    }
    // Characters that were not counted, and anything that is not Han, stay.
    for (char32_t c : {char32_t{0x4E06}, char32_t{U'〔'}, char32_t{U'#'}, char32_t{U'。'}})
      EXPECT_EQ(permutation[c], c) << uint32_t{c};
  }
  EXPECT_TRUE(anyMoved);
  // Seed 0, and bands of one, keep every character.
  for (const auto& [seed, bandSize] : {std::pair{0u, size_t{2}}, std::pair{3u, size_t{1}}}) {
    const std::vector<char32_t> permutation = MakeBandPermutation(counts, bandSize, seed);
    for (const auto& [c, count] : counts) EXPECT_EQ(permutation[c], c) << seed;
  }
}

class ScaledSourceTest : public ::testing::Test {
 protected:
  void WriteSource(const std::string& relative, std::string_view text) {
    fs::create_directories((dir_ / "source" / relative).parent_path());
    WriteFileBytes(dir_ / "source" / relative, text);
  }

  // The texts of the volume files of the target, in catalogue order, per copy.
  std::vector<std::vector<std::u32string>> CopyTexts(uint32_t copies) {
    build::SourceTree tree;
    std::string error;
    EXPECT_TRUE(build::ScanSourceTree(dir_ / "target", &tree, &error)) << error;
    std::vector<std::vector<std::u32string>> texts(copies);
    const size_t perCopy = tree.categories.size() / copies;
    for (size_t c = 0; c < tree.categories.size(); ++c) {
      for (const auto& book : tree.categories[c].books) {
        for (const auto& volume : book.volumes) {
          std::u32string text;
          size_t bad = 0;
          EXPECT_TRUE(DecodeUtf8(ReadFileBytes(volume.file), text, &bad));
          texts[c / perCopy].push_back(text);
        }
      }
    }
    return texts;
  }

  ScaleOptions Options() const {
    ScaleOptions options;
    options.source = dir_ / "source";
    options.target = dir_ / "target";
    return options;
  }

  TempDir dir_;
};

std::u32string Masked(std::u32string text) {
  for (char32_t& c : text) {
    if (IsPermutedCharacter(c)) c = U'*';
  }
  return text;
}

std::vector<uint64_t> FrequencyProfile(const std::vector<std::u32string>& texts) {
  std::map<char32_t, uint64_t> counts;
  for (const auto& text : texts) {
    for (char32_t c : text) counts[c] += IsPermutedCharacter(c) ? 1 : 0;
  }
  std::vector<uint64_t> profile;
  for (const auto& [c, n] : counts) profile.push_back(n);
  std::sort(profile.begin(), profile.end());
  return profile;
}

TEST_F(ScaledSourceTest, CopiesKeepMarkupAndFrequenciesButNotTheText) {
  // A byte order mark, headings, annotations, an escape and a character outside
  // the basic plane.
  const char* poems[] = {
      "\xEF\xBB\xBF# 學而\n子曰學而時習之不亦說乎〔馬曰子者男子之通稱〕\n\n有朋自遠方來",
      "人不知而不慍不亦君子乎\\〔𠀀\\〕", "曾子曰吾日三省吾身", "為人謀而不忠乎與朋友交而不信乎",
      "傳不習乎"};
  for (int v = 0; v < 5; ++v) {
    WriteSource("01 經/01 論語/0" + std::to_string(v + 1) + " 卷.txt", poems[v]);
    WriteSource("02 史/01 史記/0" + std::to_string(v + 1) + " 卷.txt", poems[4 - v]);
  }
  ScaleOptions options = Options();
  options.copies = 3;
  options.join = 2;
  options.bandSize = 4;
  ScaleSummary summary;
  std::string error;
  ASSERT_TRUE(MakeScaledSource(options, &summary, &error)) << error;
  EXPECT_EQ(summary.join, 2u);
  EXPECT_EQ(summary.volumeFiles, 3u * 2 * 3);  // 3 copies, 2 books, 5 volumes in 3 files
  EXPECT_EQ(summary.records, 3u * (2 + 2 + 6));

  const auto texts = CopyTexts(3);
  ASSERT_EQ(texts[0].size(), 6u);
  // The first copy is the source, volumes joined by a blank line.
  std::u32string first;
  size_t bad = 0;
  ASSERT_TRUE(DecodeUtf8(std::string(poems[0] + 3) + "\n\n" + poems[1], first, &bad));
  EXPECT_EQ(texts[0][0], first);
  for (uint32_t copy = 1; copy < 3; ++copy) {
    ASSERT_EQ(texts[copy].size(), texts[0].size());
    for (size_t v = 0; v < texts[0].size(); ++v)
      EXPECT_EQ(Masked(texts[copy][v]), Masked(texts[0][v])) << copy << " " << v;
    EXPECT_EQ(FrequencyProfile(texts[copy]), FrequencyProfile(texts[0])) << copy;
    EXPECT_NE(texts[copy], texts[0]) << copy;
  }
  EXPECT_NE(texts[1], texts[2]);

  // The builder takes the result, and it fits the records it was made for.
  build::BuildOptions build;
  build.source = options.target;
  build.target = dir_ / "data";
  build::BuildSummary built;
  ASSERT_TRUE(build::BuildCollection(build, &built, &error)) << error;
  EXPECT_EQ(built.records, summary.records);
  EXPECT_EQ(built.categories, 6u);
}

TEST_F(ScaledSourceTest, JoinsTheFewestVolumesThatKeepTheCatalogueWithinItsLimit) {
  for (int v = 0; v < 10; ++v) WriteSource("經/書/" + std::to_string(v) + ".txt", "學");
  // Two copies of 1 category, 1 book and ceil(10 / join) volumes.
  // clang-format off
  const struct {
    size_t maxRecords;
    uint32_t join;          // asked for; 0 picks
    uint32_t expectedJoin;  // 0: refused
  } cases[] = {
      {24, 0, 1}, {23, 0, 2}, {14, 0, 2}, {13, 0, 3}, {6, 0, 10},
      {5, 0, 0}, {13, 2, 0}, {100, 4, 4},
  };
  // clang-format on
  for (const auto& c : cases) {
    fs::remove_all(dir_ / "target");
    ScaleOptions options = Options();
    options.copies = 2;
    options.join = c.join;
    options.maxRecords = c.maxRecords;
    ScaleSummary summary;
    std::string error;
    const bool made = MakeScaledSource(options, &summary, &error);
    EXPECT_EQ(made, c.expectedJoin != 0) << c.maxRecords << " " << c.join << ": " << error;
    if (made) {
      EXPECT_EQ(summary.join, c.expectedJoin) << c.maxRecords;
      EXPECT_LE(summary.records, c.maxRecords);
    } else {
      EXPECT_NE(error.find("the catalogue holds at most " + std::to_string(c.maxRecords)),
                std::string::npos)
          << error;
      EXPECT_FALSE(fs::exists(dir_ / "target"));
    }
  }
}

TEST_F(ScaledSourceTest, RefusesATargetThatExists) {
  WriteSource("經/書/卷.txt", "學");
  fs::create_directories(dir_ / "target");
  WriteFileBytes(dir_ / "target" / "keep", "x");
  ScaleSummary summary;
  std::string error;
  EXPECT_FALSE(MakeScaledSource(Options(), &summary, &error));
  EXPECT_NE(error.find("exists already"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(dir_ / "target" / "keep"), "x");
}

}  // namespace
}  // namespace quillwen::sample
