#include "core/store/filelist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "core/common/little_endian.h"
#include "core/store/page_parser.h"
#include "core/writer/volume_store_writer.h"
#include "tests/support/temp_dir.h"

namespace quillwen {
namespace {

using testing::PatchFileBytes;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

struct Page {
  std::string name;
  std::string html;
};

class FileListTest : public ::testing::Test {
 protected:
  void Write(const std::vector<Page>& pages, VolumeStoreWriter::Options options = {}) {
    VolumeStoreWriter writer;
    ASSERT_TRUE(writer.Open(dir_.path(), "Index", options)) << writer.Error();
    for (const Page& page : pages)
      ASSERT_TRUE(writer.AddPage(page.name, page.html)) << writer.Error();
    ASSERT_TRUE(writer.Finish()) << writer.Error();
  }

  void WriteThreeVolumePages() {
    Write({{"V1\\1.htm", "<html>one</html>"},
           {"V1\\2.htm", "<html>two</html>"},
           {"V2\\1.htm", ""},
           {"a\\b\\7.htm", "<html>seven?</html>"}},
          {.nameSize = 100, .headerValue = 4242});
  }

  bool OpenStore() { return store_.Open(dir_.path(), u"Index"); }
  std::filesystem::path TablePath() const { return dir_ / "Index-fl.h"; }
  std::filesystem::path ContentPath() const { return dir_ / "Index-fl.cnt"; }

  TempDir dir_;
  CFileList store_;
};

TEST_F(FileListTest, ReadsAndUnscramblesEveryPage) {
  WriteThreeVolumePages();
  EXPECT_EQ(store_.HeaderValue(), 0);
  ASSERT_TRUE(OpenStore()) << store_.LastError();
  EXPECT_EQ(store_.HeaderValue(), 4242);

  uint32_t length = 0;
  ASSERT_TRUE(store_.PageLength(1, &length));
  EXPECT_EQ(length, 16u);
  std::vector<char> buffer(length);
  ASSERT_TRUE(store_.ReadPage(1, buffer));
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "<html>two</html>");

  std::string page = "stale";
  ASSERT_TRUE(store_.ReadPage(2, page));
  EXPECT_EQ(page, "");
  ASSERT_TRUE(store_.ReadPage(3, page));
  EXPECT_EQ(page, "<html>seven?</html>");

