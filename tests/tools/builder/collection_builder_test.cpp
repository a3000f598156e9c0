#include "tools/builder/collection_builder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "core/io/file_lock.h"
#include "core/store/catalogue.h"
#include "core/store/collection_lock.h"
#include "core/store/collection_manifest.h"
#include "core/store/filelist.h"
#include "core/store/page_number.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/builder/collection_fixture.h"

namespace quillwen::build {
namespace {

namespace fs = std::filesystem;
using quillwen::testing::ReadFileBytes;
using quillwen::testing::RecordingMessageSink;
using testing::CollectionFixture;

std::string Repeat(const char* c, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) out += c;
  return out;
}

std::vector<CatalogueRecord> LoadRecords(const fs::path& data) {
  std::vector<CatalogueRecord> records;
  RecordingMessageSink sink;
  LoadCatalogue(
      data, [&](int, const CatalogueRecord& record) { records.push_back(record); }, sink,
      data / "mvr.txt");
  EXPECT_TRUE(sink.messages.empty());
  return records;
}

class CollectionBuilderTest : public ::testing::Test, public CollectionFixture {};

TEST_F(CollectionBuilderTest, CatalogueEntriesCoverTheirVolumesPages) {
  WriteSource("01 經部/01 論語/01 學而.txt", Repeat("學", 500));    // 3 pages
  WriteSource("01 經部/01 論語/02 為政.txt", "為政以德");           // 1 page
  WriteSource("01 經部/02 孟子/01 梁惠王.txt", Repeat("孟", 300));  // 2 pages
  WriteSource("02 史部/01 史記/01 本紀.txt", "");                   // 1 empty page
  ASSERT_TRUE(Build()) << Error();
  const std::vector<CatalogueRecord> expected = {
      {u"經部", 1, 1, 6, 1}, {u"論語", 2, 1, 4, 1}, {u"學而", 3, 1, 3, 1},
      {u"為政", 3, 4, 1, 1}, {u"孟子", 2, 5, 2, 1}, {u"梁惠王", 3, 5, 2, 1},
      {u"史部", 1, 7, 1, 1}, {u"史記", 2, 7, 1, 1}, {u"本紀", 3, 7, 1, 1},
  };
  EXPECT_EQ(LoadRecords(Data()), expected);
  EXPECT_EQ(Summary().records, 9u);
  EXPECT_EQ(Summary().pages, 7u);

  // Every volume's pages are found from its docID by page number, in order.
  CFileList store;
  ASSERT_TRUE(store.Open(Data(), u"Index"));
  for (const CatalogueRecord& record : expected) {
    if (record.level != 3) continue;
    for (int k = 0; k < record.docNo; ++k) {
      int32_t found = -1;
      ASSERT_TRUE(store.FindPage(record.docID - 1, record.curFileName + k, &found));
      EXPECT_EQ(found, record.docID - 1 + k);
    }
  }
}

TEST_F(CollectionBuilderTest, StoredPagesHoldTheirTextInTheCellOfTheirParity) {
  WriteSource("經/書/卷.txt",
              Repeat("甲", 240) + "\n\n" + Repeat("乙", 240) + "\n\n# 題\n丙〔注〕");
  ASSERT_TRUE(Build()) << Error();
  CFileList store;
  ASSERT_TRUE(store.Open(Data(), u"Index"));
  const std::string texts[] = {"<p>" + Repeat("甲", 240) + "</p>",
                               "<p>" + Repeat("乙", 240) + "</p>",
                               "<h4>題</h4><p>丙<font size=-1 color=\"#993366\">注</font></p>"};
  for (uint32_t entry = 0; entry < 3; ++entry) {
    PageEntry pageEntry;
    ASSERT_TRUE(store.ReadEntry(entry, &pageEntry));
    EXPECT_EQ(PageNumberFromEntryName(pageEntry.name), static_cast<int>(entry + 1));
    EXPECT_EQ(pageEntry.name, "V00001\\" + std::to_string(entry + 1) + ".htm");
    std::string page;
    ASSERT_TRUE(store.ReadPage(entry, page));
    const size_t firstCell = page.find("<TD");
    const size_t secondCell = page.find("<TD", firstCell + 1);
    const size_t text = page.find(texts[entry]);
    ASSERT_NE(text, std::string::npos) << page;
    // Page numbers 1 and 3 are odd: the text is in the second cell.
    EXPECT_EQ(text > secondCell, (entry + 1) % 2 == 1) << entry;
  }
}

TEST_F(CollectionBuilderTest, FailedBuildLeavesTheExistingCollectionUntouched) {
  WriteSource("經/書/卷.txt", "學而時習之");
  ASSERT_TRUE(Build()) << Error();
  fs::create_directories(Data());
  quillwen::testing::WriteFileBytes(Data() / "reader", "the program");
  std::vector<std::string> before;
  for (const std::string& name : CollectionFileNames())
    before.push_back(ReadFileBytes(Data() / name));

  WriteSource("經/書/卷.txt", "學而〔時習之");
  EXPECT_FALSE(Build());
  EXPECT_NE(Error().find("卷.txt: line 1: the annotation opened with 〔 is not closed"),
            std::string::npos)
      << Error();
  for (size_t i = 0; i < CollectionFileNames().size(); ++i) {
    EXPECT_EQ(ReadFileBytes(Data() / CollectionFileNames()[i]), before[i])
        << CollectionFileNames()[i];
  }
  EXPECT_EQ(ReadFileBytes(Data() / "reader"), "the program");
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(Dir().path()))
    left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"data", "source"}));  // no staging folder left behind
}

