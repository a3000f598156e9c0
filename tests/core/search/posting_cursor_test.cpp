#include "core/search/posting_cursor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "core/common/little_endian.h"
#include "core/search/directory_cache.h"
#include "core/search/varnum.h"

namespace quillwen {
namespace {

// One posting list laid into 4096-byte blocks in the order `blocks` names them,
// chained through NextBlock; blocks not named stay zero.
struct Postings {
  Postings(const std::string& stream, std::vector<uint32_t> blocks, uint32_t fileBlocks) {
    bytes.assign(size_t{fileBlocks} * kBlockSize, 0);
    next.assign(fileBlocks, kNoBlock);
    for (size_t i = 0; i < blocks.size(); ++i) {
      const size_t start = i * kBlockSize;
      if (start < stream.size()) {
        const size_t n = std::min(kBlockSize, stream.size() - start);
        std::copy_n(stream.data() + start, n,
                    bytes.begin() + static_cast<std::ptrdiff_t>(blocks[i] * kBlockSize));
      }
      if (i + 1 < blocks.size()) next[blocks[i]] = blocks[i + 1];
    }
    first = blocks.front();
  }

  PostingSource Source() const {
    return {bytes.data(), bytes.size(), next.data(), static_cast<uint32_t>(next.size()),
            BlockCountOf(bytes.size())};
  }