  // The content file holds every byte XORed with 0xC6.
  const std::string stored = ReadFileBytes(ContentPath());
  EXPECT_EQ(static_cast<unsigned char>(stored[0]), '<' ^ 0xC6);
}

TEST_F(FileListTest, UnscramblingTwiceRestoresTheBytes) {
  std::string bytes("\x00\xC6\xFFz", 4);
  Unscramble(bytes.data(), bytes.size());
  EXPECT_EQ(bytes, std::string("\xC6\x00\x39\xBC", 4));
  Unscramble(bytes.data(), bytes.size());
  EXPECT_EQ(bytes, std::string("\x00\xC6\xFFz", 4));
}

TEST_F(FileListTest, ClosedStoreReadsNothingAndLeavesTheOutIndex) {
  WriteThreeVolumePages();
  uint32_t length = 99;
  int32_t out = 77;
  std::string page;
  EXPECT_FALSE(store_.PageLength(0, &length));
  EXPECT_FALSE(store_.ReadPage(0, page));
  EXPECT_FALSE(store_.FindPage(0, 1, &out));
  EXPECT_EQ(out, 77);
  EXPECT_EQ(length, 99u);

  ASSERT_TRUE(OpenStore());
  store_.Close();
  EXPECT_FALSE(store_.IsOpen());
  EXPECT_FALSE(store_.ReadPage(0, page));
}

struct FindCase {
  const char* label;
  int32_t start;
  int32_t pageNumber;
  bool found;
  int32_t out;
};

class FindPageTest : public FileListTest, public ::testing::WithParamInterface<FindCase> {};

TEST_P(FindPageTest, ScansForwardFromStart) {
  WriteThreeVolumePages();
  ASSERT_TRUE(OpenStore());
  int32_t out = -99;
  EXPECT_EQ(store_.FindPage(GetParam().start, GetParam().pageNumber, &out), GetParam().found);
  EXPECT_EQ(out, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindPageTest,
                         ::testing::Values(FindCase{"first_match_from_zero", 0, 1, true, 0},
                                           FindCase{"first_match_from_start", 1, 1, true, 2},
                                           FindCase{"second_page", 0, 2, true, 1},
                                           FindCase{"two_folder_parts_read_as_zero", 0, 7, false,
                                                    3},
                                           FindCase{"zero_matches_the_b_name", 0, 0, true, 3},
                                           FindCase{"missing_reports_last_entry", 1, 5, false, 3},
                                           FindCase{"started_at_last_examines_one", 3, 5, false, 3},
                                           FindCase{"started_beyond_examines_none", 4, 1, false, 3},
                                           FindCase{"started_far_beyond", 50, 1, false, 49}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(FileListTest, FindPageRefusesANegativeStart) {
  WriteThreeVolumePages();
  ASSERT_TRUE(OpenStore());
  int32_t out = 5;
  EXPECT_FALSE(store_.FindPage(-1, 1, &out));
  EXPECT_EQ(out, 5);
}

TEST_F(FileListTest, FindPageCrossesReadChunks) {
  std::vector<Page> pages;
  for (int i = 0; i < 3000; ++i) pages.push_back({"V\\" + std::to_string(i) + ".htm", "p"});
  Write(pages, {.nameSize = 260});
  ASSERT_TRUE(OpenStore());
  int32_t out = 0;
  for (int32_t page : {0, 29, 30, 31, 91, 977, 978, 979, 1957, 2999}) {
    ASSERT_TRUE(store_.FindPage(0, page, &out)) << page;
    EXPECT_EQ(out, page);
  }
  EXPECT_FALSE(store_.FindPage(0, 3000, &out));
  EXPECT_EQ(out, 2999);
}

struct NameSizeCase {
  uint32_t nameSize;
  bool opens;
};

class NameSizeTest : public FileListTest, public ::testing::WithParamInterface<NameSizeCase> {};

TEST_P(NameSizeTest, OnlyOneTo260Opens) {
  Write({}, {.nameSize = GetParam().nameSize});
  EXPECT_EQ(OpenStore(), GetParam().opens);
  EXPECT_EQ(store_.IsOpen(), GetParam().opens);
}

INSTANTIATE_TEST_SUITE_P(Sizes, NameSizeTest,
                         ::testing::Values(NameSizeCase{0, false}, NameSizeCase{1, true},
                                           NameSizeCase{260, true}, NameSizeCase{261, false},
                                           NameSizeCase{0xFFFFFFFF, false}));

TEST_F(FileListTest, NameFillingItsFieldIsReadWithinTheField) {
  VolumeStoreWriter writer;
  ASSERT_TRUE(writer.Open(dir_.path(), "Index", {.nameSize = 8}));
  writer.AddRawEntry("V\\12.htm", 0, 0);         // exactly 8 bytes: no NUL
  writer.AddRawEntry("V\\1234567890123", 0, 0);  // cut to "V\\123456": no full stop within
  ASSERT_TRUE(writer.Finish());
  ASSERT_TRUE(OpenStore());
  int32_t out = 0;
  EXPECT_TRUE(store_.FindPage(0, 12, &out));
  EXPECT_EQ(out, 0);
  EXPECT_FALSE(store_.FindPage(1, 123456, &out));
  PageEntry entry;
  ASSERT_TRUE(store_.ReadEntry(0, &entry));
  EXPECT_EQ(entry.name, "V\\12.htm");
}

TEST_F(FileListTest, EntriesPointingOutsideTheContentFail) {
  VolumeStoreWriter writer;
  ASSERT_TRUE(writer.Open(dir_.path(), "Index", {}));
  ASSERT_TRUE(writer.AddPage("V\\1.htm", "abcdef"));
  writer.AddRawEntry("V\\2.htm", 7, 3);           // ends past the 6 content bytes
  writer.AddRawEntry("V\\3.htm", 2, 4);           // starts before the content file
  writer.AddRawEntry("V\\4.htm", 6, 0xFFFFFFFF);  // absurd length
  ASSERT_TRUE(writer.Finish());
  ASSERT_TRUE(OpenStore());
  std::string page;
  std::vector<char> big(16);
  for (uint32_t entry : {1u, 2u, 3u}) {
    EXPECT_FALSE(store_.ReadPage(entry, page)) << entry;
    EXPECT_TRUE(page.empty());
  }
  EXPECT_FALSE(store_.ReadPage(1, big));
  EXPECT_FALSE(store_.ReadPage(4, page));  // beyond the table
  uint32_t length = 0;
  EXPECT_FALSE(store_.PageLength(4, &length));
  EXPECT_FALSE(store_.PageLength(0xFFFFFFFF, &length));
  // Its neighbours' faults are theirs: entry 0 lies in the content file and reads.
  ASSERT_TRUE(store_.ReadPage(0, page)) << store_.LastError();
  EXPECT_EQ(page, "abcdef");
}

TEST_F(FileListTest, ReadPageRefusesABufferSmallerThanThePage) {
  Write({{"V\\1.htm", "abcdef"}});
  ASSERT_TRUE(OpenStore());
  std::vector<char> small(5, 'z');
  EXPECT_FALSE(store_.ReadPage(0, small));
  EXPECT_EQ(std::string(small.begin(), small.end()), "zzzzz");
}

TEST_F(FileListTest, TrailingPartialEntryIsExaminedButNoPageIsRead) {
  Write({{"V\\1.htm", "a"}, {"V\\2.htm", "b"}});
  std::string table = ReadFileBytes(TablePath());
  table.resize(table.size() - 5);  // the last entry loses most of its trailer
  WriteFileBytes(TablePath(), table);
  ASSERT_TRUE(OpenStore());
  int32_t out = 0;
  EXPECT_TRUE(store_.FindPage(0, 2, &out));
  EXPECT_EQ(out, 1);
  // A table cut inside an entry no longer says where any page is.
  std::string page;
  EXPECT_FALSE(store_.ReadPage(0, page));
  EXPECT_EQ(store_.LastError(), TablePath().string() +
                                    ": 211 bytes of entries after the 268-byte header are not a "
                                    "whole number of 108-byte entries (name size 100)");
  EXPECT_FALSE(store_.ReadPage(1, page));
}

TEST_F(FileListTest, OpenFailsOnMissingFilesAndShortHeaders) {
  EXPECT_FALSE(OpenStore());
  Write({{"V\\1.htm", "a"}});
  std::filesystem::rename(ContentPath(), dir_ / "moved");
  EXPECT_FALSE(OpenStore());
  EXPECT_FALSE(store_.IsOpen());
  std::filesystem::rename(dir_ / "moved", ContentPath());
  ASSERT_TRUE(OpenStore());

  WriteFileBytes(TablePath(), std::string(267, '\0'));
  EXPECT_FALSE(OpenStore());
  EXPECT_FALSE(store_.IsOpen());
}

TEST_F(FileListTest, OpenRefusesAPathTooLongForThePlatform) {
  Write({{"V\\1.htm", "a"}});
  EXPECT_FALSE(store_.Open(dir_.path() / std::string(300, 'd') / std::string(4000, 'e'), u"Index"));
  EXPECT_FALSE(store_.Open(dir_.path(), std::u16string(5000, u'I')));
  EXPECT_FALSE(store_.IsOpen());
}

// A page of the shape the builder stores, holding `text`.
std::string PageOf(std::string_view text) {
  return "<html><head><title>t</title></head><body><table><tr><TD>" + std::string(text) +
         "</TD><TD>m</TD></tr></table></body></html>";
}

// Other tools store pages in any order, with unused bytes before, between and
// after them, and may let two entries share bytes.
TEST_F(FileListTest, PagesAnywhereInTheContentFileAllRead) {
  const std::string one = PageOf("one"), two = PageOf("two"), three = PageOf("three");
  std::string content = "unused" + three + "gap" + one + two + "tail";
  Unscramble(content.data(), content.size());
  const auto endOf = [](size_t start, const std::string& page) {
    return static_cast<uint32_t>(start + page.size());
  };
  const size_t threeAt = 6, oneAt = threeAt + three.size() + 3, twoAt = oneAt + one.size();
  VolumeStoreWriter writer;
  ASSERT_TRUE(writer.Open(dir_.path(), "Index", {}));
  writer.AddRawEntry("V\\1.htm", endOf(oneAt, one), static_cast<uint32_t>(one.size()));
  writer.AddRawEntry("V\\2.htm", endOf(twoAt, two), static_cast<uint32_t>(two.size()));
  writer.AddRawEntry("V\\3.htm", endOf(threeAt, three), static_cast<uint32_t>(three.size()));
  writer.AddRawEntry("V\\4.htm", endOf(oneAt, one), static_cast<uint32_t>(one.size()));  // shared
  writer.AddRawEntry("V\\5.htm", 0, 0);
  ASSERT_TRUE(writer.Finish());
  WriteFileBytes(ContentPath(), content);
  ASSERT_TRUE(OpenStore());

  for (const auto& [entry, text] : std::vector<std::pair<uint32_t, std::string>>{
           {0, one}, {1, two}, {2, three}, {3, one}, {4, ""}}) {
    std::string page = "stale";
    ASSERT_TRUE(store_.ReadPage(entry, page)) << store_.LastError();
    EXPECT_EQ(page, text);
    ASSERT_TRUE(store_.ReadPageToShow(entry, page)) << store_.LastError();
    EXPECT_EQ(page, text);
  }
}

// Damage that really breaks a store of three pages, and the fault that reading
// entry `entry` to show it then meets.
struct BrokenStoreCase {
  const char* label;
  std::function<void(const std::filesystem::path& table, const std::filesystem::path& content)>
      damage;
  uint32_t entry;
  const char* problem;
};

class BrokenStoreTest : public FileListTest,
                        public ::testing::WithParamInterface<BrokenStoreCase> {};

void PatchEntryField(const std::filesystem::path& table, uint32_t entry, size_t field,
                     uint32_t value) {
  std::string bytes;
  AppendLE32(bytes, value);
  PatchFileBytes(table, 268 + entry * 108 + 100 + field, bytes);
}

TEST_P(BrokenStoreTest, NothingOfItIsShown) {
  Write({{"V\\1.htm", PageOf("aaaa")},
         {"V\\2.htm", PageOf("bbbbb")},
         {"V\\3.htm", PageOf("cccccc")}});
  GetParam().damage(TablePath(), ContentPath());
  ASSERT_TRUE(OpenStore()) << store_.LastError();
  std::string page = "stale";
  EXPECT_FALSE(store_.ReadPageToShow(GetParam().entry, page));
  EXPECT_TRUE(page.empty());
  EXPECT_EQ(store_.LastFault(), (DataFault{TablePath(), GetParam().problem}));
}

INSTANTIATE_TEST_SUITE_P(
    Damage, BrokenStoreTest,
    ::testing::Values(
        // 99 instead of 100: the entries no longer fill the table.
        BrokenStoreCase{"NameSizeOneShort",
                        [](const auto& table, const auto&) {
                          PatchFileBytes(table, 4, std::string("\x63\0\0\0", 4));
                        },
                        0,
                        "324 bytes of entries after the 268-byte header are not a whole number of "
                        "107-byte entries (name size 99)"},
        BrokenStoreCase{"TableCutInsideAnEntry",
                        [](const auto& table, const auto&) {
                          std::filesystem::resize_file(table,
                                                       std::filesystem::file_size(table) - 1);
                        },
                        0,
                        "323 bytes of entries after the 268-byte header are not a whole number of "
                        "108-byte entries (name size 100)"},
        BrokenStoreCase{"NameFillsItsField",
                        [](const auto& table, const auto&) {
                          PatchFileBytes(table, 268 + 108, std::string(100, 'n'));
                        },
                        1, "page entry 1 has no NUL within its 100-byte name"},
        BrokenStoreCase{"PageStartsInsideAnother",
                        [](const auto& table, const auto&) { PatchEntryField(table, 1, 0, 150); },
                        1,
                        "page entry 1 holds no HTML page with a title and two table cells: the "
                        "page table does not fit Index-fl.cnt"},
        BrokenStoreCase{
            "PageEndsPastTheContent",
            [](const auto& table, const auto&) { PatchEntryField(table, 2, 0, 100000); }, 2,
            "page entry 2 points past the content file"}),
    [](const auto& info) { return std::string(info.param.label); });

// A name size that still leaves a whole number of entries (108 entries of 107
// bytes where 107 of 108 were) is told by what the entries then point at: what
// is shown is a whole stored page or nothing, never bytes cut across pages.
// (Misread entries may point at no bytes, or line up with a real entry again.)
TEST_F(FileListTest, ANameSizeThatStillFillsTheTableShowsNoBytesAcrossPages) {
  std::vector<Page> pages;
  for (int i = 1; i <= 107; ++i)
    pages.push_back({"V\\" + std::to_string(i) + ".htm", PageOf(std::string(40 + i % 7, 'x'))});
  Write(pages);
  PatchFileBytes(TablePath(), 4, std::string("\x63\0\0\0", 4));
  ASSERT_TRUE(OpenStore());
  int shown = 0;
  std::string page;
  for (uint32_t entry = 0; entry < 108; ++entry) {
    if (!store_.ReadPageToShow(entry, page) || page.empty()) continue;
    ++shown;
    EXPECT_TRUE(std::any_of(pages.begin(), pages.end(), [&](const Page& stored) {
      return stored.html == page;
    })) << entry;
  }
  EXPECT_LT(shown, 10);  // most misread entries point outside the content or at no page
}

TEST(LooksLikeStoredPageTest, ATitleAndTwoCellsInAnyLetterCase) {
  EXPECT_TRUE(LooksLikeStoredPage(PageOf("x")));
  EXPECT_TRUE(LooksLikeStoredPage("<title>t</title><td>a</td><td>b</td>"));
  EXPECT_TRUE(LooksLikeStoredPage("<TITLE lang=zh>t</TITLE><Td\tclass=l>a<TD>"));
  EXPECT_FALSE(LooksLikeStoredPage(""));
  EXPECT_FALSE(LooksLikeStoredPage("<html>one</html>"));
  EXPECT_FALSE(LooksLikeStoredPage("<title>t</title><td>only one cell</td>"));
  EXPECT_FALSE(LooksLikeStoredPage("<td>a</td><td>b</td><title>t</title>"));  // cells first
  EXPECT_FALSE(LooksLikeStoredPage("<titles>t</titles><tdx><tdx>"));
  EXPECT_FALSE(LooksLikeStoredPage("le>t</title><TD>a</TD><TD>b"));  // cut from a page
}

struct OpenFaultCase {
  const char* label;
  std::function<void(const std::filesystem::path& table, const std::filesystem::path& content)>
      damage;
  bool inContent;  // the fault names the content file, else the page table
  const char* problem;
};

class OpenFaultTest : public FileListTest, public ::testing::WithParamInterface<OpenFaultCase> {};

TEST_P(OpenFaultTest, OpenNamesTheFileAndWhatIsWrong) {
  Write({{"V\\1.htm", "aaaa"}});
  GetParam().damage(TablePath(), ContentPath());
  EXPECT_FALSE(OpenStore());
  EXPECT_EQ(store_.LastFault(),
            (DataFault{GetParam().inContent ? ContentPath() : TablePath(), GetParam().problem}));
}

INSTANTIATE_TEST_SUITE_P(
    Damage, OpenFaultTest,
    ::testing::Values(
        OpenFaultCase{"TableMissing",
                      [](const auto& table, const auto&) { std::filesystem::remove(table); }, false,
                      "missing"},
        OpenFaultCase{"ContentMissing",
                      [](const auto&, const auto& content) { std::filesystem::remove(content); },
                      true, "missing"},
        OpenFaultCase{"TableEmpty",
                      [](const auto& table, const auto&) { WriteFileBytes(table, ""); }, false,
                      "empty"},
        OpenFaultCase{"TableShorterThanItsHeader",
                      [](const auto& table, const auto&) {
                        WriteFileBytes(table, ReadFileBytes(table).substr(0, 100));
                      },
                      false, "100 bytes, too short for its 268-byte header"},
        OpenFaultCase{
            "NameSizeZero",
            [](const auto& table, const auto&) { PatchFileBytes(table, 4, std::string(4, '\0')); },
            false, "name size 0 lies outside 1 to 260"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(FileListTest, HeaderValueIsSigned) {
  Write({}, {.headerValue = -2});
  ASSERT_TRUE(OpenStore());
  EXPECT_EQ(store_.HeaderValue(), -2);
  PatchFileBytes(TablePath(), 0, std::string("\x07\x00\x00\x00", 4));
  ASSERT_TRUE(OpenStore());
  EXPECT_EQ(store_.HeaderValue(), 7);
}

}  // namespace
}  // namespace quillwen
