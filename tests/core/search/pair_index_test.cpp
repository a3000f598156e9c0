// The pair index: its lists hold exactly where two identifiers stand next to
// each other, searches find the same with it as without it, and a damaged one
// is set aside by name while searches go on without it.

#include "core/search/pair_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/common/little_endian.h"
#include "core/encoding/codeconverter.h"
#include "core/search/character_id.h"
#include "core/search/index.h"
#include "core/search/shared_pages.h"
#include "core/search/term_pairs.h"
#include "core/writer/pair_index_from_lists.h"
#include "tests/core/search/search_fixture.h"
#include "tests/support/temp_dir.h"

namespace quillwen {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteCollection;

// 乙 and 丁 are variants of each other (group identifier kGroup); 。 has no
// identifier.
constexpr char kVariantTable[] = "4E59,4E01\n";
constexpr uint32_t kGroup = VariantIdBase;
constexpr char32_t kCharacters[] = {U'甲', U'乙', U'丙', U'丁'};

uint32_t Id(char32_t c) { return static_cast<uint32_t>(CharacterId(c)); }

// What a search that counts variants as the same looks up for `c`.
uint32_t CanonicalId(char32_t c) { return c == U'乙' || c == U'丁' ? kGroup : Id(c); }

std::u16string ToUtf16(const std::u32string& text) {
  std::u16string out;
  for (const char32_t c : text) AppendUtf16(out, c);
  return out;
}

fs::path PairFile(const fs::path& folder) { return folder / "Index-pairs.qw"; }

// Writes the pair index of the collection in `folder` and opens the collection
// again with it.
void AddPairIndex(const fs::path& folder, CIndex& index, PairIndexOptions options = {},
                  PairIndexSummary* summary = nullptr) {
  ASSERT_TRUE(index.Open(folder, u"Index", ScopeFullText)) << index.LastError();
  std::string error;
  ASSERT_TRUE(WritePairIndex(index, PairFile(folder), options, summary, &error)) << error;
  ASSERT_TRUE(index.Open(folder, u"Index", ScopeFullText)) << index.LastError();
}

// pair -> page -> positions of its first character.
using PairOccurrences =
    std::map<std::pair<uint32_t, uint32_t>, std::map<uint32_t, std::vector<uint32_t>>>;

// Where each pair stands by the file's rule, from the page texts: the exact
// pairs of characters, and the pairs a variant search looks up where they
// differ from those.
PairOccurrences ExpectedPairs(const std::vector<std::u32string>& pages) {
  PairOccurrences expected;
  for (uint32_t page = 0; page < pages.size(); ++page) {
    const std::u32string& text = pages[page];
    for (uint32_t p = 0; p + 1 < text.size(); ++p) {
      if (CharacterId(text[p]) < 0 || CharacterId(text[p + 1]) < 0) continue;
      const std::pair exact{Id(text[p]), Id(text[p + 1])};
      const std::pair canonical{CanonicalId(text[p]), CanonicalId(text[p + 1])};
      expected[exact][page].push_back(p);
      if (canonical != exact) expected[canonical][page].push_back(p);
    }
  }
  return expected;
}

// The list as the file holds it.
std::map<uint32_t, std::vector<uint32_t>> ReadList(const PairIndex& pairs, const PairList& list) {
  std::map<uint32_t, std::vector<uint32_t>> read;
  PostingCursor cursor;
  if (!cursor.Start(pairs.Source(), list.block, list.lastPage, nullptr, list.offset)) return read;
  for (;;) {
    std::vector<uint32_t>& positions = read[cursor.Page()];
    while (cursor.PositionBytesLeft() > 0 && cursor.NextPosition())
      positions.push_back(cursor.Position());
    if (cursor.Damaged() || cursor.AtLastPage() || !cursor.NextPage()) break;
  }
  EXPECT_FALSE(cursor.Damaged());
  return read;
}

std::u32string RandomPage(std::mt19937& random, size_t length) {
  std::discrete_distribution<int> character({30, 30, 25, 10, 5});
  std::u32string text;
  for (size_t i = 0; i < length; ++i) {
    const int c = character(random);
    text.push_back(c < 4 ? kCharacters[c] : U'。');
  }
  return text;
}

std::vector<std::u32string> RandomPages(std::mt19937& random, int count, size_t maxLength) {
  std::vector<std::u32string> pages;
  for (int p = 0; p < count; ++p)
    pages.push_back(
        RandomPage(random, std::uniform_int_distribution<size_t>(0, maxLength)(random)));
  return pages;
}

std::vector<std::u16string> Texts(const std::vector<std::u32string>& pages) {
  std::vector<std::u16string> texts;
  for (const std::u32string& page : pages) texts.push_back(ToUtf16(page));
  return texts;
}

TEST(PairIndexTest, ListsHoldExactlyWherePairsStand) {
  std::mt19937 random(5);
  // Long pages as well, so that lists run over blocks and begin inside them.
  std::vector<std::u32string> pages = RandomPages(random, 40, 60);
  for (int i = 0; i < 6; ++i) pages.push_back(RandomPage(random, 5000));
  TempDir dir;
  WriteCollection(dir.path(), Texts(pages), kVariantTable, {.shuffleSeed = 3});
  CIndex index;
  PairIndexSummary summary;
  AddPairIndex(dir.path(), index, {.maxBytes = uint64_t{1} << 30}, &summary);
  const PairIndex& pairs = index.Pairs();
  ASSERT_TRUE(pairs.IsOpen()) << pairs.Fault().Text();
  EXPECT_TRUE(pairs.HasGroupPairs());
  EXPECT_TRUE(summary.groupPairs);
  EXPECT_EQ(summary.covered, 5u);  // four characters and their one group
  EXPECT_EQ(summary.bytes, fs::file_size(PairFile(dir.path())));

  const PairOccurrences expected = ExpectedPairs(pages);
  const std::vector<uint32_t> ids = {Id(U'甲'), Id(U'乙'), Id(U'丙'), Id(U'丁'), kGroup};
  size_t lists = 0;
  for (const uint32_t first : ids) {
    for (const uint32_t second : ids) {
      SCOPED_TRACE(::testing::Message() << "pair " << first << ", " << second);
      EXPECT_TRUE(pairs.Covers(first) && pairs.Covers(second));
      const auto wanted = expected.find({first, second});
      const std::optional<PairList> list = pairs.Find(first, second);
      ASSERT_EQ(list.has_value(), wanted != expected.end());
      if (!list) continue;
      ++lists;
      EXPECT_EQ(ReadList(pairs, *list), wanted->second);
      EXPECT_EQ(list->lastPage, wanted->second.rbegin()->first);
    }
  }
  EXPECT_EQ(lists, expected.size());
  EXPECT_EQ(pairs.PairCount(), expected.size());
  EXPECT_FALSE(pairs.Find(Id(U'甲'), Id(U'戊')));
  EXPECT_FALSE(pairs.Covers(Id(U'戊')));
}

// Each term's lookups once the pair index is read: which are pairs, and at
// which query position each begins.
TEST(PairIndexTest, TermsReadPairsWhereTheFileTellsThem) {
  std::vector<std::u32string> pages = {U"甲乙丙丁甲乙丙丁甲乙", U"丙甲丙甲乙乙", U"丁丁丁"};
  TempDir dir;
  WriteCollection(dir.path(), Texts(pages), kVariantTable);
  CIndex index;
  AddPairIndex(dir.path(), index, {.maxBytes = uint64_t{1} << 30});
  struct Case {
    const char16_t* term;
    bool variants;
    const char* lookups;  // per lookup: P pair, A absent pair, C character; then q
  };
  const Case cases[] = {
      {u"甲乙", false, "P0"},
      {u"甲乙丙", false, "P0 P1"},  // an odd run ends with an overlapping pair
      {u"甲乙丙丁", false, "P0 P2"},
      {u"甲乙丙丁甲", false, "P0 P2 P3"},
      {u"甲?乙", false, "C0 C2"},      // not next to each other
      {u"甲乙*丙丁", false, "P0 P2"},  // each segment on its own
      {u"甲*乙", false, "C0 C1"},
      {u"乙甲", false, "A0"},          // covered, and nowhere in the texts
      {u"甲戊乙", false, "C0 C1 C2"},  // 戊 has no list at all
      {u"甲乙", true, "P0"},           // 甲 and the group of 乙
      {u"乙丁", true, "P0"},           // the group twice
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.term) + (c.variants ? " (variants)" : ""));
    TermPlan plan = PlanTerm(NormaliseTerm(c.term), c.variants ? &index.Variants() : nullptr);
    UsePairLists(plan, index.Pairs());
    std::string lookups;
    for (const TermLookup& lookup : plan.lookups) {
      lookups += lookups.empty() ? "" : " ";
      lookups += lookup.kind == LookupKind::kPair         ? "P"
                 : lookup.kind == LookupKind::kAbsentPair ? "A"
                                                          : "C";
      lookups += std::to_string(lookup.queryPosition);
    }
    EXPECT_EQ(lookups, c.lookups);
  }
}