  std::vector<unsigned char> bytes;
  std::vector<uint32_t> next;
  uint32_t first = 0;
};

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (const int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// A page entry as the format stores it.
std::string PageEntry(uint32_t delta, const std::vector<uint32_t>& positionDeltas) {
  std::string positions;
  for (const uint32_t d : positionDeltas) AppendVarNumBytes(positions, d);
  std::string entry;
  AppendVarNumBytes(entry, delta);
  AppendLE16(entry, static_cast<uint16_t>(positions.size()));
  return entry + positions;
}

std::vector<uint32_t> ReadPositions(PostingCursor& cursor) {
  std::vector<uint32_t> positions;
  while (cursor.PositionBytesLeft() > 0) {
    if (!cursor.NextPosition()) break;
    positions.push_back(cursor.Position());
  }
  return positions;
}

TEST(PostingCursorTest, ReadsTheTwoPageExample) {
  // Positions 5 and 9 on page 3, position 200 on page 130.
  const Postings postings(Bytes({0x03, 0x02, 0x00, 0x05, 0x04, 0x7F, 0x02, 0x00, 0x80, 0xC8}), {0},
                          1);
  const PostingSource source = postings.Source();
  PostingCursor cursor;
  ASSERT_TRUE(cursor.Start(source, 0, 130));
  EXPECT_EQ(cursor.Page(), 3u);
  EXPECT_FALSE(cursor.AtLastPage());
  EXPECT_EQ(ReadPositions(cursor), (std::vector<uint32_t>{5, 9}));
  ASSERT_TRUE(cursor.NextPage());
  EXPECT_EQ(cursor.Page(), 130u);
  EXPECT_TRUE(cursor.AtLastPage());
  EXPECT_EQ(ReadPositions(cursor), (std::vector<uint32_t>{200}));
  EXPECT_FALSE(cursor.Damaged());
  EXPECT_EQ(cursor.BytesSpanned(), 10u);
}

TEST(PostingCursorTest, ReadsThreeByteNumbers) {
  // Page 20000 with the single position 70000.
  const Postings postings(Bytes({0xC0, 0x4E, 0x20, 0x03, 0x00, 0xC1, 0x11, 0x70}), {0}, 1);
  const PostingSource source = postings.Source();
  PostingCursor cursor;
  ASSERT_TRUE(cursor.Start(source, 0, 20000));
  EXPECT_EQ(cursor.Page(), 20000u);
  EXPECT_EQ(cursor.PositionBytesLeft(), 3u);
  EXPECT_EQ(ReadPositions(cursor), (std::vector<uint32_t>{70000}));
}

TEST(PostingCursorTest, NextByteFollowsTheChain) {
  std::string stream(kBlockSize + 2, '\0');
  stream[kBlockSize - 1] = 'a';
  stream[kBlockSize] = 'b';
  stream[kBlockSize + 1] = 'c';
  stream.replace(0, 3, Bytes({0x00, 0x01, 0x00}));  // page 0, one position byte
  const Postings postings(stream, {2, 0}, 3);
  const PostingSource source = postings.Source();
  PostingCursor cursor;
  ASSERT_TRUE(cursor.Start(source, postings.first, 0));
  uint8_t byte = 0;
  for (uint32_t i = 3; i < kBlockSize - 1; ++i) ASSERT_TRUE(cursor.NextByte(&byte));
  ASSERT_TRUE(cursor.NextByte(&byte));
  EXPECT_EQ(byte, 'a');
  EXPECT_EQ(cursor.Block(), 2u);
  EXPECT_EQ(cursor.Offset(), kBlockSize);
  ASSERT_TRUE(cursor.NextByte(&byte));
  EXPECT_EQ(byte, 'b');
  EXPECT_EQ(cursor.Block(), 0u);
  ASSERT_TRUE(cursor.NextByte(&byte));
  EXPECT_EQ(byte, 'c');
}

// The second page's header starts at `headerOffset` of the first block, so its
// page delta and position count straddle the boundary in every possible way; the
// first page's positions are read (decoded) or skipped.
struct StraddleCase {
  uint32_t headerOffset;
  uint32_t pageDelta;
  bool decodeFirstPage;
};

void PrintTo(const StraddleCase& c, std::ostream* out) {
  *out << "header at " << c.headerOffset << ", page delta " << c.pageDelta
       << (c.decodeFirstPage ? ", first page decoded" : ", first page skipped");
}

class PostingCursorStraddleTest : public ::testing::TestWithParam<StraddleCase> {};

TEST_P(PostingCursorStraddleTest, ReadsTheHeaderAcrossTheBlockBoundary) {
  const StraddleCase c = GetParam();
  // Page 7 whose one-byte position deltas fill the stream up to headerOffset.
  const std::vector<uint32_t> firstDeltas(c.headerOffset - 3, 1);
  std::string stream = PageEntry(7, firstDeltas);
  ASSERT_EQ(stream.size(), c.headerOffset);
  const std::vector<uint32_t> secondDeltas{70000, 3, 200};
  stream += PageEntry(c.pageDelta, secondDeltas);
  const Postings postings(stream, {3, 1, 0}, 4);
  const PostingSource source = postings.Source();

  PostingCursor cursor;
  ASSERT_TRUE(cursor.Start(source, postings.first, 7 + c.pageDelta));
  EXPECT_EQ(cursor.Page(), 7u);
  if (c.decodeFirstPage) {
    const std::vector<uint32_t> positions = ReadPositions(cursor);
    ASSERT_EQ(positions.size(), firstDeltas.size());
    EXPECT_EQ(positions.back(), c.headerOffset - 3);
    if (c.headerOffset <= kBlockSize) {
      EXPECT_EQ(cursor.Offset(), c.headerOffset);
    }
  }
  ASSERT_TRUE(cursor.NextPage());
  EXPECT_EQ(cursor.Page(), 7 + c.pageDelta);
  EXPECT_TRUE(cursor.AtLastPage());
  EXPECT_EQ(cursor.PositionBytesLeft(), 3u + 1u + 2u);
  EXPECT_EQ(ReadPositions(cursor), (std::vector<uint32_t>{70000, 70003, 70203}));
  EXPECT_FALSE(cursor.Damaged());
}

std::vector<StraddleCase> StraddleCases() {
  std::vector<StraddleCase> cases;
  for (uint32_t offset = kBlockSize - 5; offset <= kBlockSize + 1; ++offset) {
    for (const uint32_t delta : {5u, 300u, 100000u}) {
      for (const bool decode : {false, true}) cases.push_back({offset, delta, decode});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(AllOffsets, PostingCursorStraddleTest,
                         ::testing::ValuesIn(StraddleCases()));

TEST(PostingCursorTest, PositionNumbersStraddleTheBoundary) {
  // Page 0: 4093 one-byte deltas fill the first block up to byte 4095, where a
  // three-byte and then a two-byte delta begin.
  std::vector<uint32_t> deltas(kBlockSize - 4, 1);
  deltas.push_back(0x12345);
  deltas.push_back(0x1234);
  const Postings postings(PageEntry(0, deltas), {1, 0}, 2);
  const PostingSource source = postings.Source();
  PostingCursor cursor;
  ASSERT_TRUE(cursor.Start(source, postings.first, 0));
  const std::vector<uint32_t> positions = ReadPositions(cursor);
  ASSERT_EQ(positions.size(), deltas.size());
  EXPECT_EQ(positions[positions.size() - 2], (kBlockSize - 4) + 0x12345);
  EXPECT_EQ(positions.back(), (kBlockSize - 4) + 0x12345 + 0x1234);
  EXPECT_EQ(cursor.Block(), 0u);

  // Counting them without adding them up walks the same bytes.
  PostingCursor counting;
  ASSERT_TRUE(counting.Start(source, postings.first, 0));
  EXPECT_EQ(counting.CountPositions(), static_cast<int64_t>(deltas.size()));
  EXPECT_EQ(counting.PositionBytesLeft(), 0u);
  EXPECT_EQ(counting.Block(), 0u);
  EXPECT_EQ(counting.Offset(), cursor.Offset());
}

// Pages of up to a few position bytes, numbers of every length among them, are
// counted whole and leave the cursor at the next page's header.
TEST(PostingCursorTest, CountsTheNumbersOfShortPages) {
  const std::vector<std::vector<uint32_t>> cases = {{5},
                                                    {200},
                                                    {70000},
                                                    {1, 2},
                                                    {200, 1},
                                                    {1, 200},
                                                    {70000, 1},
                                                    {1, 70000},
                                                    {1, 1, 1, 1},
                                                    {200, 200, 200, 200},
                                                    {70000, 200},
                                                    {1, 70000, 1},
                                                    {1, 1, 1, 1, 1, 1},
                                                    {1, 1, 1, 1, 1, 1, 1, 1},
                                                    {200, 70000, 1, 1},
                                                    {1, 1, 1, 1, 1, 1, 1, 1, 1}};
  for (const std::vector<uint32_t>& deltas : cases) {
    SCOPED_TRACE(::testing::Message() << deltas.size() << " numbers, the first " << deltas[0]);
    const Postings postings(PageEntry(3, deltas) + PageEntry(4, {9}), {0}, 1);
    PostingCursor cursor;
    ASSERT_TRUE(cursor.Start(postings.Source(), 0, 7));
    EXPECT_EQ(cursor.CountPositions(), static_cast<int64_t>(deltas.size()));
    ASSERT_TRUE(cursor.NextPage());
    EXPECT_EQ(cursor.Page(), 7u);
    EXPECT_EQ(ReadPositions(cursor), std::vector<uint32_t>{9});
  }
}

TEST(PostingCursorTest, CountingMeetsAPositionNumberLongerThanItsCount) {
  // Page 0 counts 4 position bytes: 01 01, then a 3-byte VarNum needing 5.
  const Postings postings(Bytes({0x00, 0x04, 0x00, 0x01, 0x01, 0xC0, 0x00, 0x01}), {0}, 1);
  const PostingSource source = postings.Source();
  PostingCursor cursor;
  ASSERT_TRUE(cursor.Start(source, 0, 0));
  EXPECT_EQ(cursor.CountPositions(), -1);
  EXPECT_TRUE(cursor.Damaged());
  // The same with a two-byte number whose second byte lies past the count.
  const Postings cut(Bytes({0x00, 0x02, 0x00, 0x01, 0x80, 0x05}), {0}, 1);
  PostingCursor counting;
  ASSERT_TRUE(counting.Start(cut.Source(), 0, 0));
  EXPECT_EQ(counting.CountPositions(), -1);
  EXPECT_TRUE(counting.Damaged());
}

TEST(PostingCursorTest, APageListEndingAtTheBlockEndLeavesTheOffsetThere) {
  // Page 2 ends exactly at byte 4096; page 9 begins the next block.
  std::string stream = PageEntry(2, std::vector<uint32_t>(kBlockSize - 3, 1));
  ASSERT_EQ(stream.size(), kBlockSize);
  stream += PageEntry(7, {4});
  const Postings postings(stream, {0, 5}, 6);
  const PostingSource source = postings.Source();

  for (const bool decode : {false, true}) {
    PostingCursor cursor;
    ASSERT_TRUE(cursor.Start(source, 0, 9));
    if (decode) {
      EXPECT_EQ(ReadPositions(cursor).size(), kBlockSize - 3);
      EXPECT_EQ(cursor.Offset(), kBlockSize);
      EXPECT_EQ(cursor.Block(), 0u);
    }
    ASSERT_TRUE(cursor.NextPage());
    EXPECT_EQ(cursor.Page(), 9u);
    EXPECT_EQ(cursor.Block(), 5u);
    EXPECT_EQ(cursor.Offset(), 3u);
    EXPECT_EQ(ReadPositions(cursor), (std::vector<uint32_t>{4}));
  }
}

// A damaged list ends the cursor as if it ended there: the primitive says false,
// no position is left and the cursor stands at its last page.
struct DamageCase {
  const char* name;
  std::string stream;
  std::vector<uint32_t> blocks;  // layout of the stream
  uint32_t fileBlocks;
  uint32_t lastPage;
  size_t cutFileTo = 0;            // 0: keep the whole file
  uint32_t startBlock = kNoBlock;  // kNoBlock: the list's first block
  std::vector<std::pair<uint32_t, uint32_t>> nextBlockPatches = {};
  size_t nextBlockEntries = SIZE_MAX;  // n, SIZE_MAX: one per block
  // Whether skipping a page's positions meets the damage too; a position VarNum
  // that overruns its count is only seen when it is decoded.
  bool skippingMeetsIt = true;
};

void PrintTo(const DamageCase& c, std::ostream* out) { *out << c.name; }

std::vector<DamageCase> DamageCases() {
  const std::string longPage = PageEntry(0, std::vector<uint32_t>(kBlockSize, 1));  // 2 blocks
  const std::string longerPage = PageEntry(0, std::vector<uint32_t>(20000, 1));     // 5 blocks
  const std::string nextPage = PageEntry(1, {1});
  // clang-format off
  return {
      {.name = "FirstBlockBeyondTheFile", .stream = nextPage, .blocks = {0},
       .fileBlocks = 1, .lastPage = 1, .startBlock = 1},
      {.name = "PositionCountZero", .stream = Bytes({0x01, 0x00, 0x00, 0x02, 0x01, 0x00, 0x05}),
       .blocks = {0}, .fileBlocks = 1, .lastPage = 3},
      {.name = "PageBeyondLastPage", .stream = PageEntry(4, {1}) + PageEntry(2, {1}),
       .blocks = {0}, .fileBlocks = 1, .lastPage = 5},
      {.name = "FirstPageBeyondLastPage", .stream = PageEntry(9, {1}), .blocks = {0},
       .fileBlocks = 1, .lastPage = 5},
      {.name = "PagesNotAscending", .stream = PageEntry(4, {1}) + PageEntry(0, {1}) + nextPage,
       .blocks = {0}, .fileBlocks = 1, .lastPage = 5},
      {.name = "PositionNumberLongerThanItsCount",
       .stream = Bytes({0x00, 0x01, 0x00, 0x81, 0x01}) + nextPage, .blocks = {0},
       .fileBlocks = 1, .lastPage = 1, .skippingMeetsIt = false},
      {.name = "NextBlockIndexBeyondTheTable", .stream = longPage + nextPage, .blocks = {1, 0},
       .fileBlocks = 2, .lastPage = 1, .nextBlockEntries = 1},
      {.name = "NextBlockBeyondTheFile", .stream = longPage + nextPage, .blocks = {0, 1},
       .fileBlocks = 2, .lastPage = 1, .nextBlockPatches = {{0, 7}}},
      {.name = "NextBlockCycle", .stream = longerPage, .blocks = {0},
       .fileBlocks = 1, .lastPage = 0, .nextBlockPatches = {{0, 0}}},
      {.name = "CountRunsPastTheMapping", .stream = longerPage + nextPage, .blocks = {0, 1},
       .fileBlocks = 2, .lastPage = 1, .cutFileTo = kBlockSize + 10},
      {.name = "CountRunsPastACutBlock", .stream = longPage + nextPage, .blocks = {0, 1},
       .fileBlocks = 2, .lastPage = 1, .cutFileTo = 100},
  };
  // clang-format on
}

class PostingCursorDamageTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(PostingCursorDamageTest, EndsTheListWithoutReadingOutside) {
  const DamageCase& c = GetParam();
  Postings postings(c.stream, c.blocks, c.fileBlocks);
  for (const auto& [block, next] : c.nextBlockPatches) postings.next[block] = next;
  if (c.cutFileTo != 0) postings.bytes.resize(c.cutFileTo);
  PostingSource source = postings.Source();
  if (c.nextBlockEntries != SIZE_MAX)
    source.nextBlockCount = static_cast<uint32_t>(c.nextBlockEntries);

  PostingCursor cursor;
  bool intact =
      cursor.Start(source, c.startBlock == kNoBlock ? postings.first : c.startBlock, c.lastPage);
  // Walk the whole list as a query would, reading every position.
  for (int steps = 0; intact && steps < 100000; ++steps) {
    while (intact && cursor.PositionBytesLeft() > 0) intact = cursor.NextPosition();
    if (intact && cursor.AtLastPage()) break;
    if (intact) intact = cursor.NextPage();
  }
  EXPECT_FALSE(intact);
  EXPECT_TRUE(cursor.Damaged());
  EXPECT_TRUE(cursor.AtLastPage());
  EXPECT_EQ(cursor.PositionBytesLeft(), 0u);

  if (!c.skippingMeetsIt) return;
  // Skipping instead of decoding meets the same damage.
  PostingCursor skipping;
  intact =
      skipping.Start(source, c.startBlock == kNoBlock ? postings.first : c.startBlock, c.lastPage);
  for (int steps = 0; intact && !skipping.AtLastPage() && steps < 100000; ++steps)
    intact = skipping.NextPage();
  if (intact) {
    while (intact && skipping.PositionBytesLeft() > 0) intact = skipping.NextPosition();
  }
  EXPECT_FALSE(intact);
}

INSTANTIATE_TEST_SUITE_P(Damage, PostingCursorDamageTest, ::testing::ValuesIn(DamageCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A list of many pages over several blocks, laid out in a shuffled block order,
// whose second page header begins at `headerOffset` of the stream so that it
// straddles the first block boundary as the case says; the pages after it have
// varying sizes, so later headers fall anywhere in their blocks.
struct LongList {
  // `lastDeltas`, when given, are the position deltas of one more page at the end.
  explicit LongList(uint32_t headerOffset, const std::vector<uint32_t>& lastDeltas = {}) {
    std::vector<uint32_t> firstDeltas(headerOffset - 3, 1);
    AddPage(7, firstDeltas);
    AddPage(7 + 300, {70000, 3, 200});
    uint32_t page = 307;
    for (uint32_t i = 0; i < 60; ++i) {
      page += 1 + (i * 37) % 900;
      // 1 to 400 positions, some of them two- and three-byte numbers.
      std::vector<uint32_t> deltas(1 + (i * 131) % 400, 1 + i % 3);
      deltas.front() = i % 5 == 0 ? 20000 + i : i;
      AddPage(page, deltas);
    }
    if (!lastDeltas.empty()) AddPage(page + 1, lastDeltas);
    const uint32_t blocks = static_cast<uint32_t>((stream.size() + kBlockSize - 1) / kBlockSize);
    // Blocks in reverse order in a file with one spare block in front.
    for (uint32_t k = 0; k < blocks; ++k) layout.push_back(blocks - k);
    postings = std::make_unique<Postings>(stream, layout, blocks + 1);
  }

  void AddPage(uint32_t page, const std::vector<uint32_t>& deltas) {
    starts.push_back(static_cast<uint32_t>(stream.size()));
    stream += PageEntry(page - (pages.empty() ? 0 : pages.back()), deltas);
    pages.push_back(page);
    std::vector<uint32_t> positions;
    uint32_t position = 0;
    for (const uint32_t d : deltas) positions.push_back(position += d);
    positionsOf.push_back(positions);
  }

  // The file byte that holds byte `at` of the stream.
  unsigned char& StreamByte(uint32_t at) {
    return postings->bytes[size_t{layout[at / kBlockSize]} * kBlockSize + at % kBlockSize];
  }

  std::string stream;
  std::vector<uint32_t> pages;                     // ascending
  std::vector<uint32_t> starts;                    // each entry's offset in the stream
  std::vector<std::vector<uint32_t>> positionsOf;  // parallel to pages
  std::vector<uint32_t> layout;                    // stream block k lies in layout[k]
  std::unique_ptr<Postings> postings;
};

class PostingCursorSkipTest : public ::testing::TestWithParam<uint32_t> {};

TEST_P(PostingCursorSkipTest, TheDirectoryNamesEachBlocksFirstEntry) {
  const LongList list(GetParam());
  const PostingSource source = list.postings->Source();
  const BlockDirectory directory =
      PostingCursor::Survey(source, list.postings->first, list.pages.back());
  // What the stream says: per block, the first entry that begins in it.
  std::vector<BlockDirectory::Entry> expected;
  for (size_t i = 0; i < list.pages.size(); ++i) {
    const uint32_t chainIndex = list.starts[i] / kBlockSize;
    if (!expected.empty() && expected.back().chainIndex == chainIndex) continue;
    expected.push_back({chainIndex, list.layout[chainIndex],
                        static_cast<uint32_t>(list.starts[i] % kBlockSize),
                        i == 0 ? 0 : list.pages[i - 1]});
  }
  ASSERT_EQ(directory.entries.size(), expected.size());
  for (size_t e = 0; e < expected.size(); ++e) {
    EXPECT_EQ(directory.entries[e].chainIndex, expected[e].chainIndex) << e;
    EXPECT_EQ(directory.entries[e].block, expected[e].block) << e;
    EXPECT_EQ(directory.entries[e].offset, expected[e].offset) << e;
    EXPECT_EQ(directory.entries[e].pageBefore, expected[e].pageBefore) << e;
  }
  EXPECT_EQ(directory.pageCount, list.pages.size());
  EXPECT_EQ(directory.blockCount, list.layout.size());
  EXPECT_FALSE(directory.damaged);
}

TEST_P(PostingCursorSkipTest, LandsOnTheFirstPageAtOrAfterTheTarget) {
  const LongList list(GetParam());
  const PostingSource source = list.postings->Source();
  const uint32_t lastPage = list.pages.back();
  const BlockDirectory directory =
      PostingCursor::Survey(source, list.postings->first, lastPage, PageMaps::kNone);
  ASSERT_GE(directory.entries.size(), 3u);
  EXPECT_FALSE(directory.pageMap);
  std::vector<uint32_t> targets;
  for (const uint32_t page : list.pages) {
    for (const uint32_t t : {page - 1, page, page + 1}) targets.push_back(t);
  }
  const BlockDirectory mapped = PostingCursor::Survey(source, list.postings->first, lastPage);
  ASSERT_TRUE(mapped.pageMap);
  for (const BlockDirectory* aid :
       {static_cast<const BlockDirectory*>(nullptr), &directory, &mapped}) {
    for (const uint32_t target : targets) {
      SCOPED_TRACE(::testing::Message() << "target " << target << ", directory "
                                        << (aid == nullptr ? "none"
                                            : aid->pageMap ? "with page map"
                                                           : "of blocks"));
      PostingCursor cursor;
      ASSERT_TRUE(cursor.Start(source, list.postings->first, lastPage, aid));
      const auto at = std::lower_bound(list.pages.begin(), list.pages.end(), target);
      if (at == list.pages.end()) {
        EXPECT_FALSE(cursor.SkipTo(target));
        EXPECT_FALSE(cursor.Damaged());
        continue;
      }
      ASSERT_TRUE(cursor.SkipTo(target));
      EXPECT_EQ(cursor.Page(), *at);
      EXPECT_EQ(ReadPositions(cursor), list.positionsOf[at - list.pages.begin()]);
      EXPECT_FALSE(cursor.Damaged());
      // Positions read, the cursor goes on from there as a walk would.
      if (!cursor.AtLastPage()) {
        ASSERT_TRUE(cursor.NextPage());
        EXPECT_EQ(cursor.Page(), *(at + 1));
      }
    }
  }
}

class PostingCursorFollowTest : public ::testing::TestWithParam<std::tuple<uint32_t, bool>> {};

TEST_P(PostingCursorFollowTest, OneCursorFollowsAscendingTargets) {
  const auto [headerOffset, mapPages] = GetParam();
  const LongList list(headerOffset);
  const PostingSource source = list.postings->Source();
  const BlockDirectory directory =
      PostingCursor::Survey(source, list.postings->first, list.pages.back(),
                            mapPages ? PageMaps::kForLongLists : PageMaps::kNone);
  ASSERT_EQ(directory.pageMap.has_value(), mapPages);
  PostingCursor cursor;
  ASSERT_TRUE(cursor.Start(source, list.postings->first, list.pages.back(), &directory));
  for (size_t i = 1; i < list.pages.size(); i += 7) {
    // Half of the pages are left with their positions partly read.
    if (i % 2 == 1 && cursor.PositionBytesLeft() > 0) {
      ASSERT_TRUE(cursor.NextPosition());
    }
    ASSERT_TRUE(cursor.SkipTo(list.pages[i] - 1));
    EXPECT_EQ(cursor.Page(), list.pages[i]);
    ASSERT_TRUE(cursor.SkipTo(list.pages[i]));  // standing there already
    EXPECT_EQ(cursor.Page(), list.pages[i]);
  }
  // The whole list spanned, as far as the cursor went.
  EXPECT_EQ(cursor.Block(), list.layout[cursor.BytesSpanned() / kBlockSize]);
  EXPECT_FALSE(cursor.SkipTo(list.pages.back() + 1));
  EXPECT_FALSE(cursor.Damaged());
  EXPECT_GT(cursor.PositionBytesLeft(), 0u);  // a target past the end moves nothing
}

INSTANTIATE_TEST_SUITE_P(HeaderOffsets, PostingCursorSkipTest,
                         ::testing::Range(uint32_t{kBlockSize - 5}, uint32_t{kBlockSize + 2}));
INSTANTIATE_TEST_SUITE_P(HeaderOffsets, PostingCursorFollowTest,
                         ::testing::Combine(::testing::Range(uint32_t{kBlockSize - 5},
                                                             uint32_t{kBlockSize + 2}),
                                            ::testing::Bool()));

// The map of the long list tells, for every page of its range, what the list
// itself says: whether the page has an entry, how many entries lie before it, the
// first entry at or after it, where that entry's header begins and the residues
// of its positions.
TEST(PageMapTest, AgreesWithTheListOnEveryPage) {
  const LongList list(kBlockSize - 2);
  const PostingSource source = list.postings->Source();
  const BlockDirectory directory =
      PostingCursor::Survey(source, list.postings->first, list.pages.back());
  ASSERT_TRUE(directory.pageMap);
  const PageMap& map = *directory.pageMap;
  EXPECT_EQ(map.LastPage(), list.pages.back());
  for (uint32_t page = 0; page <= list.pages.back() + 70; ++page) {
    const auto at = std::lower_bound(list.pages.begin(), list.pages.end(), page);
    const auto entry = static_cast<uint32_t>(at - list.pages.begin());
    SCOPED_TRACE(page);
    EXPECT_EQ(map.Has(page), at != list.pages.end() && *at == page);
    ASSERT_EQ(map.Rank(page), entry);
    // Counted by the popcount instruction (or its library stand-in) too.
    ASSERT_EQ(map.Rank</*kCountInstruction=*/true>(page), entry);
    if (at == list.pages.end()) continue;
    EXPECT_EQ(map.PageAtOrAfter(page), *at);
    const PageMap::Place place = map.PlaceOf(entry);
    EXPECT_EQ(place.chainIndex, list.starts[entry] / kBlockSize);
    EXPECT_EQ(place.offset, list.starts[entry] % kBlockSize);
    EXPECT_EQ(place.block, list.layout[place.chainIndex]);
    uint32_t residues = 0;
    for (const uint32_t position : list.positionsOf[entry]) residues |= 1u << position % 32;
    EXPECT_EQ(map.Residues(entry), residues);
  }
  // A cursor sent to an entry by its place in the map reads that entry's positions.
  PostingCursor cursor;
  ASSERT_TRUE(cursor.Start(source, list.postings->first, list.pages.back(), &directory));
  for (uint32_t entry = 0; entry < list.pages.size(); entry += 3) {
    SCOPED_TRACE(entry);
    ASSERT_TRUE(cursor.JumpToMapEntry(entry, list.pages[entry]));
    EXPECT_EQ(cursor.Page(), list.pages[entry]);
    EXPECT_EQ(ReadPositions(cursor), list.positionsOf[entry]);
  }
}

// The cache keeps what its budget holds and lets the directory used least
// recently go first; one handed out stays valid after it is let go.
TEST(DirectoryCacheTest, LetsTheLeastRecentlyUsedGo) {
  const LongList list(kBlockSize - 2);
  const PostingSource source = list.postings->Source();
  const uint32_t first = list.postings->first;
  const uint32_t last = list.pages.back();
  const size_t bytes = PostingCursor::Survey(source, first, last).Bytes();
  const DirectoryCache cache(2 * bytes);
  const auto a = cache.Get(1, source, first, last);
  const auto b = cache.Get(2, source, first, last);
  EXPECT_EQ(cache.Get(1, source, first, last), a);  // 1 is now the newer
  const auto c = cache.Get(3, source, first, last);
  EXPECT_EQ(cache.BytesKept(), 2 * bytes);
  EXPECT_EQ(cache.Get(1, source, first, last), a);
  EXPECT_EQ(cache.Get(3, source, first, last), c);
  EXPECT_NE(cache.Get(2, source, first, last), b);  // made again
  EXPECT_EQ(b->pageCount, list.pages.size());
  // Larger than the whole budget: handed out, not kept.
  const DirectoryCache small(bytes - 1);
  EXPECT_EQ(small.Get(1, source, first, last)->pageCount, list.pages.size());
  EXPECT_EQ(small.BytesKept(), 0u);
}

// A damaged list gets no page map: a map must describe only bytes a walk found
// intact all the way, so that a cursor jumping through it meets no damage unseen.
TEST(PageMapTest, ADamagedListHasNone) {
  LongList list(kBlockSize - 2);
  const uint32_t chainIndex = list.starts[41] / kBlockSize;
  list.postings->next[list.layout[chainIndex - 1]] = 1000;
  const BlockDirectory directory =
      PostingCursor::Survey(list.postings->Source(), list.postings->first, list.pages.back());
  EXPECT_TRUE(directory.damaged);
  EXPECT_FALSE(directory.pageMap);
}

// Damage inside a page's positions, which a walk from header to header passes
// over, rules out a map too: the map's residues would rest on it.
TEST(PageMapTest, DamagedPositionsLeaveNone) {
  LongList list(kBlockSize - 2);
  // Entry 41's last position, a one-byte number, becomes the first byte of a
  // two-byte one that the entry's byte count cuts off.
  const uint32_t entry = 41;
  list.StreamByte(list.starts[entry + 1] - 1) = 0x80;
  const BlockDirectory directory =
      PostingCursor::Survey(list.postings->Source(), list.postings->first, list.pages.back());
  // The walk from header to header finds every entry; the map is left out.
  EXPECT_FALSE(directory.damaged);
  EXPECT_EQ(directory.pageCount, list.pages.size());
  EXPECT_FALSE(directory.pageMap);
}

// The highest position of a list whose positions ascend on every page, which
// lets a reader stop short of a page's end; none when on some page they repeat
// or pass 32 bits, which only a reader of every byte may judge.
TEST(PageMapTest, KnowsTheHighestPositionOfAListThatAscends) {
  struct Case {
    const char* name;
    std::vector<uint32_t> lastDeltas;
    std::optional<uint32_t> highest;
  };
  const uint32_t intactHighest = [] {
    const LongList list(kBlockSize - 2);
    uint32_t highest = 0;
    for (const auto& positions : list.positionsOf) highest = std::max(highest, positions.back());
    return highest;
  }();
  const std::vector<Case> cases = {
      {"intact", {}, intactHighest},
      {"a page starting at position 0", {0, 5, 9}, intactHighest},
      {"higher than the rest", {4000000, 4000000}, 8000000},
      {"a position repeated", {3, 0, 4}, std::nullopt},
      {"positions past 32 bits", std::vector<uint32_t>(1030, 4194303), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LongList list(kBlockSize - 2, c.lastDeltas);
    const BlockDirectory directory =
        PostingCursor::Survey(list.postings->Source(), list.postings->first, list.pages.back());
    ASSERT_TRUE(directory.pageMap);
    EXPECT_EQ(directory.pageMap->HighestPosition(), c.highest);
  }
}

// A few entries spread over a vast range would ask for vast bits: such a list
// is skipped through its blocks instead, and its pages are all found so.
TEST(PageMapTest, AListSpreadOverAVastRangeHasNone) {
  std::string stream;
  std::vector<uint32_t> pages;
  for (uint32_t i = 1; i <= 9; ++i) {  // 12 KB of entries over 36 million pages
    stream += PageEntry(4000000, std::vector<uint32_t>(1365, 1));
    pages.push_back(i * 4000000);
  }
  const Postings postings(stream, {0, 1, 2, 3}, 4);
  const PostingSource source = postings.Source();
  for (const PageMaps pageMaps : {PageMaps::kForLongLists, PageMaps::kForEveryList}) {
    const BlockDirectory directory = PostingCursor::Survey(source, 0, pages.back(), pageMaps);
    EXPECT_EQ(directory.pageCount, pages.size());
    EXPECT_FALSE(directory.damaged);
    EXPECT_FALSE(directory.pageMap);
    PostingCursor cursor;
    ASSERT_TRUE(cursor.Start(source, 0, pages.back(), &directory));
    for (const uint32_t page : pages) {
      ASSERT_TRUE(cursor.SkipTo(page - 1));
      EXPECT_EQ(cursor.Page(), page);
    }
  }
}

TEST(PostingCursorTest, AOneBlockListHasNoDirectoryEntries) {
  const std::string stream = PageEntry(3, {5, 4}) + PageEntry(127, {200}) + PageEntry(9, {1});
  const Postings postings(stream, {0}, 1);
  const PostingSource source = postings.Source();
  const BlockDirectory directory = PostingCursor::Survey(source, 0, 139);
  EXPECT_TRUE(directory.entries.empty());
  EXPECT_EQ(directory.pageCount, 3u);
  EXPECT_EQ(directory.blockCount, 1u);
  EXPECT_FALSE(directory.damaged);
  PostingCursor cursor;
  ASSERT_TRUE(cursor.Start(source, 0, 139, &directory));
  ASSERT_TRUE(cursor.SkipTo(131));
  EXPECT_EQ(cursor.Page(), 139u);
  EXPECT_EQ(ReadPositions(cursor), (std::vector<uint32_t>{1}));
}

// Damage in the middle of a long list: the directory covers what lies before it,
// a skip to a page before it succeeds, and a skip past it ends the list as
// damaged, as a walk would, without reading outside the file.
struct SkipDamageCase {
  const char* name;
  // Damages `list` after its entry `entry`: in the chain or in a page header.
  void (*damage)(LongList& list, size_t entry);
};

void PrintTo(const SkipDamageCase& c, std::ostream* out) { *out << c.name; }

class PostingCursorSkipDamageTest : public ::testing::TestWithParam<SkipDamageCase> {};

TEST_P(PostingCursorSkipDamageTest, ASkipIntoDamageEndsTheList) {
  LongList list(kBlockSize - 2);
  const size_t entry = 40;
  GetParam().damage(list, entry);
  const PostingSource source = list.postings->Source();
  const uint32_t lastPage = list.pages.back();
  const BlockDirectory directory = PostingCursor::Survey(source, list.postings->first, lastPage);
  EXPECT_TRUE(directory.damaged);
  ASSERT_FALSE(directory.entries.empty());
  EXPECT_LE(directory.entries.back().pageBefore, list.pages[entry]);
  EXPECT_LE(directory.pageCount, entry + 1);

  for (const bool withDirectory : {false, true}) {
    SCOPED_TRACE(withDirectory ? "with directory" : "without directory");
    PostingCursor cursor;
    ASSERT_TRUE(
        cursor.Start(source, list.postings->first, lastPage, withDirectory ? &directory : nullptr));
    ASSERT_TRUE(cursor.SkipTo(list.pages[10]));
    EXPECT_EQ(ReadPositions(cursor), list.positionsOf[10]);
    EXPECT_FALSE(cursor.SkipTo(list.pages[entry + 5]));
    EXPECT_TRUE(cursor.Damaged());
    EXPECT_TRUE(cursor.AtLastPage());
    EXPECT_EQ(cursor.PositionBytesLeft(), 0u);
    EXPECT_FALSE(cursor.SkipTo(lastPage));
  }
}

std::vector<SkipDamageCase> SkipDamageCases() {
  // clang-format off
  return {
      {"NextBlockBeyondTheFile", [](LongList& list, size_t entry) {
         const uint32_t chainIndex = list.starts[entry + 1] / kBlockSize;
         list.postings->next[list.layout[chainIndex - 1]] = 1000;
       }},
      {"PageNotAscending", [](LongList& list, size_t entry) {
         // The next entry's page delta becomes 0, in a VarNum of the same length.
         const uint32_t at = list.starts[entry + 1];
         const uint8_t first = list.StreamByte(at);
         list.StreamByte(at) = first < 0x80 ? 0x00 : first < 0xC0 ? 0x80 : 0xC0;
         for (uint32_t i = 1; i < VarNumLength(first); ++i) list.StreamByte(at + i) = 0;
       }},
      {"PositionCountZero", [](LongList& list, size_t entry) {
         const uint32_t at = list.starts[entry + 1];
         const uint32_t count = at + VarNumLength(list.StreamByte(at));
         list.StreamByte(count) = 0;
         list.StreamByte(count + 1) = 0;
       }},
  };
  // clang-format on
}

INSTANTIATE_TEST_SUITE_P(Damage, PostingCursorSkipDamageTest,
                         ::testing::ValuesIn(SkipDamageCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillwen
