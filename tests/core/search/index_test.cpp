#include "core/search/index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/common/little_endian.h"
#include "core/search/character_id.h"
#include "tests/core/search/search_fixture.h"
#include "tests/support/temp_dir.h"

namespace quillwen {
namespace {

using testing::OccurrencesOf;
using testing::PatchFileBytes;
using testing::ReadFileBytes;
using testing::RecordingMessageSink;
using testing::TempDir;
using testing::WriteCollection;
using testing::WriteFileBytes;
using testing::WriteIndexSet;
using testing::WriteVolumeStore;

std::string LE32(uint32_t value) {
  std::string out;
  AppendLE32(out, value);
  return out;
}

class IndexTest : public ::testing::Test {
 protected:
  bool Open(IndexScope scope = ScopeFullText) { return index_.Open(dir_.path(), u"Index", scope); }
  std::filesystem::path HeaderPath() const { return dir_ / "Index-idx.h"; }
  std::filesystem::path PostingsPath() const { return dir_ / "Index-idx.m"; }
  static uint32_t Id(char16_t c) { return static_cast<uint32_t>(CharacterId(c)); }

  std::vector<uint32_t> Search(std::u16string query) {
    index_.SearchOr(query, false);
    return index_.pages();
  }

  TempDir dir_;
  RecordingMessageSink messages_;
  CIndex index_{&messages_};
};

TEST_F(IndexTest, OpensTheSetAndPassesThroughToTheVolumeStore) {
  WriteCollection(dir_.path(), {u"漢字", u"字", u"漢之字"});
  ASSERT_TRUE(Open()) << index_.LastError();
  EXPECT_TRUE(index_.IsOpen());
  EXPECT_TRUE(messages_.messages.empty());
  EXPECT_EQ(index_.FirstBlock().size(), kIdentifierCount);
  EXPECT_EQ(index_.LastPage().size(), kIdentifierCount);
  EXPECT_EQ(index_.LastPage()[Id(u'字')], 2u);
  EXPECT_EQ(index_.FirstBlock()[Id(u'乙')], kNoBlock);
  EXPECT_EQ(index_.NextBlock().size(), index_.Postings().size() / kBlockSize);

  EXPECT_EQ(index_.HeaderValue(), 77);
  uint32_t length = 0;
  ASSERT_TRUE(index_.PageLength(2, &length));
  std::string page;
  ASSERT_TRUE(index_.ReadPage(2, page));
  EXPECT_EQ(page, "<html>2</html>");
  EXPECT_EQ(length, page.size());
  int32_t entry = -1;
  EXPECT_TRUE(index_.FindPage(0, 3, &entry));
  EXPECT_EQ(entry, 2);
  EXPECT_TRUE(index_.FileList().IsOpen());

  index_.Close();
  EXPECT_FALSE(index_.IsOpen());
  EXPECT_TRUE(index_.FirstBlock().empty());
  EXPECT_TRUE(index_.NextBlock().empty());
  EXPECT_TRUE(index_.Postings().empty());
  EXPECT_FALSE(index_.FileList().IsOpen());
  index_.Close();  // harmless when closed
}

TEST_F(IndexTest, OpensTheSetOfEachScope) {
  WriteVolumeStore(dir_.path(), 3);
  WriteIndexSet(dir_.path(), OccurrencesOf({u"甲"}), ScopeFullText);
  WriteIndexSet(dir_.path(), OccurrencesOf({u"", u"甲"}), ScopeAnnotations);
  WriteIndexSet(dir_.path(), OccurrencesOf({u"", u"", u"甲"}), ScopeMainText);
  for (const auto& [scope, page] :
       {std::pair{ScopeFullText, 0u}, {ScopeAnnotations, 1u}, {ScopeMainText, 2u}}) {
    ASSERT_TRUE(Open(scope)) << index_.LastError();
    EXPECT_EQ(Search(u"甲"), std::vector<uint32_t>{page}) << scope;
    index_.Close();
  }
}

TEST_F(IndexTest, SwitchingTheSetEmptiesTheResult) {
  WriteCollection(dir_.path(), {u"甲", u"甲"});
  ASSERT_TRUE(Open());
  EXPECT_EQ(Search(u"甲").size(), 2u);
  index_.Close();
  EXPECT_EQ(index_.resultCount(), 2);  // Close keeps the result
  ASSERT_TRUE(Open());
  EXPECT_TRUE(index_.pages().empty());
  EXPECT_EQ(index_.resultCount(), 0);
}

TEST_F(IndexTest, AHeaderOfExactlyItsTablesOpensWithoutBlocks) {
  WriteCollection(dir_.path(), {u"甲"});
  const std::string header = ReadFileBytes(HeaderPath());
  // No NextBlock entries, and then three bytes too few for one.
  for (const size_t extra : {size_t{0}, size_t{3}}) {
    WriteFileBytes(HeaderPath(), header.substr(0, kNextBlockOffset) + std::string(extra, '\x01'));
    ASSERT_TRUE(Open()) << index_.LastError();
    EXPECT_TRUE(index_.NextBlock().empty());
    // The one-block list needs no NextBlock entry.
    EXPECT_EQ(Search(u"甲"), std::vector<uint32_t>{0});
    index_.Close();
  }
  EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(IndexTest, ReadsNoMoreNextBlockEntriesThanThePostingsHaveBlocks) {
  WriteCollection(dir_.path(), {u"甲"});
  const std::string header = ReadFileBytes(HeaderPath());
  WriteFileBytes(HeaderPath(), header + std::string(4 * 1000, '\x07'));
  ASSERT_TRUE(Open()) << index_.LastError();
  EXPECT_EQ(index_.NextBlock().size(), 1u);
}

TEST_F(IndexTest, AFailedOpenShowsTheMessageAndLeavesTheIndexClosed) {
  // clang-format off
  const struct {
    const char* name;
    void (*damage)(const std::filesystem::path& folder);
  } cases[] = {
      {"header missing",
       [](const auto& folder) { std::filesystem::remove(folder / "Index-idx.h"); }},
      {"header one byte short",
       [](const auto& folder) {
         std::filesystem::resize_file(folder / "Index-idx.h", kNextBlockOffset - 1);
       }},
      {"header empty",
       [](const auto& folder) { std::filesystem::resize_file(folder / "Index-idx.h", 0); }},
      {"header is a folder",
       [](const auto& folder) {
         std::filesystem::remove(folder / "Index-idx.h");
         std::filesystem::create_directory(folder / "Index-idx.h");
       }},
      {"postings missing",
       [](const auto& folder) { std::filesystem::remove(folder / "Index-idx.m"); }},
      {"page table missing",
       [](const auto& folder) { std::filesystem::remove(folder / "Index-fl.h"); }},
      {"content file missing",
       [](const auto& folder) { std::filesystem::remove(folder / "Index-fl.cnt"); }},
  };
  // clang-format on
  for (const auto& c : cases) {
    TempDir folder;
    WriteCollection(folder.path(), {u"甲"});
    c.damage(folder.path());
    RecordingMessageSink messages;
    CIndex index(&messages);
    EXPECT_FALSE(index.Open(folder.path(), u"Index", ScopeFullText)) << c.name;
    EXPECT_EQ(messages.messages, std::vector<std::u16string>{u"データを開けませんでした。"})
        << c.name;
    EXPECT_FALSE(index.IsOpen()) << c.name;
    EXPECT_FALSE(index.LastError().empty()) << c.name;
    EXPECT_TRUE(index.FirstBlock().empty()) << c.name;
    EXPECT_FALSE(index.FileList().IsOpen()) << c.name;
    // A query against the closed index finds nothing.
    std::u16string query = u"甲";
    index.SearchAnd(query, false);
    EXPECT_TRUE(index.pages().empty()) << c.name;
    EXPECT_EQ(index.resultCount(), 0) << c.name;
  }
}

TEST_F(IndexTest, AMissingSetOfAnotherScopeFailsToOpen) {
  WriteCollection(dir_.path(), {u"甲"});
  EXPECT_FALSE(Open(ScopeMainText));
  EXPECT_EQ(messages_.messages.size(), 1u);
}

// Damage to one list ends that list; the rest of the set still answers, and no
// read leaves the mapping or the tables (the sanitizer build checks that).
TEST_F(IndexTest, ADamagedListEndsWithoutHarmingTheOthers) {
  // 甲 on pages 0..2 with enough positions to span blocks; 乙 on every page.
  std::vector<std::u16string> pages;
  for (int page = 0; page < 3; ++page) pages.push_back(std::u16string(3000, u'甲') + u"乙");
  WriteCollection(dir_.path(), pages, {}, {.shuffleSeed = 7});
  ASSERT_TRUE(Open());
  const uint32_t first = index_.FirstBlock()[Id(u'甲')];
  const uint32_t blocks = static_cast<uint32_t>(index_.NextBlock().size());
  index_.Close();
  const std::string header = ReadFileBytes(HeaderPath());

  // clang-format off
  const struct {
    const char* name;
    size_t offset;
    std::string bytes;
    std::vector<uint32_t> pagesOfFirst;  // what 甲 still finds
    bool damaged;                        // whether the search says it met damage
  } cases[] = {
      {"first block beyond the file", kFirstBlockOffset + 4 * Id(u'甲'), LE32(blocks), {}, true},
      {"first block far beyond the file", kFirstBlockOffset + 4 * Id(u'甲'), LE32(0xFFFFFFFE), {}, true},
      // Page 0 fills most of the first block; page 1 runs into the broken link and
      // counts for nothing.
      {"next block beyond the file", kNextBlockOffset + 4 * first, LE32(blocks + 5), {0}, true},
      // The list reads its first block again as if it went on; it ends at the
      // latest when it has entered more blocks than the file has.
      {"next block loops back", kNextBlockOffset + 4 * first, LE32(first), {0, 1, 2}, false},
      {"last page before the list's end", kLastPageOffset + 4 * Id(u'甲'), LE32(1), {0, 1}, false},
      {"last page beyond the list's end", kLastPageOffset + 4 * Id(u'甲'), LE32(9), {0, 1, 2}, true},
  };
  // clang-format on
  for (const auto& c : cases) {
    WriteFileBytes(HeaderPath(), header);
    PatchFileBytes(HeaderPath(), c.offset, c.bytes);
    ASSERT_TRUE(Open()) << c.name;
    EXPECT_EQ(Search(u"甲"), c.pagesOfFirst) << c.name;
    EXPECT_EQ(index_.DamagedList(), c.damaged) << c.name;
    EXPECT_EQ(Search(u"乙"), (std::vector<uint32_t>{0, 1, 2})) << c.name;
    EXPECT_FALSE(index_.DamagedList()) << c.name;
    index_.Close();
  }
  EXPECT_TRUE(messages_.messages.empty());
}

// A phrase reads the positions of a page its lists share only as far as it needs
// them; damage there ends the matching where it is met, and damage in positions
// no place depends on is not met at all.
TEST_F(IndexTest, DamagedPositionsOnASharedPageEndThePhraseWhereTheyAreRead) {
  // 甲 at position 0 and 乙 at 1 and 2 of each page. Each list has its block to
  // itself: 甲's page 1 entry is 01 01 00 00, its position at offset 7; 乙's is
  // 01 02 00 01 01, its positions at offsets 8 and 9.
  WriteCollection(dir_.path(), {u"甲乙乙", u"甲乙乙", u"甲乙乙"});
  ASSERT_TRUE(Open());
  const size_t jia = size_t{index_.FirstBlock()[Id(u'甲')]} * kBlockSize;
  const size_t yi = size_t{index_.FirstBlock()[Id(u'乙')]} * kBlockSize;
  index_.Close();
  const std::string postings = ReadFileBytes(PostingsPath());

  // 0xC0 begins a three-byte VarNum where fewer bytes are left on the page.
  // clang-format off
  const struct {
    const char* name;
    size_t offset;
    std::u16string query;
    std::vector<uint32_t> pages;
    bool damaged;
  } cases[] = {
      {"the sparser list's position", jia + 7, u"甲乙", {0}, true},
      {"the denser list's first position", yi + 8, u"甲乙", {0}, true},
      {"a position no place needs", yi + 9, u"甲乙", {0, 1, 2}, false},
      {"the same position read for a later place", yi + 9, u"乙乙", {0}, true},
  };
  // clang-format on
  for (const auto& c : cases) {
    WriteFileBytes(PostingsPath(), postings);
    PatchFileBytes(PostingsPath(), c.offset, "\xC0");
    ASSERT_TRUE(Open()) << c.name;
    EXPECT_EQ(Search(c.query), c.pages) << c.name;
    EXPECT_EQ(index_.placeCounts(), std::vector<uint32_t>(c.pages.size(), 1)) << c.name;
    EXPECT_EQ(index_.DamagedList(), c.damaged) << c.name;
    index_.Close();
  }
}

TEST_F(IndexTest, ACutPostingsFileEndsTheListsThatReachTheCut) {
  std::vector<std::u16string> pages;
  for (int page = 0; page < 4; ++page) pages.push_back(std::u16string(3000, u'甲'));
  WriteCollection(dir_.path(), pages);
  // 3003 bytes a page (header and one-byte deltas): page 2's positions run past
  // the cut at 8292, so page 2 counts for nothing; the pages before it stay.
  std::filesystem::resize_file(PostingsPath(), 2 * kBlockSize + 100);
  ASSERT_TRUE(Open()) << index_.LastError();
  EXPECT_EQ(Search(u"甲"), (std::vector<uint32_t>{0, 1}));
  EXPECT_EQ(index_.placeCounts(), (std::vector<uint32_t>{3000, 3000}));
  // A phrase over the same list is cut at the same page.
  EXPECT_EQ(Search(u"甲甲"), (std::vector<uint32_t>{0, 1}));
  EXPECT_EQ(index_.placeCounts(), (std::vector<uint32_t>{2999, 2999}));
  std::filesystem::resize_file(PostingsPath(), 0);
  index_.Close();
  ASSERT_TRUE(Open()) << index_.LastError();
  EXPECT_TRUE(Search(u"甲").empty());
}

}  // namespace
}  // namespace quillwen