struct Outcome {
  std::vector<uint32_t> pages;
  std::vector<uint32_t> placeCounts;
  bool operator==(const Outcome&) const = default;
};

Outcome SearchOf(const CIndex& index, const Query& query, SearchMethod method, bool variants) {
  const SearchResult result = index.Search(query, method, variants);
  return {result.pages, result.placeCounts};
}

std::u16string RandomTerm(std::mt19937& random) {
  static const char16_t kPieces[] = {u'甲', u'乙', u'丙', u'丁', u'甲', u'乙',
                                     u'丙', u'甲', u'?',  u'*',  u'。', u'戊'};
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
  const size_t length = std::uniform_int_distribution<size_t>(1, 8)(random);
  std::u16string term;
  for (size_t i = 0; i < length; ++i) term.push_back(kPieces[piece(random)]);
  return term;
}

// Random collections, pair indexes of every extent (all identifiers covered,
// some, none) and random queries of one to three terms: the same pages and
// places with the pair index as without it, variants counted or not.
TEST(PairIndexTest, SearchesFindTheSameWithAndWithoutPairs) {
  int compared = 0;
  int withPairs = 0;
  for (int seed = 1; seed <= 24; ++seed) {
    std::mt19937 random(static_cast<uint32_t>(seed));
    std::vector<std::u32string> pages = RandomPages(random, 30, 80);
    if (seed % 4 == 0) pages.push_back(RandomPage(random, 9000));
    TempDir dir;
    WriteCollection(dir.path(), Texts(pages), kVariantTable,
                    {.shuffleSeed = static_cast<uint32_t>(seed % 3)});
    CIndex index;
    const PairIndexOptions extents[] = {{.maxBytes = uint64_t{1} << 30},
                                        {.maxBytes = uint64_t{1} << 30, .maxCandidates = 3},
                                        {.maxBytes = 16384 + 600}};
    AddPairIndex(dir.path(), index, extents[seed % 3]);
    ASSERT_TRUE(index.UsesPairIndex());
    withPairs += index.Pairs().PairCount() > 0 ? 1 : 0;
    for (int q = 0; q < 80; ++q) {
      Query query;
      const int terms = std::uniform_int_distribution<int>(1, 3)(random);
      for (int t = 0; t < terms; ++t) query.terms.push_back(NormaliseTerm(RandomTerm(random)));
      for (const SearchMethod method : {SearchMethod::kAnd, SearchMethod::kOr}) {
        for (const bool variants : {false, true}) {
          index.WantPairIndex(true);
          const Outcome paired = SearchOf(index, query, method, variants);
          index.WantPairIndex(false);
          const Outcome plain = SearchOf(index, query, method, variants);
          ++compared;
          std::u16string text;
          for (const std::u16string& term : query.terms) text += term + u" ";
          ASSERT_EQ(paired, plain) << "collection " << seed << ", query " << ToUtf8(text)
                                   << (method == SearchMethod::kOr ? "(or)" : "(and)")
                                   << (variants ? " (variants)" : "");
        }
      }
    }
  }
  EXPECT_EQ(compared, 24 * 80 * 4);
  EXPECT_GE(withPairs, 12);
}

