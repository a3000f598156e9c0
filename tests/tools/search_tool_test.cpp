// quillwen-search run as a program on a small collection: output and exit codes.

#include <gtest/gtest.h>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiny_collection.h"

namespace quillwen {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

using RunResult = testing::ProgramRun;

class SearchToolTest : public ::testing::Test {
 protected:
  static void WriteCollection(const std::filesystem::path& folder) {
    testing::WriteTinyCollection(folder,
                                 {{1, u"経部", {}, 1},
                                  {2, u"論語", {}, 1},
                                  {3, u"巻一", {u"學而時習之", u"不亦說乎", u"有朋自遠方來之"}, 1},
                                  {1, u"史部", {}, 1},
                                  {2, u"史記", {}, 1},
                                  {3, u"巻一", {u"之學"}, 1}},
                                 "5B78,5B66\n");
  }
  static void SetUpTestSuite() {
    data_ = new TempDir;
    WriteCollection(data_->path());
  }
  static void TearDownTestSuite() { delete data_; }

  RunResult Run(const std::string& arguments, const std::string& input = "") {
    return RunWith("", "--data '" + data_->path().string() + "' " + arguments, input);
  }

  // `environment`: "NAME=value ..." settings for env(1) in front of the tool.
  RunResult RunWith(const std::string& environment, const std::string& arguments,
                    const std::string& input = "") {
    return testing::RunProgram("env " + environment + " " + QUILLWEN_SEARCH_TOOL + " " + arguments,
                               scratch_.path(), input);
  }

  static TempDir* data_;
  TempDir scratch_;
};

TempDir* SearchToolTest::data_ = nullptr;

TEST_F(SearchToolTest, PrintsTheSummaryAndTheRowsOfTheWholeCollection) {
  const std::string everything =
      "全部で 3 頁で、3 箇所でした。\n"
      "類別\t書名\t巻\t頁\t箇所\n"
      "経部\t論語\t巻一\t1\t1\n"
      "経部\t論語\t巻一\t3\t1\n"
      "史部\t史記\t巻一\t1\t1\n";
  const RunResult result = Run("之");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, everything);
  EXPECT_EQ(Run("--range all 之").out, everything);
  EXPECT_EQ(Run("--range 1 之").out,
            "全部で 2 頁で、2 箇所でした。\n類別\t書名\t巻\t頁\t箇所\n"
            "経部\t論語\t巻一\t1\t1\n経部\t論語\t巻一\t3\t1\n");
}

TEST_F(SearchToolTest, WithoutDataLooksForTheCollectionAndSaysWhereItLooked) {
  const std::string home = scratch_.path().string();
  const std::string places =
      "-u QUILLWEN_DATA -u XDG_DATA_HOME HOME='" + home + "' XDG_DATA_DIRS='" + home + "/system'";
  const RunResult missing = RunWith(places, "之");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("\n  ~/.local/share/quillwen\n  ~/system/quillwen\nBuild one with\n"
                             "  quillwen-build SOURCE ~/.local/share/quillwen\n"),
            std::string::npos)
      << missing.err;

  const RunResult found = RunWith(places + " QUILLWEN_DATA='" + data_->path().string() + "'", "之");
  EXPECT_EQ(found.exitCode, 0) << found.err;
  EXPECT_EQ(found.out, Run("之").out);
  EXPECT_NE(found.out.find("全部で 3 頁"), std::string::npos);
}

TEST_F(SearchToolTest, SortsThePageRows) {
  EXPECT_EQ(Run("--sort page 之").out,
            "全部で 3 頁で、3 箇所でした。\n類別\t書名\t巻\t頁\t箇所\n"
            "経部\t論語\t巻一\t1\t1\n史部\t史記\t巻一\t1\t1\n経部\t論語\t巻一\t3\t1\n");
  EXPECT_EQ(Run("--or --sort places 學 之").out,
            "全部で 3 頁で、5 箇所でした。\n類別\t書名\t巻\t頁\t箇所\n"
            "経部\t論語\t巻一\t1\t2\n史部\t史記\t巻一\t1\t2\n経部\t論語\t巻一\t3\t1\n");
}

