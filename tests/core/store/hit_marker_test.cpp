#include "core/store/hit_marker.h"

#include <gtest/gtest.h>

namespace quillwen {
namespace {

// A marked piece: anchor, then the marker around the text.
std::string Mark(int anchor, std::string_view text) {
  std::string out;
  AppendAnchor(out, anchor);
  return out + std::string(HitOpen) + std::string(text) + "</b>";
}

// The wildcard characters of a '?' gap: the marker first, then the anchor.
std::string Gap(int anchor, std::string_view text) {
  std::string out(HitOpen);
  AppendAnchor(out, anchor);
  return out + std::string(text) + "</b>";
}

struct ParseCase {
  const char* term;
  std::vector<Seg> pieces;
};

class ParseTermTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTermTest, CutsAtWildcards) {
  EXPECT_EQ(ParseTerm(GetParam().term), GetParam().pieces) << GetParam().term;
}

INSTANTIATE_TEST_SUITE_P(
    Terms, ParseTermTest,
    ::testing::Values(
        ParseCase{"A?B*C",
                  {{SegLeading, "A", 1}, {SegAfterQuestion, "B", 1}, {SegAfterStar, "C", 1}}},
        ParseCase{"A??B", {{SegLeading, "A", 1}, {SegAfterQuestion, "B", 2}}},
        ParseCase{"*A", {{SegAfterStar, "A", 1}}}, ParseCase{"A*", {{SegLeading, "A", 1}}},
        ParseCase{"?A", {{SegLeading, "A", 2}}}, ParseCase{"A?", {{SegLeading, "A", 1}}},
        ParseCase{"**A**B", {{SegAfterStar, "A", 1}, {SegAfterStar, "B", 1}}},
        ParseCase{"A*??B", {{SegLeading, "A", 1}, {SegAfterStar, "B", 3}}},
        ParseCase{"AB?*", {{SegLeading, "AB", 1}}}, ParseCase{"???", {}}, ParseCase{"*?*", {}},
        ParseCase{"", {}}));

struct MarkCase {
  const char* label;
  std::string text;
  std::string term;
  int firstAnchor;
  std::string expected;
  int lastAnchor;  // the counter afterwards
};

class HighlightPieceTest : public ::testing::TestWithParam<MarkCase> {};

TEST_P(HighlightPieceTest, MarksEveryHit) {
  const MarkCase& c = GetParam();
  int counter = c.firstAnchor;
  EXPECT_EQ(HighlightPiece(c.text, c.term, counter), c.expected);
  EXPECT_EQ(counter, c.lastAnchor);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HighlightPieceTest,
    ::testing::Values(
        MarkCase{"every_occurrence", "XAXA", "A", 0, "X" + Mark(0, "A") + "X" + Mark(1, "A"), 2},
        MarkCase{"case_sensitive", "aA", "a", 0, Mark(0, "a") + "A", 1},
        MarkCase{"star_stops_at_paragraph", "A<p>B", "A*B", 0, "A<p>B", 0},
        MarkCase{"star_stops_at_heading", "A<h4>B", "A*B", 0, "A<h4>B", 0},
        MarkCase{"star_resumes_after_paragraph", "A<p>AB", "A*B", 0,
                 "A<p>" + Mark(0, "A") + Mark(1, "B"), 2},
        MarkCase{"star_leaves_the_middle", "AxAyB", "A*B", 0, Mark(0, "A") + "xAy" + Mark(1, "B"),
                 2},
        MarkCase{"star_upper_case_tags_do_not_bound", "A<P>B", "A*B", 0,
                 Mark(0, "A") + "<P>" + Mark(1, "B"), 2},
        MarkCase{"question_one_character", "A漢B", "A?B", 0,
                 Mark(0, "A") + Gap(1, "漢") + Mark(2, "B"), 3},
        MarkCase{"question_two_characters_miss", "A漢字B", "A?B", 0, "A漢字B", 0},
        MarkCase{"two_questions", "A漢字B", "A??B", 0, Mark(0, "A") + Gap(1, "漢字") + Mark(2, "B"),
                 3},
        MarkCase{"question_gap_past_end", "xA漢", "A?B", 0, "xA漢", 0},
        MarkCase{"question_gap_to_end", "A漢", "A?B", 0, "A漢", 0},
        MarkCase{"trailing_question_ignored", "xAy", "A?", 0, "x" + Mark(0, "A") + "y", 1},
        MarkCase{"leading_question_ignored", "xAy", "?A", 0, "x" + Mark(0, "A") + "y", 1},
        MarkCase{"three_pieces", "A漢B x C", "A?B*C", 0,
                 Mark(0, "A") + Gap(1, "漢") + Mark(2, "B") + " x " + Mark(3, "C"), 4},
        MarkCase{"anchor_0012", "A", "A", 12, Mark(12, "A"), 13},
        MarkCase{"anchor_10000", "A", "A", 10000,
                 "<a name=\"10000\"></a>" + std::string(HitOpen) + "A</b>", 10001},
        MarkCase{"inside_a_tag", "<a title=\"A\">A", "A", 0,
                 "<a title=\"" + Mark(0, "A") + "\">" + Mark(1, "A"), 2},
        MarkCase{"wildcards_only", "ABC", "?*?", 5, "ABC", 5},
        MarkCase{"empty_text", "", "A", 0, "", 0}, MarkCase{"absent", "XYZ", "A", 0, "XYZ", 0},
        MarkCase{"invalid_utf8_carried",
                 "\xff\xfe"
                 "A\xc3",
                 "A", 0, "\xff\xfe" + Mark(0, "A") + "\xc3", 1},
        MarkCase{"multibyte_term", "之乎者也之", "之", 0, Mark(0, "之") + "乎者也" + Mark(1, "之"),
                 2}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(HighlightPiece, AnchorsAreWrittenWithFourDigits) {
  std::string out;
  AppendAnchor(out, 12);
  EXPECT_EQ(out, "<a name=\"0012\"></a>");
}

// Failed attempts never go back over text: a long text that defeats every
// attempt in the worst way still comes out whole.
TEST(HighlightPiece, LongAdversarialTextsComeOutWhole) {
  struct Case {
    std::string text;
    std::string term;
  };
  const std::string as(200000, 'A');
  std::string paragraphs;
  for (int i = 0; i < 50000; ++i) paragraphs += "A<p>";
  std::string cjk;
  for (int i = 0; i < 60000; ++i) cjk += "漢";
  const Case cases[] = {
      {as, "A*B"},
      {as, "A?????????????????????????????????????????????????????B"},
      {as, "A*A*A*A*A*A*A*A*A*B"},
      {paragraphs, "A*A"},
      {cjk, "漢?漢?字"},
  };
  for (const Case& c : cases) {
    int counter = 0;
    EXPECT_EQ(HighlightPiece(c.text, c.term, counter), c.text) << c.term;
    EXPECT_EQ(counter, 0);
  }
}

}  // namespace
}  // namespace quillwen