// An "and" of phrases whose pair lists are long enough for page maps: the
// pages they all share are found from the maps first, and matched alone.
TEST(PairIndexTest, AnAndOfPhrasesThroughPageMapsFindsTheSame) {
  // 甲乙 on every third page, 丙丁 on every fifth, each a few times over so
  // that their lists run to several blocks; they share a third of 丙丁's pages.
  std::mt19937 random(21);
  std::vector<std::u32string> pages;
  for (int p = 0; p < 10000; ++p) {
    std::u32string text(std::uniform_int_distribution<size_t>(0, 6)(random), U'戊');
    for (int i = 0; i < 4; ++i) {
      if (p % 3 == 0) text += U"甲乙。";
      if (p % 5 == 0) text += U"丙丁。";
    }
    pages.push_back(text);
  }
  TempDir dir;
  WriteCollection(dir.path(), Texts(pages), kVariantTable, {.shuffleSeed = 7});
  CIndex index;
  AddPairIndex(dir.path(), index, {.maxBytes = uint64_t{1} << 30});
  const IndexTables tables = index.Tables();
  for (const char16_t* phrase : {u"甲乙", u"丙丁"}) {
    TermPlan plan = PlanTerm(phrase, nullptr);
    UsePairLists(plan, index.Pairs());
    ASSERT_EQ(plan.lookups.size(), 1u);
    ASSERT_EQ(plan.lookups[0].kind, LookupKind::kPair);
    EXPECT_TRUE(LookupDirectory(plan.lookups[0], tables)->pageMap) << ToUtf8(phrase);
  }
  // The shared pages are fewer than half of the rarest term's.
  TermPlan first = PlanTerm(u"甲乙", nullptr);
  TermPlan second = PlanTerm(u"丙丁", nullptr);
  UsePairLists(first, index.Pairs());
  UsePairLists(second, index.Pairs());
  const std::vector<const TermPlan*> planned = {&first, &second};
  const std::optional<std::vector<uint32_t>> shared = PagesEveryListHas(planned, tables);
  ASSERT_TRUE(shared);
  std::vector<uint32_t> expectedShared;
  for (uint32_t page = 0; page < 10000; page += 15) expectedShared.push_back(page);
  EXPECT_EQ(*shared, expectedShared);
  // Phrases, each found by a plain reading of the texts; the characters' own
  // lists share pages through their maps too.
  const std::vector<std::vector<std::u16string>> queries = {
      {u"甲乙", u"丙丁"}, {u"丙丁", u"甲乙", u"甲"}, {u"乙", u"丁"}};
  for (const auto& terms : queries) {
    Query query;
    query.terms = terms;
    Outcome expected;
    for (uint32_t page = 0; page < pages.size(); ++page) {
      uint32_t places = 0;
      bool every = true;
      for (const std::u16string& term : terms) {
        std::u32string phrase;
        for (const char16_t c : term) phrase.push_back(c);
        uint32_t found = 0;
        for (size_t at = pages[page].find(phrase); at != std::u32string::npos;
             at = pages[page].find(phrase, at + 1))
          ++found;
        every = every && found > 0;
        places += found;
      }
      if (!every) continue;
      expected.pages.push_back(page);
      expected.placeCounts.push_back(places);
    }
    EXPECT_EQ(SearchOf(index, query, SearchMethod::kAnd, false), expected) << ToUtf8(terms[0]);
    for (const bool variants : {false, true}) {
      index.WantPairIndex(true);
      const Outcome paired = SearchOf(index, query, SearchMethod::kAnd, variants);
      index.WantPairIndex(false);
      const Outcome plain = SearchOf(index, query, SearchMethod::kAnd, variants);
      EXPECT_FALSE(plain.pages.empty());
      EXPECT_EQ(paired, plain) << ToUtf8(terms[0]) << (variants ? " (variants)" : "");
    }
  }
}