TEST_F(SearchToolTest, HitsPrintEachPlaceInItsContext) {
  const RunResult result = Run("--hits --context 2 之");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "全部で 3 頁で、3 箇所でした。\n項目\t類別\t書名\t巻\t頁\t左文脈\t語\t右文脈\n"
            "0\t経部\t論語\t巻一\t1\t時習\t之\t\n"
            "2\t経部\t論語\t巻一\t3\t方來\t之\t\n"
            "3\t史部\t史記\t巻一\t1\t\t之\t學\n");
  // By the text before the hit, read backwards: nothing, 來, 習.
  EXPECT_EQ(Run("--hits --sort left --context 1 之").out,
            "全部で 3 頁で、3 箇所でした。\n項目\t類別\t書名\t巻\t頁\t左文脈\t語\t右文脈\n"
            "3\t史部\t史記\t巻一\t1\t\t之\t學\n"
            "2\t経部\t論語\t巻一\t3\t來\t之\t\n"
            "0\t経部\t論語\t巻一\t1\t習\t之\t\n");
  const RunResult json = Run("--hits --json --context 1 學");
  EXPECT_EQ(json.out,
            "{\"summary\":\"全部で 2 頁で、2 箇所でした。\",\"pages\":2,\"hits\":2,\"rows\":["
            "{\"entry\":0,\"category\":\"経部\",\"book\":\"論語\",\"volume\":\"巻一\","
            "\"volumePage\":1,\"anchor\":0,\"left\":\"\",\"hit\":\"學\",\"right\":\"而\"},"
            "{\"entry\":3,\"category\":\"史部\",\"book\":\"史記\",\"volume\":\"巻一\","
            "\"volumePage\":1,\"anchor\":0,\"left\":\"之\",\"hit\":\"學\",\"right\":\"\"}]}\n");
}

TEST_F(SearchToolTest, CsvWritesTheWholeResultAsTheReaderSavesIt) {
  EXPECT_EQ(Run("--csv 之").out,
            "\xEF\xBB\xBF類別,書名,巻,頁,箇所\r\n経部,論語,巻一,1,1\r\n経部,論語,巻一,3,1\r\n"
            "史部,史記,巻一,1,1\r\n");
  EXPECT_EQ(Run("--csv --hits --context 1 之學").out,
            "\xEF\xBB\xBF類別,書名,巻,頁,左文脈,語,右文脈\r\n史部,史記,巻一,1,,之學,\r\n");
}

TEST_F(SearchToolTest, RangeByPathOrRecordAndVariants) {
  EXPECT_EQ(Run("--range 史部/史記 学").out,
            "全部で 1 頁で、1 箇所でした。\n類別\t書名\t巻\t頁\t箇所\n史部\t史記\t巻一\t1\t1\n");
  EXPECT_EQ(Run("--range 4 --no-variants 学").out,
            "全部で 0 頁で、0 箇所でした。\n類別\t書名\t巻\t頁\t箇所\n");
  const RunResult unknown = Run("--range 99 之");
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("no contents entry"), std::string::npos);
}

TEST_F(SearchToolTest, JsonHoldsTheWholeResult) {
  const RunResult result = Run("--range 1 --json --or 學 說");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out,
            "{\"summary\":\"全部で 2 頁で、2 "
            "箇所でした。\",\"pages\":2,\"places\":2,\"listPages\":1,\"rows\":["
            "{\"category\":\"経部\",\"book\":\"論語\",\"volume\":\"巻一\",\"volumePage\":1,"
            "\"entry\":0,\"places\":1},"
            "{\"category\":\"経部\",\"book\":\"論語\",\"volume\":\"巻一\",\"volumePage\":2,"
            "\"entry\":1,\"places\":1}]}\n");
}

