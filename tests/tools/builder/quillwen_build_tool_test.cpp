// The quillwen-build executable as a user runs it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>

#include "core/store/filelist.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/builder/case_label.h"
#include "tools/builder/collection_builder.h"

namespace quillwen::build {
namespace {

namespace fs = std::filesystem;
using quillwen::testing::TempDir;
using quillwen::testing::WriteFileBytes;

struct RunResult {
  int exitCode = -1;
  std::string output;  // standard output and standard error
};

// `shellSetup` runs in the shell before the tool replaces it, to set limits.
RunResult RunTool(const std::string& arguments, const std::string& shellSetup = "") {
  const std::string command =
      shellSetup + "exec " + std::string(QUILLWEN_BUILD_EXECUTABLE) + " " + arguments + " 2>&1";
  RunResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  size_t read = 0;
  while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    result.output.append(buffer.data(), read);
  const int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

TEST(QuillwenBuildToolTest, BuildsADataFolderAndReportsWhatItWrote) {
  TempDir dir;
  fs::create_directories(dir / "source/01 經部/01 論語");
  WriteFileBytes(dir / "source/01 經部/01 論語/01 學而.txt",
                 "# 學而第一\n子曰：學而時習之〔馬曰〕");
  WriteFileBytes(dir / "variants.txt", "U+5B78\tkSimplifiedVariant\tU+5B66\n");
  const RunResult run = RunTool("--unihan " + Quoted(dir / "variants.txt") + " " +
                                Quoted(dir / "source") + " " + Quoted(dir / "data"));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("1 categories, 1 books, 1 volumes: 3 catalogue records"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("1 variant groups"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("\r"), std::string::npos) << "no progress line when not on a terminal";
  for (const std::string& name : CollectionFileNames())
    EXPECT_TRUE(fs::is_regular_file(dir / "data" / name)) << name;
  CFileList store;
  ASSERT_TRUE(store.Open(dir / "data", u"Index"));
  std::string page;
  ASSERT_TRUE(store.ReadPage(0, page));
  EXPECT_NE(page.find("<h4>學而第一</h4>"), std::string::npos);
}

struct ToolErrorCase {
  const char* label;
  std::string arguments;  // after the executable; SOURCE and DATA stand for the folders
  int exitCode;
  std::string expected;
};

class QuillwenBuildToolErrorTest : public ::testing::TestWithParam<ToolErrorCase> {};

TEST_P(QuillwenBuildToolErrorTest, ExitsWithAMessage) {
  TempDir dir;
  fs::create_directories(dir / "source/經/書");
  WriteFileBytes(dir / "source/經/書/卷.txt", "甲〕");
  std::string arguments = GetParam().arguments;
  for (auto [word, path] : {std::pair{"SOURCE", dir / "source"}, std::pair{"DATA", dir / "data"}}) {
    const size_t at = arguments.find(word);
    if (at != std::string::npos) arguments.replace(at, std::string(word).size(), Quoted(path));
  }
  const RunResult run = RunTool(arguments);
  EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.output;
  EXPECT_NE(run.output.find(GetParam().expected), std::string::npos) << run.output;
  EXPECT_FALSE(fs::exists(dir / "data"));
}

// Every refusal exits with 1, names what is at fault, and leaves no data folder
// and no staging folder behind.
void ExpectRefusedLeavingNothing(const RunResult& run, const TempDir& dir,
                                 const std::string& expected) {
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find(expected), std::string::npos) << run.output;
  EXPECT_FALSE(fs::exists(dir / "data"));
  for (const auto& entry : fs::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find(".data.building-"), std::string::npos)
        << entry.path();
}

TEST(QuillwenBuildToolTest, AFileThatCannotBeWrittenIsReportedWithTheSystemsReason) {
  TempDir dir;
  fs::create_directories(dir / "source/經/書");
  std::string text;
  for (int i = 0; i < 30000; ++i) text += "甲";  // about 125 pages, far more than 64 KiB stored
  WriteFileBytes(dir / "source/經/書/卷.txt", text);
  // The shell's file size limit (in 512-byte blocks) stands in for a full disk;
  // with SIGXFSZ ignored a write past it fails with EFBIG.
  const RunResult run =
      RunTool(Quoted(dir / "source") + " " + Quoted(dir / "data"), "trap '' XFSZ; ulimit -f 128; ");
  ExpectRefusedLeavingNothing(run, dir, "Index-fl.cnt: cannot be written (File too large)");
}

TEST(QuillwenBuildToolTest, RefusesANameWithALineBreak) {
  TempDir dir;
  fs::create_directories(dir / "source/經/書");
  WriteFileBytes(dir / "source/經/書/上\n下.txt", "甲");
  const RunResult run = RunTool(Quoted(dir / "source") + " " + Quoted(dir / "data"));
  ExpectRefusedLeavingNothing(run, dir, "上[U+000A]下.txt: the name holds the control character");
}

TEST(QuillwenBuildToolTest, RefusesADataFolderInsideTheSource) {
  TempDir dir;
  fs::create_directories(dir / "source/經/書");
  WriteFileBytes(dir / "source/經/書/卷.txt", "甲");
  const RunResult run = RunTool(Quoted(dir / "source") + " " + Quoted(dir / "source/經/data"));
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("the data folder lies inside the source folder"), std::string::npos)
      << run.output;
  EXPECT_FALSE(fs::exists(dir / "source/經/data"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "source/經"), fs::directory_iterator()), 1)
      << "only the book folder; no staging folder";
}

INSTANTIATE_TEST_SUITE_P(
    Runs, QuillwenBuildToolErrorTest,
    ::testing::Values(
        ToolErrorCase{"BadSource", "SOURCE DATA", 1, "卷.txt: line 1: 〕 closes no annotation"},
        ToolErrorCase{"NothingChangedNotice", "SOURCE DATA", 1, "Nothing was changed in"},
        ToolErrorCase{"MissingArgument", "SOURCE", 2, "Usage: quillwen-build"},
        ToolErrorCase{"UnknownOption", "--fast SOURCE DATA", 2,
                      "unknown option or missing value: --fast"},
        ToolErrorCase{"BadPageSize", "--page-chars 0 SOURCE DATA", 2,
                      "--page-chars needs a positive number"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace quillwen::build