TEST(PairIndexTest, TheWriterKeepsWithinItsBudget) {
  std::mt19937 random(9);
  const std::vector<std::u32string> pages = RandomPages(random, 200, 200);
  TempDir dir;
  WriteCollection(dir.path(), Texts(pages), kVariantTable);
  for (const uint64_t budget : {uint64_t{16384}, uint64_t{20000}, uint64_t{40000}}) {
    SCOPED_TRACE(budget);
    CIndex index;
    PairIndexSummary summary;
    AddPairIndex(dir.path(), index, {.maxBytes = budget}, &summary);
    EXPECT_LE(fs::file_size(PairFile(dir.path())), budget);
    EXPECT_LT(summary.covered, 5u);
    EXPECT_TRUE(index.UsesPairIndex());
  }
}

std::string FileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Held in memory whole, or spilled every few pages to so many runs that they
// are merged on the way: the same file.
TEST(PairIndexTest, TheFileIsTheSameHoweverOftenTheWriterSpills) {
  std::mt19937 random(17);
  const std::vector<std::u32string> pages = RandomPages(random, 400, 120);
  TempDir dir;
  WriteCollection(dir.path(), Texts(pages), kVariantTable);
  CIndex index;
  AddPairIndex(dir.path(), index, {.maxBytes = uint64_t{1} << 30});
  const std::string whole = FileBytes(PairFile(dir.path()));
  AddPairIndex(dir.path(), index, {.maxBytes = uint64_t{1} << 30, .memory = 1024});
  EXPECT_EQ(FileBytes(PairFile(dir.path())), whole);
  // No run is left beside the file.
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().string().find(".pairs"), std::string::npos) << entry.path();
}

