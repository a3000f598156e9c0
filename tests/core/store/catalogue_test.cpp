#include "core/store/catalogue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/writer/catalogue_writer.h"
#include "tests/support/temp_dir.h"

namespace quillwen {
namespace {

using testing::ReadFileBytes;
using testing::RecordingMessageSink;
using testing::TempDir;
using testing::WriteFileBytes;

struct Loaded {
  std::vector<int> numbers;
  std::vector<CatalogueRecord> records;
};

class CatalogueTest : public ::testing::Test {
 protected:
  CatalogueLoadResult Load() {
    loaded_ = {};
    return LoadCatalogue(
        dir_.path(),
        [this](int number, const CatalogueRecord& record) {
          loaded_.numbers.push_back(number);
          loaded_.records.push_back(record);
        },
        sink_, dir_ / "mvr.txt");
  }
  std::filesystem::path CataloguePath() const { return dir_ / "mvr.dir"; }

  TempDir dir_;
  RecordingMessageSink sink_;
  Loaded loaded_;
};

const std::vector<CatalogueRecord> kSmallCatalogue = {
    {u"経部", 1, 1, 5, 1}, {u"論語", 2, 1, 5, 1},      {u"巻一", 3, 1, 3, 1},
    {u"巻二", 3, 4, 2, 1}, {u"深い", 4, 4, 1, 0xFFFF},
};

TEST_F(CatalogueTest, LoadsRecordsInFileOrderFromOne) {
  std::string error;
  ASSERT_TRUE(WriteCatalogue(CataloguePath(), kSmallCatalogue, &error)) << error;
  const CatalogueLoadResult result = Load();
  EXPECT_EQ(result.recordCount, 5);
  EXPECT_FALSE(result.fileMissing);
  EXPECT_FALSE(result.partialRecordIgnored);
  EXPECT_EQ(loaded_.numbers, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(loaded_.records, kSmallCatalogue);
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(CatalogueTest, WritesTheListingWithIndentByLevel) {
  std::string error;
  ASSERT_TRUE(WriteCatalogue(CataloguePath(), kSmallCatalogue, &error));
  ASSERT_TRUE(Load().listingWritten);
  EXPECT_EQ(ReadFileBytes(dir_ / "mvr.txt"),
            "name=経部\tdocID=1\tdocNo=5\tcurFileName=1\n"
            "\tname=論語\tdocID=1\tdocNo=5\tcurFileName=1\n"
            "\t\tname=巻一\tdocID=1\tdocNo=3\tcurFileName=1\n"
            "\t\tname=巻二\tdocID=4\tdocNo=2\tcurFileName=1\n"
            "name=深い\tdocID=4\tdocNo=1\tcurFileName=65535\n");
}

TEST_F(CatalogueTest, MissingFileShowsTheMessageAndLeavesAnEmptyListing) {
  WriteFileBytes(dir_ / "mvr.txt", "old listing");
  const CatalogueLoadResult result = Load();
  EXPECT_TRUE(result.fileMissing);
  EXPECT_EQ(result.recordCount, 0);
  EXPECT_EQ(sink_.messages, std::vector<std::u16string>{u"you delete data file!"});
  EXPECT_EQ(sink_.faults, (std::vector<DataFault>{{CataloguePath(), "missing"}}));
  EXPECT_EQ(ReadFileBytes(dir_ / "mvr.txt"), "");
}

// A catalogue that yields no record leaves the tree empty: the user is told why.
TEST_F(CatalogueTest, EmptyFileLoadsNothingAndSaysSo) {
  WriteFileBytes(CataloguePath(), "");
  EXPECT_EQ(Load().recordCount, 0);
  EXPECT_EQ(sink_.messages, std::vector<std::u16string>{u"you delete data file!"});
  EXPECT_EQ(sink_.faults, (std::vector<DataFault>{{CataloguePath(), "empty"}}));
  EXPECT_EQ(ReadFileBytes(dir_ / "mvr.txt"), "");
}

TEST_F(CatalogueTest, AFileShorterThanOneRecordSaysSo) {
  WriteFileBytes(CataloguePath(), EncodeCatalogueRecord(kSmallCatalogue[0]).substr(0, 100));
  EXPECT_EQ(Load().recordCount, 0);
  EXPECT_EQ(sink_.messages, std::vector<std::u16string>{u"you delete data file!"});
  EXPECT_EQ(
      sink_.faults,
      (std::vector<DataFault>{{CataloguePath(), "100 bytes, shorter than one 216-byte record"}}));
}

TEST_F(CatalogueTest, AFolderInPlaceOfTheFileIsNamedAsSuch) {
  std::filesystem::create_directory(CataloguePath());
  EXPECT_TRUE(Load().fileMissing);
  EXPECT_EQ(sink_.faults, (std::vector<DataFault>{{CataloguePath(), "a folder, not a file"}}));
}

TEST_F(CatalogueTest, TrailingPartialRecordIsIgnoredAndReported) {
  std::string bytes =
      EncodeCatalogueRecord(kSmallCatalogue[0]) + EncodeCatalogueRecord(kSmallCatalogue[1]);
  bytes.resize(bytes.size() - 1);
  WriteFileBytes(CataloguePath(), bytes);
  const CatalogueLoadResult result = Load();
  EXPECT_EQ(result.recordCount, 1);
  EXPECT_TRUE(result.partialRecordIgnored);
  EXPECT_EQ(loaded_.records.at(0), kSmallCatalogue[0]);
  EXPECT_EQ(sink_.messages, std::vector<std::u16string>{u"目録の一部を読み込めませんでした。"});
  EXPECT_EQ(
      sink_.faults,
      (std::vector<DataFault>{
          {CataloguePath(),
           "the file ends 215 bytes into record 2 of 216 bytes; that record was not loaded"}}));
}

TEST_F(CatalogueTest, NameFillingTheFieldIsTakenWhole) {
  CatalogueRecord longest{std::u16string(99, u'字'), 1, 1, 1, 1};
  std::string bytes = EncodeCatalogueRecord(longest);
  bytes[198] = 'A';  // the NUL unit becomes a 100th character
  bytes[199] = 0;
  WriteFileBytes(CataloguePath(), bytes);
  ASSERT_EQ(Load().recordCount, 1);
  EXPECT_EQ(loaded_.records[0].name, std::u16string(99, u'字') + u"A");
}

TEST_F(CatalogueTest, StopsAfterThe9999thRecord) {
  std::string bytes;
  for (int i = 0; i < 10001; ++i) bytes += EncodeCatalogueRecord({u"r", 1, i, 1, 1});
  WriteFileBytes(CataloguePath(), bytes);
  const CatalogueLoadResult result = Load();
  EXPECT_EQ(result.recordCount, 9999);
  EXPECT_TRUE(result.recordsBeyondLimit);
  EXPECT_EQ(loaded_.numbers.back(), 9999);
  EXPECT_EQ(loaded_.records.back().docID, 9998);
  EXPECT_EQ(sink_.messages, std::vector<std::u16string>{u"目録の一部を読み込めませんでした。"});
  EXPECT_EQ(sink_.faults,
            (std::vector<DataFault>{
                {CataloguePath(), "10001 records; those after the 9999th were not loaded"}}));
}

TEST_F(CatalogueTest, CurFileNameIsUnsignedAndTheTwoBytesAfterItAreIgnored) {
  std::string bytes = EncodeCatalogueRecord({u"v", 3, 1, 1, 0});
  bytes[212] = bytes[213] = bytes[214] = bytes[215] = '\xFF';
  WriteFileBytes(CataloguePath(), bytes);
  ASSERT_EQ(Load().recordCount, 1);
  EXPECT_EQ(loaded_.records[0].curFileName, 65535);
}

TEST_F(CatalogueTest, LoadsEvenWhenTheListingCannotBeCreated) {
  std::string error;
  ASSERT_TRUE(WriteCatalogue(CataloguePath(), kSmallCatalogue, &error));
  loaded_ = {};
  const CatalogueLoadResult result = LoadCatalogue(
      dir_.path(), [this](int n, const CatalogueRecord&) { loaded_.numbers.push_back(n); }, sink_,
      dir_ / "no-such-folder" / "mvr.txt");
  EXPECT_FALSE(result.listingWritten);
  EXPECT_EQ(result.recordCount, 5);
}

TEST(CatalogueWriter, RefusesWhatTheReaderWouldCut) {
  TempDir dir;
  std::string error;
  const std::vector<CatalogueRecord> longName = {{std::u16string(100, u'a'), 1, 1, 1, 1}};
  EXPECT_FALSE(WriteCatalogue(dir / "mvr.dir", longName, &error));
  EXPECT_NE(error.find("record 1"), std::string::npos);
  const std::vector<CatalogueRecord> tooMany(10000, CatalogueRecord{u"x", 1, 1, 1, 1});
  EXPECT_FALSE(WriteCatalogue(dir / "mvr.dir", tooMany, &error));
  EXPECT_NE(error.find("9999"), std::string::npos);
}

TEST(CatalogueWriter, AFileThatCannotBeWrittenIsAnError) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::string error;
  EXPECT_FALSE(WriteCatalogue("/dev/full", kSmallCatalogue, &error));  // every write fails
  EXPECT_EQ(error, "/dev/full: cannot be written (No space left on device)");
}

}  // namespace
}  // namespace quillwen