TEST_F(SearchToolTest, MessagesGoToStandardErrorWithStatusOne) {
  const RunResult none = Run("");
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.err, "何かキーワードを入力して検索をして下さい。\n");
  EXPECT_EQ(none.out, "");

  TempDir empty;
  const RunResult missing = Run("--data '" + empty.path().string() + "' 之");
  EXPECT_EQ(missing.exitCode, 1);
  // Each message that a damaged or missing file caused is followed by the file
  // and what is wrong with it. The whole of an empty collection is no range either.
  const std::string folder = empty.path().string();
  EXPECT_EQ(missing.err, "データを開けませんでした。\n" + folder +
                             "/Index-idx.h: missing\nyou delete data file!\n" + folder +
                             "/mvr.dir: missing\n検索範囲をまた指定していません。\n");
}

TEST_F(SearchToolTest, UsageErrorsExitWithTwo) {
  for (const char* arguments :
       {"--bogus", "--target somewhere 之", "--list-page 0 之", "--range", "--sort sideways 之",
        "--sort left 之", "--hits --sort places 之", "--context -1 之", "--csv --json 之"}) {
    const RunResult result = Run(arguments);
    EXPECT_EQ(result.exitCode, 2) << arguments;
    EXPECT_NE(result.err.find("--help"), std::string::npos) << arguments;
  }
  const RunResult help = Run("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--batch"), std::string::npos);
}

TEST_F(SearchToolTest, BatchAnswersEachLineWithJson) {
  const RunResult result = Run("--batch", "之\n--or --range 4 學 說\n\n--bogus 之\n");
  EXPECT_EQ(result.exitCode, 1);  // the empty line showed a message
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = result.out.find('\n', start)) != std::string::npos;
       start = end + 1) {
    lines.push_back(result.out.substr(start, end - start));
  }
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(0, lines[0].find(",\"seconds\"")),
            "{\"keywords\":\"之\",\"pages\":3,\"places\":3,\"rows\":[[0,1],[2,1],[3,1]]");
  EXPECT_EQ(lines[1].substr(0, lines[1].find(",\"seconds\"")),
            "{\"keywords\":\"學\u3000說\",\"pages\":1,\"places\":1,\"rows\":[[3,1]]");
  EXPECT_EQ(lines[2], "{\"message\":\"何かキーワードを入力して検索をして下さい。\"}");
  EXPECT_EQ(lines[3], "{\"error\":\"unknown option --bogus\"}");
}

TEST_F(SearchToolTest, TreeShowAndRender) {
  EXPECT_EQ(Run("--tree").out,
            "1\t経部\n\t2\t論語\n\t\t3\t巻一\n4\t史部\n\t5\t史記\n\t\t6\t巻一\n");
  const RunResult shown = Run("--show 3 2");
  EXPECT_EQ(shown.exitCode, 0);
  EXPECT_NE(shown.out.find("不亦說乎"), std::string::npos);
  EXPECT_EQ(Run("--show 3 9").exitCode, 1);
  const RunResult rendered = Run("--render 0 之");
  EXPECT_EQ(rendered.exitCode, 0);
  EXPECT_NE(rendered.out.find("<a name=\"0000\"></a>"), std::string::npos);
  EXPECT_EQ(rendered.out.rfind("<html><head>", 0), 0u);
  // Characters the search passes over do not keep a term from being marked.
  EXPECT_EQ(Run("--render 0 之。").out, rendered.out);
}

TEST_F(SearchToolTest, NumbersOutOfRangeAreUsageErrors) {
  // clang-format off
  for (const char* arguments :
       {"--render 4294967296 之", "--render 18446744073709551616 之", "--render -1 之",
        "--render 1x 之", "--render '' 之", "--show 3 2147483648", "--show 3 -2147483649",
        "--show 3 2x", "--list-page 2147483648 之", "--list-page 9223372036854775807 之",
        "--context 1001 之"}) {
    // clang-format on
    const RunResult result = Run(arguments);
    EXPECT_EQ(result.exitCode, 2) << arguments;
    EXPECT_EQ(result.out, "") << arguments;
    EXPECT_NE(result.err.find("--help"), std::string::npos) << arguments;
  }
  // The largest entry is a number, of a page the collection does not have.
  const RunResult last = Run("--render 4294967295 之");
  EXPECT_EQ(last.exitCode, 1);
  EXPECT_EQ(last.err, "quillwen-search: page entry 4294967295 cannot be rendered\n");
}

