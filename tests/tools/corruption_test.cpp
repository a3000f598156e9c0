// A small collection made by the builder, damaged one file and one kind of
// damage at a time, and what a user of quillwen-search then gets: the messages
// on standard error with the file and what is wrong with it, the exit status,
// and the rows (the first line of standard output, the summary). Each row of
// the table is one damage; a new kind of damage is one more row.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "core/common/little_endian.h"
#include "core/search/character_id.h"
#include "core/search/variant_table_format.h"
#include "core/store/collection_manifest.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/small_collection.h"

namespace quillwen {
namespace {

namespace fs = std::filesystem;
using testing::PatchFileBytes;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// --- Kinds of damage, each applied to one file ---
using Damage = std::function<void(const fs::path& file)>;

Damage Remove() {
  return [](const fs::path& file) { fs::remove(file); };
}
Damage CutTo(size_t size) {
  return [size](const fs::path& file) { fs::resize_file(file, size); };
}
Damage CutBy(size_t bytes) {
  return [bytes](const fs::path& file) { fs::resize_file(file, fs::file_size(file) - bytes); };
}
Damage Append(std::string bytes) {
  return [bytes](const fs::path& file) { WriteFileBytes(file, ReadFileBytes(file) + bytes); };
}
Damage SetLE32(size_t offset, uint32_t value) {
  return [offset, value](const fs::path& file) {
    std::string bytes;
    AppendLE32(bytes, value);
    PatchFileBytes(file, offset, bytes);
  };
}
// Adds `delta` to the 32-bit number at `offset`.
Damage AddLE32(size_t offset, uint32_t delta) {
  return [offset, delta](const fs::path& file) {
    const std::string bytes = ReadFileBytes(file);
    SetLE32(offset, LoadLE32(bytes.data() + offset) + delta)(file);
  };
}
// Zeroes the file from `offset` to its end, then does `then`.
Damage ZeroFrom(size_t offset, Damage then) {
  return [offset, then](const fs::path& file) {
    PatchFileBytes(file, offset, std::string(fs::file_size(file) - offset, '\0'));
    then(file);
  };
}
// Exchanges the file with `other` of the same folder.
Damage SwapWith(std::string other) {
  return [other](const fs::path& file) {
    const fs::path swap = file.parent_path() / "swap";
    fs::rename(file, swap);
    fs::rename(file.parent_path() / other, file);
    fs::rename(swap, file.parent_path() / other);
  };
}
// Both, one after the other.
Damage Both(Damage first, Damage second) {
  return [first, second](const fs::path& file) {
    first(file);
    second(file);
  };
}
Damage Prepend(std::string bytes) {
  return [bytes](const fs::path& file) { WriteFileBytes(file, bytes + ReadFileBytes(file)); };
}

// Where the header of an index set keeps the first block of `c`'s posting list.
size_t FirstBlockFieldOf(char32_t c) { return 4 * static_cast<size_t>(CharacterId(c)); }
// Where it keeps the last page of identifier `id`'s list.
size_t LastPageFieldOf(uint32_t id) { return 1000000 + 4 * static_cast<size_t>(id); }

Damage NamedPipe() {
  return [](const fs::path& file) {
    fs::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  };
}

// Where catalogue record `record` (from 1) keeps the field at `offset`.
constexpr size_t RecordField(int record, size_t offset) {
  return static_cast<size_t>(record - 1) * 216 + offset;
}

// Where entry `entry` of the page table keeps its length (name size 100).
constexpr size_t LengthFieldOf(uint32_t entry) { return 268 + entry * 108 + 104; }

struct Outcome {
  int exitCode = -1;
  std::string err;
  std::string firstLine;  // of standard output
};

struct CorruptionCase {
  const char* label;
  const char* file;  // the file of the collection damaged; null for none
  Damage damage;
  const char* arguments;
  Outcome expected;  // in err, "$F" stands for the damaged file's path, "$D" for the folder's
  // The builder's manifest stays beside the files. Without it the collection is
  // one another tool made, which only the formats' own checks can judge.
  bool withManifest = false;
};

class CorruptionTest : public ::testing::TestWithParam<CorruptionCase> {
 protected:
  static void SetUpTestSuite() {
    source_ = new TempDir;
    testing::BuildSmallCollection(source_->path());
  }
  static void TearDownTestSuite() { delete source_; }

