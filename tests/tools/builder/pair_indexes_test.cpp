// Pair indexes as the builder writes them, and as `quillwen-build
// --add-pair-index` adds them to a collection that has none.

#include "tools/builder/pair_indexes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/io/read_only_file.h"
#include "core/search/index.h"
#include "core/store/collection_manifest.h"
#include "core/writer/manifest_writer.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tools/builder/collection_builder.h"

namespace quillwen::build {
namespace {

namespace fs = std::filesystem;
using quillwen::testing::RunProgram;
using quillwen::testing::TempDir;
using quillwen::testing::WriteFileBytes;

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// A collection of a few volumes, with a variant table, built into root/data.
fs::path BuildCollectionIn(const fs::path& root) {
  fs::create_directories(root / "source/01 經/01 書");
  for (int volume = 1; volume <= 4; ++volume) {
    std::string text;
    for (int line = 0; line < 30; ++line)
      text += "學而時習之不亦說乎〔注學而時習〕有朋自遠方來不亦樂乎\n";
    WriteFileBytes(root / "source/01 經/01 書" / (std::to_string(volume) + " 卷.txt"), text);
  }
  WriteFileBytes(root / "variants.txt", "U+5B78\tkSimplifiedVariant\tU+5B66\n");
  BuildOptions options;
  options.source = root / "source";
  options.target = root / "data";
  options.unihanVariantFiles = {root / "variants.txt"};
  options.charactersPerPage = 40;
  BuildSummary summary;
  std::string error;
  EXPECT_TRUE(BuildCollection(options, &summary, &error)) << error;
  return options.target;
}

// Pages and places of a few searches in every index set, variants counted or
// not, and whether each set read its pair index.
struct Answers {
  std::vector<std::vector<uint32_t>> found;
  std::vector<bool> pairsRead;
};

Answers Search(const fs::path& data) {
  Answers answers;
  for (const IndexScope scope : {ScopeFullText, ScopeMainText, ScopeAnnotations}) {
    CIndex index;
    EXPECT_TRUE(index.Open(data, u"Index", scope)) << index.LastError();
    answers.pairsRead.push_back(index.UsesPairIndex());
    for (const char16_t* term : {u"學而", u"学而時", u"時習之不", u"有朋*樂乎", u"而?習"}) {
      for (const bool variants : {false, true}) {
        Query query;
        query.terms = {NormaliseTerm(term)};
        const SearchResult result = index.Search(query, SearchMethod::kAnd, variants);
        answers.found.push_back(result.pages);
        answers.found.push_back(result.placeCounts);
      }
    }
  }
  return answers;
}

TEST(PairIndexesTest, TheBuildWritesThemAndTheManifestListsThem) {
  TempDir dir;
  const fs::path data = BuildCollectionIn(dir.path());
  for (const std::string& name : PairIndexFileNames())
    EXPECT_TRUE(fs::is_regular_file(data / name)) << name;
  const ManifestCheck check = CheckCollectionAgainstManifest(data);
  EXPECT_TRUE(check.foreign.empty());
  EXPECT_TRUE(check.unreadableFiles.empty());
  const Answers answers = Search(data);
  EXPECT_EQ(answers.pairsRead, (std::vector<bool>{true, true, true}));
}

TEST(PairIndexesTest, AddPairIndexGivesACollectionWithoutThemTheSameAnswersFaster) {
  TempDir dir;
  fs::create_directories(dir / "run");
  const fs::path data = BuildCollectionIn(dir.path());
  const Answers built = Search(data);
  // As an older builder left it: no pair indexes, and a manifest without them.
  for (const std::string& name : PairIndexFileNames()) fs::remove(data / name);
  const std::string build = ManifestBuildId(data);
  std::string error;
  ASSERT_TRUE(WriteCollectionManifest(data, "0.9", build, &error)) << error;
  const Answers before = Search(data);
  EXPECT_EQ(before.found, built.found);
  EXPECT_EQ(before.pairsRead, (std::vector<bool>{false, false, false}));

  const testing::ProgramRun run = RunProgram(
      std::string(QUILLWEN_BUILD_EXECUTABLE) + " --add-pair-index " + Quoted(data), dir / "run");
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Added pair indexes to"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("pair index of the main text"), std::string::npos) << run.out;

  const Answers after = Search(data);
  EXPECT_EQ(after.found, built.found);
  EXPECT_EQ(after.pairsRead, (std::vector<bool>{true, true, true}));
  // The manifest describes the new files and is still the same build's.
  const ManifestCheck check = CheckCollectionAgainstManifest(data);
  EXPECT_TRUE(check.foreign.empty());
  EXPECT_TRUE(check.unreadableFiles.empty());
  EXPECT_EQ(check.build, build);
  std::string manifest;
  ASSERT_TRUE(io::ReadWholeFile(data / kManifestFileName, manifest));
  for (const std::string& name : PairIndexFileNames())
    EXPECT_NE(manifest.find("file " + name + " "), std::string::npos) << name;
  // Nothing is left beside the collection.
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find(".data."), std::string::npos) << entry.path();

  // Added again, they are replaced by the same.
  const testing::ProgramRun again = RunProgram(
      std::string(QUILLWEN_BUILD_EXECUTABLE) + " --add-pair-index " + Quoted(data), dir / "run");
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(Search(data).found, built.found);
}

TEST(PairIndexesTest, AddPairIndexRefusesWhatIsNoCollectionAndChangesNothing) {
  TempDir dir;
  fs::create_directories(dir / "run");
  fs::create_directories(dir / "empty");
  WriteFileBytes(dir / "empty/notes.txt", "not a collection");
  struct Case {
    std::string arguments;
    int exitCode;
    std::string message;
  };
  const Case cases[] = {
      {"--add-pair-index " + Quoted(dir / "missing"), 1, "no such folder"},
      {"--add-pair-index " + Quoted(dir / "empty"), 1, " index set: "},
      {"--add-pair-index " + Quoted(dir / "empty") + " extra", 2, "Usage:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const testing::ProgramRun run =
        RunProgram(std::string(QUILLWEN_BUILD_EXECUTABLE) + " " + c.arguments, dir / "run");
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  std::vector<std::string> left;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir / "empty"))
    left.push_back(entry.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"notes.txt"});
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename().string().find("building"), std::string::npos) << entry.path();
  }
}

}  // namespace
}  // namespace quillwen::build