TEST_F(SearchToolTest, KeywordsThatAreNotUtf8AreUsageErrors) {
  // A stray byte, a cut-off character, and a lone surrogate as WTF-8 writes it
  // (the shell that runs the tool is sh: printf writes the bytes).
  for (const char* arguments : {"之 \"$(printf '\\377')\"", "\"$(printf '\\344\\271')\"",
                                "\"之$(printf '\\355\\240\\200')學\""}) {
    const RunResult result = Run(std::string("-- ") + arguments);
    EXPECT_EQ(result.exitCode, 2) << arguments;
    EXPECT_EQ(result.out, "") << arguments;
    EXPECT_NE(result.err.find("is not UTF-8 text"), std::string::npos) << result.err;
  }
  const RunResult batch = Run("--batch", "之 \xff\n");
  EXPECT_EQ(batch.out, "{\"error\":\"keyword 2 is not UTF-8 text (byte 1)\"}\n");
}

TEST_F(SearchToolTest, BatchWritesBytesThatAreNotUtf8AsReplacementCharacters) {
  const RunResult result = Run("--batch", "--target \xFF\xFE 之\n--range \xE5\x9B 之\n");
  EXPECT_EQ(result.out,
            "{\"error\":\"--target takes full, main or annotations, not \\ufffd\\ufffd\"}\n"
            "{\"error\":\"no contents entry is named \\ufffd\\ufffd\"}\n");
}

TEST_F(SearchToolTest, ADamagedListIsToldOnStandardErrorAfterWhatWasFound) {
  const std::filesystem::path data = scratch_ / "damaged";
  std::filesystem::create_directory(data);
  WriteCollection(data);
  // 學's list starts in a block the postings file does not have.
  const uint32_t id = 0x5B78 - 0x3400;
  std::string header = ReadFileBytes(data / "Index-idx.h");
  header.replace(4 * id, 4, std::string("\x00\x01\x00\x00", 4));
  WriteFileBytes(data / "Index-idx.h", header);
  const RunResult result = Run("--data '" + data.string() + "' --or --no-variants 之 學");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out,
            "全部で 3 頁で、3 箇所でした。\n類別\t書名\t巻\t頁\t箇所\n"
            "経部\t論語\t巻一\t1\t1\n経部\t論語\t巻一\t3\t1\n史部\t史記\t巻一\t1\t1\n");
  EXPECT_EQ(result.err, "索引ファイル " + (data / "Index-idx.m").string() +
                            " が壊れています。見つかった頁だけを示しました。\n");
}

TEST_F(SearchToolTest, AVariantTableOfAnotherIndexIsToldOnStandardError) {
  const std::filesystem::path data = scratch_ / "foreign";
  std::filesystem::create_directory(data);
  WriteCollection(data);
  WriteFileBytes(data / "yitizi.txt", "4E00,4E01\n5B78,5B66\n");
  const std::string refused =
      "異体字表 yitizi.txt がこの索引のものではないため、異体字を区別して検索しました。\n" +
      (data / "Index-idx.h").string() + ": its list of variant group 1 does not fit yitizi.txt\n";
  const RunResult search = Run("--data '" + data.string() + "' 学");
  EXPECT_EQ(search.exitCode, 1);
  EXPECT_EQ(search.out, "全部で 0 頁で、0 箇所でした。\n類別\t書名\t巻\t頁\t箇所\n");
  EXPECT_EQ(search.err, refused);
  const RunResult rendered = Run("--data '" + data.string() + "' --render 0 学");
  EXPECT_EQ(rendered.exitCode, 1);
  EXPECT_EQ(rendered.err, refused);
  EXPECT_EQ(rendered.out.find("<b style="), std::string::npos);
  const RunResult plain = Run("--data '" + data.string() + "' --no-variants 學");
  EXPECT_EQ(plain.exitCode, 0);
  EXPECT_EQ(plain.err, "");
}

}  // namespace
}  // namespace quillwen