  // Runs quillwen-search on `data` with `arguments`; standard input is empty.
  Outcome Run(const fs::path& data, const std::string& arguments) {
    const testing::ProgramRun run = testing::RunProgram(
        std::string(QUILLWEN_SEARCH_TOOL) + " --data '" + data.string() + "' " + arguments,
        scratch_.path());
    return {run.exitCode, run.err, run.out.substr(0, run.out.find('\n'))};
  }

  static TempDir* source_;
  TempDir scratch_;
};

TempDir* CorruptionTest::source_ = nullptr;

TEST_P(CorruptionTest, TheUserIsToldWhichFileAndWhatIsWrong) {
  const CorruptionCase& c = GetParam();
  const fs::path data = scratch_ / "data";
  fs::copy(source_->path() / "data", data);
  if (!c.withManifest) fs::remove(data / kManifestFileName);
  std::string err = c.expected.err;
  const auto replace = [&err](std::string_view name, const std::string& text) {
    for (size_t at; (at = err.find(name)) != std::string::npos;) err.replace(at, 2, text);
  };
  replace("$D", data.string());
  if (c.file != nullptr) {
    const fs::path file = data / c.file;
    c.damage(file);
    replace("$F", file.string());
  }
  const Outcome outcome = Run(data, c.arguments);
  EXPECT_EQ(outcome.err, err);
  EXPECT_EQ(outcome.exitCode, c.expected.exitCode);
  EXPECT_EQ(outcome.firstLine, c.expected.firstLine);
}

constexpr char kOpenFailed[] = "データを開けませんでした。\n";
constexpr char kNoCatalogue[] = "you delete data file!\n";
constexpr char kNoRange[] = "検索範囲をまた指定していません。\n";
constexpr char kRecordsDropped[] = "目録の一部を読み込めませんでした。\n";
constexpr char kListDamaged[] =
    "索引ファイル $D/Index-idx.m が壊れています。見つかった頁だけを示しました。\n";
// The pair index beside the full text, whose index set has changed under it (or
// which is damaged itself): searched without, and said once.
constexpr char kPairIndexAside[] =
    "補助索引ファイル $D/Index-pairs.qw が壊れているか、この索引のものではありません。"
    "使わずに検索しました（結果は変わりません）。\n";
constexpr char kVariantsRefused[] =
    "異体字表 yitizi.txt がこの索引のものではないため、異体字を区別して検索しました。\n";
constexpr char kVariantsMissing[] =
    "異体字表 yitizi.txt を読めないため、異体字を区別して検索しました。\n";
constexpr char kCatalogueMismatch[] =
    "目録 mvr.dir に、このコレクションの頁と合わない項目があります。\n";
const std::string kForeign = "はこのコレクションのものではありません（別のビルドのファイルです）。";
constexpr char kNotShown[] = "quillwen-search: the page cannot be found or read\n";
constexpr char kFound[] = "全部で 3 頁で、3 箇所でした。";
// The pages of 子, without those of 之, whose list is damaged.
constexpr char kFoundWithoutDamagedList[] = "全部で 4 頁で、4 箇所でした。";
constexpr char kNothingFound[] = "全部で 0 頁で、0 箇所でした。";
// The last page, 史記 本紀 5, as stored: one line.
constexpr char kLastPageFirstLine[] =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"
    "<style>td{vertical-align:top;padding:0 1em}.m{width:5em;color:#8a7f6e;font-size:small}"
    "</style><title>史記 本紀 5</title></head><body><table width=\"100%\"><tr><TD class=\"m\">"
    "史記<br>本紀<br>5</TD><TD><p>生而神靈。</p></TD></tr></table></body></html>";

std::string Err(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

std::string CaseLabel(const ::testing::TestParamInfo<CorruptionCase>& info) {
  return info.param.label;
}

// The catalogue "mvr.dir", and the collection undamaged.
const CorruptionCase kCatalogueCases[] = {
    CorruptionCase{"Undamaged", nullptr, nullptr, "之", {0, "", kFound}},
    CorruptionCase{"CatalogueMissing",
                   "mvr.dir",
                   Remove(),
                   "之",
                   {1, Err({kNoCatalogue, "$F: missing\n", kNoRange}), ""}},
    CorruptionCase{"CatalogueEmpty",
                   "mvr.dir",
                   CutTo(0),
                   "之",
                   {1, Err({kNoCatalogue, "$F: empty\n", kNoRange}), ""}},
    CorruptionCase{
        "CatalogueShorterThanARecord",
        "mvr.dir",
        CutTo(100),
        "之",
        {1, Err({kNoCatalogue, "$F: 100 bytes, shorter than one 216-byte record\n", kNoRange}),
         ""}},
    CorruptionCase{
        "CatalogueAsNamedPipe",
        "mvr.dir",
        NamedPipe(),
        "之",
        {1, Err({kNoCatalogue, "$F: a named pipe, not a regular file\n", kNoRange}), ""}},
    CorruptionCase{"CatalogueLastRecordCutOff",
                   "mvr.dir",
                   CutBy(16),
                   "之",
                   {1,
                    Err({kRecordsDropped,
                         "$F: the file ends 200 bytes into record "
                         "7 of 216 bytes; that "
                         "record was not loaded\n"}),
                    kFound}},
    // A record whose level and numbers are zero matches no node: no range, not the whole collection
    // under "root".
    CorruptionCase{
        "CatalogueRecordZeroed",
        "mvr.dir",
        [](const fs::path& file) { PatchFileBytes(file, 2 * 216 + 200, std::string(16, '\0')); },
        "--range 3 之",
        {1, Err({kCatalogueMismatch, "$F: record 3 (學而): level 0 is below 1\n", kNoRange}), ""}},
    // The pages a record covers, and the page numbers a volume's pages carry, as its page table has
    // them.
    CorruptionCase{"VolumeDocIdNegative",
                   "mvr.dir",
                   SetLE32(RecordField(3, 204), static_cast<uint32_t>(-5)),
                   "之",
                   {1,
                    Err({kCatalogueMismatch,
                         "$F: record 3 (學而): pages -5 to 0 lie outside the "
                         "15 page entries\n"}),
                    kFound}},
    CorruptionCase{"VolumeDocIdZero",
                   "mvr.dir",
                   SetLE32(RecordField(3, 204), 0),
                   "之",
                   {1,
                    Err({kCatalogueMismatch,
                         "$F: record 3 (學而): pages 0 to 5 lie "
                         "outside the 15 page entries\n"}),
                    kFound}},
    CorruptionCase{"VolumeDocIdPastTheTable",
                   "mvr.dir",
                   SetLE32(RecordField(7, 204), 16),
                   "之",
                   {1,
                    Err({kCatalogueMismatch,
                         "$F: record 7 (本紀): pages 16 to 20 lie "
                         "outside the 15 page entries\n"}),
                    kFound}},
    CorruptionCase{
        "VolumeDocNoNegative",
        "mvr.dir",
        SetLE32(RecordField(4, 208), static_cast<uint32_t>(-1)),
        "之",
        {1, Err({kCatalogueMismatch, "$F: record 4 (為政): docNo -1 is negative\n"}), kFound}},
    CorruptionCase{"VolumeDocNoPastTheTable",
                   "mvr.dir",
                   SetLE32(RecordField(7, 208), 100),
                   "之",
                   {1,
                    Err({kCatalogueMismatch,
                         "$F: record 7 (本紀): pages 11 to 110 "
                         "lie outside the 15 page entries\n"}),
                    kFound}},
    CorruptionCase{"VolumeDocIdShifted",
                   "mvr.dir",
                   AddLE32(RecordField(4, 204), 1),
                   "之",
                   {1,
                    Err({kCatalogueMismatch,
                         "$F: record 4 (為政): its first page, "
                         "entry 7, carries page 2, not 1\n"}),
                    kFound}},
    // 史 is no longer a top-level entry: its page of 之 is not searched.
    CorruptionCase{"LastRecordsZeroedAndJunkAppended",
                   "mvr.dir",
                   ZeroFrom(4 * 216, Append(std::string(216, 'x'))),
                   "之",
                   {1,
                    Err({kCatalogueMismatch,
                         "$F: record 5 (): level 0 is below 1; and 3 more "
                         "records\n"}),
                    "全部で 2 頁で、2 箇所でした。"}},
};
INSTANTIATE_TEST_SUITE_P(Catalogue, CorruptionTest, ::testing::ValuesIn(kCatalogueCases),
                         CaseLabel);

// The variant table "yitizi.txt", and the variant groups of an index header.
const CorruptionCase kVariantTableCases[] = {
    // A line put in front of the variant table shifts every group's number; the index has no list
    // for the group 子 now opens.
    CorruptionCase{"VariantTableOfAnotherIndex",
                   "yitizi.txt",
                   Prepend("5B50,5B51\n"),
                   "之",
                   {1,
                    Err({kVariantsRefused,
                         "$D/Index-idx.h: its list of variant group 1 does "
                         "not fit yitizi.txt\n"}),
                    kFound}},
    // One byte of a header changed: the last page of 學's group's list.
    CorruptionCase{"IndexHeaderByteChanged",
                   "Index-idx.h",
                   SetLE32(LastPageFieldOf(VariantIdBase), 1),
                   "之",
                   {1,
                    Err({kVariantsRefused,
                         "$F: its list of variant group 1 does not fit "
                         "yitizi.txt\n",
                         kPairIndexAside}),
                    kFound}},
    // The index holds the groups' lists: without the table variants are lost.
    CorruptionCase{"VariantTableMissing",
                   "yitizi.txt",
                   Remove(),
                   "之",
                   {1, Err({kVariantsMissing, "$F: missing\n"}), kFound}},
    CorruptionCase{"VariantTableEmpty",
                   "yitizi.txt",
                   CutTo(0),
                   "之",
                   {1, Err({kVariantsMissing, "$F: holds no variant group\n"}), kFound}},
    CorruptionCase{"VariantTableDangling",
                   "yitizi.txt",
                   [](const fs::path& file) {
                     fs::remove(file);
                     fs::create_symlink("gone.txt", file);
                   },
                   "之",
                   {1, Err({kVariantsMissing, "$F: missing\n"}), kFound}},
    // Asked to tell variants apart, the search misses nothing.
    CorruptionCase{"VariantTableMissingWithoutVariants",
                   "yitizi.txt",
                   Remove(),
                   "--no-variants 之",
                   {0, "", kFound}},
};
INSTANTIATE_TEST_SUITE_P(VariantTable, CorruptionTest, ::testing::ValuesIn(kVariantTableCases),
                         CaseLabel);

// The page table "Index-fl.h".
const CorruptionCase kPageTableCases[] = {
    CorruptionCase{"PageTableMissing",
                   "Index-fl.h",
                   Remove(),
                   "之",
                   {1, Err({kOpenFailed, "$F: missing\n"}), kNothingFound}},
    CorruptionCase{"PageTableEmpty",
                   "Index-fl.h",
                   CutTo(0),
                   "之",
                   {1, Err({kOpenFailed, "$F: empty\n"}), kNothingFound}},
    CorruptionCase{"PageTableHeaderCut",
                   "Index-fl.h",
                   CutTo(100),
                   "之",
                   {1,
                    Err({kOpenFailed,
                         "$F: 100 bytes, too short for its "
                         "268-byte header\n"}),
                    kNothingFound}},
    CorruptionCase{
        "NameSizeZeroed",
        "Index-fl.h",
        SetLE32(4, 0),
        "之",
        {1, Err({kOpenFailed, "$F: name size 0 lies outside 1 to 260\n"}), kNothingFound}},
    // 99 instead of 100: the 15 entries no longer fill the table.
    CorruptionCase{"NameSize99",
                   "Index-fl.h",
                   SetLE32(4, 99),
                   "--show 3",
                   {1,
                    Err({kCatalogueMismatch,
                         "$D/mvr.dir: record 3 (學而): its last page, entry 5, carries no page "
                         "number, not 6; and 2 more records\n",
                         kNotShown,
                         "$F: 1620 bytes of entries after the "
                         "268-byte header are not a "
                         "whole number of 107-byte entries (name "
                         "size 99)\n"}),
                    ""}},
    // Entry 1 made 7 bytes long: the tail of its page, not a page.
    CorruptionCase{"PageStartsInsideAnother",
                   "Index-fl.h",
                   SetLE32(LengthFieldOf(1), 7),
                   "--show 3 2",
                   {1,
                    Err({kNotShown,
                         "$F: page entry 1 holds no HTML page "
                         "with a title and two table "
                         "cells: the page table does not fit "
                         "Index-fl.cnt\n"}),
                    ""}},
    // Entry 1's name, "V00001\\2.htm", runs on to the end of its field.
    CorruptionCase{
        "NameWithoutItsNul",
        "Index-fl.h",
        [](const fs::path& file) { PatchFileBytes(file, 268 + 108 + 12, std::string(88, 'x')); },
        "--show 3 2",
        {1,
         Err({kNotShown,
              "$F: page entry 1 has no NUL within its "
              "100-byte name\n"}),
         ""}},
};
INSTANTIATE_TEST_SUITE_P(PageTable, CorruptionTest, ::testing::ValuesIn(kPageTableCases),
                         CaseLabel);

// The content file "Index-fl.cnt".
const CorruptionCase kContentCases[] = {
    CorruptionCase{"ContentMissing",
                   "Index-fl.cnt",
                   Remove(),
                   "之",
                   {1, Err({kOpenFailed, "$F: missing\n"}), kNothingFound}},
    // Bytes after the last page are unused, as other tools may leave them.
    CorruptionCase{
        "ContentLonger", "Index-fl.cnt", Append("x"), "--show 7 5", {0, "", kLastPageFirstLine}},
    // Page 5 of record 7 is the last page entry, 14.
    CorruptionCase{"ContentCut",
                   "Index-fl.cnt",
                   CutBy(1),
                   "--show 7 5",
                   {1,
                    Err({kNotShown,
                         "$D/Index-fl.h: page entry 14 points "
                         "past the content file\n"}),
                    ""}},
};
INSTANTIATE_TEST_SUITE_P(Content, CorruptionTest, ::testing::ValuesIn(kContentCases), CaseLabel);

// The index sets.
const CorruptionCase kIndexSetCases[] = {
    CorruptionCase{"IndexHeaderMissing",
                   "Index-idx.h",
                   Remove(),
                   "之",
                   {1, Err({kOpenFailed, "$F: missing\n"}), kNothingFound}},
    CorruptionCase{"IndexHeaderEmpty",
                   "Index-idx.h",
                   CutTo(0),
                   "之",
                   {1, Err({kOpenFailed, "$F: empty\n"}), kNothingFound}},
    CorruptionCase{"IndexHeaderCut",
                   "Index-idx.h",
                   CutTo(1000),
                   "之",
                   {1,
                    Err({kOpenFailed,
                         "$F: 1000 bytes, shorter than the "
                         "1400000 bytes of its tables\n"}),
                    kNothingFound}},
    // A list that leads out of the postings file: what the other lists found is shown, and the user
    // is told the index is damaged.
    CorruptionCase{"PostingListLeadsOutside",
                   "Index-idx.h",
                   SetLE32(FirstBlockFieldOf(U'之'), 0x7FFFFFFF),
                   "--or 之 子",
                   {1, Err({kListDamaged, kPairIndexAside}), kFoundWithoutDamagedList}},
    // A pair index that is not one: the index set alone finds the same.
    CorruptionCase{"PairIndexDamaged",
                   "Index-pairs.qw",
                   SetLE32(0, 0),
                   "之",
                   {1, Err({kPairIndexAside}), kFound}},
    CorruptionCase{"PostingsMissing",
                   "Index-idx.m",
                   Remove(),
                   "之",
                   {1, Err({kOpenFailed, "$F: missing\n"}), kNothingFound}},
    // The main-text set is opened only when a search asks for it.
    CorruptionCase{"MainTextHeaderMissing",
                   "Index_content-idx.h",
                   Remove(),
                   "--target main 之",
                   {1, Err({kOpenFailed, "$F: missing\n"}), kNothingFound}},
};
INSTANTIATE_TEST_SUITE_P(IndexSet, CorruptionTest, ::testing::ValuesIn(kIndexSetCases), CaseLabel);

// The builder's manifest: files of another build, and a collection without one.
const CorruptionCase kManifestCases[] = {
    CorruptionCase{"UndamagedWithManifest", nullptr, nullptr, "之", {0, "", kFound}, true},
    // The full-text set exchanged with the annotations' (which holds nothing here).
    CorruptionCase{
        "IndexSetsSwapped",
        "Index-idx.h",
        Both(SwapWith("Index_desc-idx.h"),
             [](const fs::path& file) {
               SwapWith("Index_desc-idx.m")(file.parent_path() / "Index-idx.m");
             }),
        "之",
        {1,
         Err({"Index-idx.h " + kForeign + "\nIndex-idx.m " + kForeign + "\nIndex_desc-idx.h " +
              kForeign + "\nIndex_desc-idx.m " + kForeign + "\n" + kPairIndexAside}),
         kNothingFound},
        true},
    // A content file of another build: unused bytes after the pages, which the
    // format allows.
    CorruptionCase{"ContentFileOfAnotherBuild",
                   "Index-fl.cnt",
                   Append("x"),
                   "之",
                   {1, Err({"Index-fl.cnt " + kForeign + "\n"}), kFound},
                   true},
    CorruptionCase{"HeaderOfAnotherBuild",
                   "Index_content-idx.h",
                   SetLE32(LastPageFieldOf(CharacterId(U'之')), 2),
                   "之",
                   {1, Err({"Index_content-idx.h " + kForeign + "\n"}), kFound},
                   true},
    // The main-text set is opened only when asked for; the manifest misses it at once.
    CorruptionCase{"ListedFileMissing",
                   "Index_content-idx.m",
                   Remove(),
                   "之",
                   {1, Err({"このコレクションのファイルを読めません。\n$F: missing\n"}), kFound},
                   true},
    CorruptionCase{
        "ManifestDamaged",
        kManifestFileName,
        CutTo(40),
        "之",
        {1,
         Err({"照合表 quillwen-manifest.txt を読めないため、ファイルを照合せずに開きました。"
              "\n$F: the last line has no line break\n"}),
         kFound},
        true},
};
INSTANTIATE_TEST_SUITE_P(Manifest, CorruptionTest, ::testing::ValuesIn(kManifestCases), CaseLabel);

}  // namespace
}  // namespace quillwen