// Opening a named pipe for reading used to wait for a writer for ever.
TEST_F(CollectionBuilderTest, AVolumeFileThatIsANamedPipeStopsTheBuildNamingIt) {
  WriteSource("經/書/1 卷.txt", "學而時習之");
  const fs::path pipe = Options().source / "經" / "書" / "2 卷.txt";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_FALSE(Build());
  EXPECT_EQ(Error(), pipe.string() + ": not a regular file; volume files are read only as such");
  EXPECT_FALSE(fs::exists(Data()));
}

TEST_F(CollectionBuilderTest, RebuildReplacesTheCollectionAndKeepsOtherFiles) {
  WriteSource("經/書/卷.txt", "學而時習之");
  ASSERT_TRUE(Build()) << Error();
  quillwen::testing::WriteFileBytes(Data() / "reader", "the program");
  WriteSource("經/書/卷二.txt", "有朋自遠方來");
  ASSERT_TRUE(Build()) << Error();
  EXPECT_EQ(LoadRecords(Data()).size(), 4u);
  EXPECT_EQ(ReadFileBytes(Data() / "reader"), "the program");
}

TEST_F(CollectionBuilderTest, ASecondBuildIntoTheSameFolderStopsAtOnce) {
  WriteSource("經/書/卷.txt", "學而時習之");
  ASSERT_TRUE(Build()) << Error();
  const std::string before = ReadFileBytes(Data() / kCatalogueFileName);
  const fs::path lockFile = Dir() / ("." + Data().filename().string() + kBuildLockSuffix);
  {
    // Another build holds the folder.
    const io::FileLock running = io::FileLock::Exclusive(lockFile, false);
    ASSERT_TRUE(running.Held()) << running.Error();
    WriteSource("經/書/卷二.txt", "有朋自遠方來");
    EXPECT_FALSE(Build());
    EXPECT_EQ(Error(), Data().string() + ": another build into this folder is running");
    EXPECT_EQ(ReadFileBytes(Data() / kCatalogueFileName), before);
  }
  ASSERT_TRUE(Build()) << Error();
  EXPECT_EQ(LoadRecords(Data()).size(), 4u);
  // The build's lock goes with it.
  EXPECT_FALSE(fs::exists(lockFile));
}

TEST_F(CollectionBuilderTest, EveryBuildWritesAManifestOfItsOwn) {
  WriteSource("經/書/卷.txt", "學而時習之");
  ASSERT_TRUE(Build()) << Error();
  const ManifestCheck first = CheckCollectionAgainstManifest(Data());
  ASSERT_TRUE(first.present);
  EXPECT_EQ(first.build.size(), 32u);
  EXPECT_TRUE(first.foreign.empty());
  EXPECT_TRUE(first.unreadableFiles.empty());
  const std::string manifest = ReadFileBytes(Data() / kManifestFileName);
  for (const std::string& name : CollectionFileNames())
    EXPECT_NE(manifest.find("file " + name + " "), std::string::npos) << name;
  ASSERT_TRUE(Build()) << Error();
  EXPECT_NE(ManifestBuildId(Data()), first.build);
}

}  // namespace
}  // namespace quillwen::build