// The bytes of `file`, changed by `change`.
void Change(const fs::path& file, const std::function<void(std::string&)>& change) {
  std::string bytes;
  {
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  change(bytes);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void StoreLE32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Each damage: the file is set aside (at once, or when a search meets it), the
// search finds what the index set alone finds, and the file is named.
TEST(PairIndexTest, ADamagedFileIsSetAsideAndNamed) {
  std::mt19937 random(13);
  std::vector<std::u32string> pages = RandomPages(random, 60, 120);
  // 甲乙 stands on one more page than in the random ones alone.
  pages.push_back(U"丙甲乙丙");
  struct Case {
    const char* name;
    std::function<void(std::string&)> change;
    const char* fault;  // what Open says, or nothing when a search finds it
  };
  const size_t table = 12564;
  const Case cases[] = {
      {"magic", [](std::string& b) { b[0] = 'X'; }, "not a pair index"},
      {"version", [](std::string& b) { StoreLE32(b, 8, 2); }, "version 2"},
      {"served set", [](std::string& b) { b[24] ^= 1; }, "made for another index set"},
      {"cut short", [](std::string& b) { b.resize(100); }, "shorter than"},
      {"lists longer than recorded", [](std::string& b) { b.append(5000, '\0'); },
       "blocks recorded"},
      {"area offset", [](std::string& b) { StoreLE32(b, 48, 16385); }, "not a multiple of 4096"},
      {"pairs out of order",
       [&](std::string& b) {
         // The second pair's key below the first's.
         StoreLE32(b, table + 20, 0);
         StoreLE32(b, table + 24, 0);
       },
       nullptr},
      {"list outside the area", [&](std::string& b) { StoreLE32(b, table + 8, 0x7FFFFFFF); },
       nullptr},
      {"list bytes",
       [&](std::string& b) {
         // Every list's bytes zero: each page entry says it has no positions.
         const size_t area = LoadLE32(reinterpret_cast<const unsigned char*>(b.data()) + 48);
         std::fill(b.begin() + static_cast<std::ptrdiff_t>(area), b.end(), '\0');
       },
       nullptr},
  };
  TempDir dir;
  WriteCollection(dir.path(), Texts(pages), kVariantTable);
  CIndex plain;
  ASSERT_TRUE(plain.Open(dir.path(), u"Index", ScopeFullText));
  Query query;
  query.terms = {u"甲乙", u"丙"};
  const Outcome expected = SearchOf(plain, query, SearchMethod::kAnd, false);
  ASSERT_FALSE(expected.pages.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CIndex index;
    AddPairIndex(dir.path(), index, {.maxBytes = uint64_t{1} << 30});
    ASSERT_TRUE(index.UsesPairIndex());
    Change(PairFile(dir.path()), c.change);
    ASSERT_TRUE(index.Open(dir.path(), u"Index", ScopeFullText)) << index.LastError();
    if (c.fault != nullptr) {
      EXPECT_FALSE(index.UsesPairIndex());
      EXPECT_EQ(index.PairIndexFault().file, PairFile(dir.path()));
      EXPECT_NE(index.PairIndexFault().problem.find(c.fault), std::string::npos)
          << index.PairIndexFault().problem;
      EXPECT_EQ(SearchOf(index, query, SearchMethod::kAnd, false), expected);
      continue;
    }
    ASSERT_TRUE(index.UsesPairIndex());
    const SearchResult result = index.Search(query, SearchMethod::kAnd, false);
    EXPECT_EQ((Outcome{result.pages, result.placeCounts}), expected);
    EXPECT_TRUE(result.damagedPairIndex);
    EXPECT_FALSE(result.damagedList);
    EXPECT_FALSE(index.UsesPairIndex());
    // Later searches go without the file and say nothing more.
    const SearchResult again = index.Search(query, SearchMethod::kAnd, false);
    EXPECT_EQ((Outcome{again.pages, again.placeCounts}), expected);
    EXPECT_FALSE(again.damagedPairIndex);
  }
}

TEST(PairIndexTest, AMissingFileIsNoFault) {
  TempDir dir;
  WriteCollection(dir.path(), {u"甲乙丙"}, kVariantTable);
  CIndex index;
  ASSERT_TRUE(index.Open(dir.path(), u"Index", ScopeFullText));
  EXPECT_FALSE(index.UsesPairIndex());
  EXPECT_TRUE(index.Pairs().Absent());
  EXPECT_TRUE(index.PairIndexFault().problem.empty());
  std::u16string query = u"甲乙";
  EXPECT_EQ(index.SearchAnd(query, false), 1);
}

}  // namespace
}  // namespace quillwen
