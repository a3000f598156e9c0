#include "core/store/hit_context.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "core/store/hit_marker.h"
#include "core/store/page_parser.h"
#include "core/store/page_renderer.h"

namespace quillwen {

void PrintTo(const HitInContext& row, std::ostream* os) {
  *os << "{" << row.anchor << ", \"" << row.left << "\", \"" << row.hit << "\", \"" << row.right
      << "\"}";
}

namespace {

const std::string kNote(AnnotationOpen);

// A stored page in the builder's shape; the title never reaches a context.
std::string StoredPage(std::string_view left, std::string_view right) {
  return "<html><head><meta charset=utf-8><title>論語題</title></head><body><table><tr>"
         "<TD class=l>" +
         std::string(left) + "</TD><TD class=r>" + std::string(right) +
         "</TD></tr></table></body></html>";
}

// The result page as RenderPage leaves it: every term marked in turn, each pass
// over the document the previous one produced, one anchor counter throughout.
std::string Rendered(std::string_view stored, std::vector<std::string_view> terms, int parity = 0,
                     HitScope scope = HitScopeFullText) {
  std::string document(stored);
  int counter = 0;
  for (const std::string_view term : terms) {
    document = RenderCell(document, term, parity, scope, counter);
  }
  return document;
}

// The searched text cell of a page marked with `terms`; the other cell holds a
// margin line that must never show up in a context.
std::string RenderedCell(std::string_view cell, std::vector<std::string_view> terms) {
  return Rendered(StoredPage(cell, "學而第一"), std::move(terms));
}

// The result frame around hand-built cells, for markup the renderer does not make.
std::string Frame(std::string_view cell1, std::string_view cell2 = "學而第一") {
  return std::string(FrameHead) + "論語題" + std::string(FrameBeforeLeft) + std::string(cell1) +
         std::string(FrameBeforeRight) + std::string(cell2) + std::string(FrameTail);
}

std::string Anchor(int number) {
  std::string out;
  AppendAnchor(out, number);
  return out;
}

std::string Mark(int anchor, std::string_view text) {
  return Anchor(anchor) + std::string(HitOpen) + std::string(text) + "</b>";
}

// The bytes in a buffer of exactly their size, so that a read past the end is
// caught by the address sanitizer instead of landing in a string's spare room.
class ExactBuffer {
 public:
  explicit ExactBuffer(std::string_view bytes)
      : size_(bytes.size()), data_(std::make_unique<char[]>(bytes.size())) {
    std::copy(bytes.begin(), bytes.end(), data_.get());
  }
  std::string_view view() const { return {data_.get(), size_}; }

 private:
  size_t size_;
  std::unique_ptr<char[]> data_;
};

struct RowsCase {
  const char* label;
  std::string document;
  size_t contextChars;
  std::vector<HitInContext> rows;
};

void ExpectRows(const std::vector<RowsCase>& cases) {
  for (const RowsCase& c : cases) {
    SCOPED_TRACE(c.label);
    const ExactBuffer document(c.document);
    EXPECT_EQ(HitsInContext(document.view(), c.contextChars), c.rows);
  }
}

TEST(HitContextTest, NoMarkersGiveNoRows) {
  ExpectRows({
      {"term not on the page", RenderedCell("<p>學而時習之</p>", {"乎"}), 12, {}},
      {"empty document", "", 12, {}},
      {"plain html", "<p>學而時習之</p>", 12, {}},
      {"empty frame", Frame("", ""), 12, {}},
      {"the stored page itself", StoredPage("<p><b>學</b>而</p>", "之"), 12, {}},
  });
}

TEST(HitContextTest, ContextsAreCutByCharactersWithinTheCell) {
  const std::string cell = "<p>學而時習之不亦說乎</p>";
  ExpectRows({
      {"hit at the cell's start",
       RenderedCell(cell, {"學"}),
       12,
       {{0, "", "學", "而時習之不亦說乎"}}},
      {"hit at the cell's end: the other cell is not read",
       RenderedCell(cell, {"乎"}),
       12,
       {{0, "學而時習之不亦說", "乎", ""}}},
      {"three characters each side",
       RenderedCell(cell, {"之"}),
       3,
       {{0, "而時習", "之", "不亦說"}}},
      {"no context", RenderedCell(cell, {"之"}), 0, {{0, "", "之", ""}}},
      {"a four-byte character is one",
       RenderedCell("<p>ab𠀀c之d𠀁ef</p>", {"之"}),
       3,
       {{0, "b𠀀c", "之", "d𠀁e"}}},
      {"an entity is one character",
       RenderedCell("<p>&lt;論語&gt;曰&amp;之乎</p>", {"之"}),
       3,
       {{0, ">曰&", "之", "乎"}}},
  });
}

TEST(HitContextTest, WhiteSpaceAndBlockBoundariesAreOneSpace) {
  ExpectRows({
      {"paragraph boundary before the hit",
       RenderedCell("<p>甲乙</p><p>丙丁</p>", {"丙"}),
       12,
       {{0, "甲乙 ", "丙", "丁"}}},
      {"paragraph boundary after the hit",
       RenderedCell("<p>甲乙</p><p>丙丁</p>", {"乙"}),
       12,
       {{0, "甲", "乙", " 丙丁"}}},
      {"heading", RenderedCell("<h4>學而</h4><p>甲乙</p>", {"甲"}), 12, {{0, "學而 ", "甲", "乙"}}},
      {"line break", RenderedCell("<p>甲<br>乙</p>", {"乙"}), 12, {{0, "甲 ", "乙", ""}}},
      {"run of white space",
       RenderedCell("<p>甲 \t\r\n  乙</p>", {"乙"}),
       12,
       {{0, "甲 ", "乙", ""}}},
      {"no-break spaces",
       RenderedCell("<p>&nbsp;&nbsp;甲&nbsp;\xC2\xA0乙</p>", {"甲"}),
       12,
       {{0, "", "甲", " 乙"}}},
      {"space at the cell's start",
       RenderedCell("<p>  甲乙</p>", {"甲"}),
       12,
       {{0, "", "甲", "乙"}}},
      {"left cut on a space drops it",
       RenderedCell("<p>甲乙</p><p>丙</p>", {"丙"}),
       1,
       {{0, "", "丙", ""}}},
      {"right cut on a space drops it",
       RenderedCell("<p>甲</p><p>乙丙</p>", {"甲"}),
       1,
       {{0, "", "甲", ""}}},
      {"space at the hit's edge goes to the context",
       Frame("甲" + Mark(0, "<br>乙<br>") + "丙"),
       12,
       {{0, "甲 ", "乙", " 丙"}}},
  });
}

TEST(HitContextTest, AnnotationsCountAsText) {
  const std::string cell = "<p>學而時習之" + kNote + "馬曰子者</font>不亦說乎</p>";
  ExpectRows({
      {"hit in an annotation",
       Rendered(StoredPage(cell, "學而第一"), {"曰"}, 0, HitScopeAnnotations),
       12,
       {{0, "學而時習之馬", "曰", "子者不亦說乎"}}},
      {"annotation in the right context",
       Rendered(StoredPage(cell, "學而第一"), {"之"}, 0, HitScopeMainText),
       6,
       {{0, "學而時習", "之", "馬曰子者不亦"}}},
      {"annotation left open",
       RenderedCell("<p>之" + kNote + "注之", {"注"}),
       12,
       {{0, "之", "注", "之"}}},
  });
}

TEST(HitContextTest, NestedMarkersAreHitsOfTheirOwn) {
  const std::string cell = "<p>海上明月共潮生</p>";
  const std::string inner = RenderedCell(cell, {"明月", "月"});
  // The fixture has the shape in question: the second term's marker sits inside the first's.
  ASSERT_NE(inner.find("明" + Mark(1, "月") + "</b>"), std::string::npos) << inner;
  ExpectRows({
      {"inner hit at the outer one's end",
       inner,
       12,
       {{0, "海上", "明月", "共潮生"}, {1, "海上明", "月", "共潮生"}}},
      {"inner hit at the outer one's start",
       RenderedCell(cell, {"明月", "明"}),
       12,
       {{0, "海上", "明月", "共潮生"}, {1, "海上", "明", "月共潮生"}}},
      {"three deep",
       RenderedCell(cell, {"上明月共", "明月", "月"}),
       2,
       {{0, "海", "上明月共", "潮生"}, {1, "海上", "明月", "共潮"}, {2, "上明", "月", "共潮"}}},
      {"the page's own bold around a hit",
       RenderedCell("<p><b>學而</b>時習</p>", {"而"}),
       12,
       {{0, "學", "而", "時習"}}},
      {"the page's own bold inside a hit",
       RenderedCell("<p>學<b>而</b>時習</p>", {"學<b>而</b>時"}),
       12,
       {{0, "", "學而時", "習"}}},
  });
}

TEST(HitContextTest, RowsFollowThePageNotTheAnchors) {
  const std::string document = RenderedCell("<p>學而時習之學</p>", {"之", "學"});
  ExpectRows({
      {"terms 之 then 學",
       document,
       12,
       {{1, "", "學", "而時習之學"}, {0, "學而時習", "之", "學"}, {2, "學而時習之", "學", ""}}},
  });
}

TEST(HitContextTest, WildcardHits) {
  const std::string cell = "<p>學而時習之不亦說乎</p>";
  ExpectRows({
      // The wildcard characters are a marker of their own, its anchor inside it.
      {"question mark",
       RenderedCell(cell, {"學?時"}),
       3,
       {{0, "", "學", "而時習"}, {1, "學", "而", "時習之"}, {2, "學而", "時", "習之不"}}},
      {"a later term inside the wildcard characters",
       RenderedCell(cell, {"學?時", "而"}),
       3,
       {{0, "", "學", "而時習"},
        {1, "學", "而", "時習之"},
        {3, "學", "而", "時習之"},
        {2, "學而", "時", "習之不"}}},
      {"star: the text between the pieces is no hit",
       RenderedCell(cell, {"時*說"}),
       2,
       {{0, "學而", "時", "習之"}, {1, "不亦", "說", "乎"}}},
      {"term across a line break",
       RenderedCell("<p>學而時習<br>之不亦</p>", {"習<br>之"}),
       12,
       {{0, "學而時", "習 之", "不亦"}}},
      {"term across an annotation's tag",
       Frame("學而" + Mark(0, "時" + kNote + "習</font>之") + "不亦"),
       12,
       {{0, "學而", "時習之", "不亦"}}},
  });
}

TEST(HitContextTest, ContextsStayInTheirCell) {
  const std::string evenPage = StoredPage("<p>學而時習之</p>", "<p>有朋自遠方來</p>");
  const std::string oddPage = StoredPage("<p>有朋自遠方來</p>", "<p>學而時習之</p>");
  ExpectRows({
      {"first cell searched", Rendered(evenPage, {"之"}, 0), 12, {{0, "學而時習", "之", ""}}},
      {"second cell searched", Rendered(oddPage, {"學"}, 1), 12, {{0, "", "學", "而時習之"}}},
      {"hits in both cells",
       Frame(Mark(0, "甲") + "乙", "丙" + Mark(1, "丁")),
       12,
       {{0, "", "甲", "乙"}, {1, "丙", "丁", ""}}},
      {"the tail's bytes inside the second cell",
       Frame("", "丙" + Mark(0, "丁") + "<x " + std::string(FrameTail) + "戊"),
       12,
       {{0, "丙", "丁", " 戊"}}},
      {"no frame: one cell", "<p>甲" + Mark(0, "乙") + "丙</p>", 12, {{0, "甲", "乙", "丙"}}},
      {"frame cut short: one cell",
       std::string(FrameHead) + "題" + std::string(FrameBeforeLeft) + Mark(0, "乙"),
       12,
       {{0, "", "乙", ""}}},
  });
}

TEST(HitContextTest, StrayAnchorsAndMarkersAreIgnored) {
  const std::string open(HitOpen);
  ExpectRows({
      {"anchor without a marker", Frame("甲" + Anchor(3) + "乙"), 12, {}},
      {"text between anchor and marker", Frame(Anchor(3) + "甲" + open + "乙</b>"), 12, {}},
      {"marker without an anchor", Frame("甲" + open + "乙</b>丙"), 12, {}},
      {"anchorless marker opening on a hit",
       Frame(open + Mark(7, "乙") + "丙</b>"),
       12,
       {{7, "", "乙", "丙"}}},
      {"anchorless marker inside a hit",
       Frame(Mark(4, "甲" + open + "乙</b>丙") + "丁"),
       12,
       {{4, "", "甲乙丙", "丁"}}},
      {"marker left open runs to the cell's end",
       Frame("甲" + Anchor(5) + open + "乙丙"),
       12,
       {{5, "甲", "乙丙", ""}}},
      {"stray closing tags",
       Frame("</b>甲" + Mark(6, "乙") + "</b>丙"),
       12,
       {{6, "甲", "乙", "丙"}}},
      {"five-digit anchor", Frame(Mark(12345, "乙")), 12, {{12345, "", "乙", ""}}},
      {"anchor beyond int", Frame("<a name=\"99999999999\"></a>" + open + "乙</b>"), 12, {}},
      {"anchor without digits", Frame("<a name=\"\"></a>" + open + "乙</b>"), 12, {}},
      {"anchor without its end tag", Frame("<a name=\"0001\">" + open + "乙</b>"), 12, {}},
      {"marker hidden in a comment", Frame("甲<!--" + Mark(1, "乙") + "-->丙"), 12, {}},
  });
}

TEST(HitContextTest, HostileBytesStayInsideTheBuffer) {
  ExpectRows({
      {"invalid UTF-8 is one character a byte",
       Frame("ab\xE6\x98" + Mark(0, "之") + "\xFF" + "c\xC3"),
       3,
       {{0, "b\xE6\x98", "之",
         "\xFF"
         "c\xC3"}}},
      {"cut character at the document's end",
       "甲" + Mark(0, "之") + "\xF0\x9F\x98",
       12,
       {{0, "甲", "之", "\xF0\x9F\x98"}}},
      {"tag left open", "甲" + Mark(0, "之") + "乎<font color", 12, {{0, "甲", "之", "乎"}}},
      {"comment left open", "甲" + Mark(0, "之") + "乎<!-- x", 12, {{0, "甲", "之", "乎"}}},
      {"hidden element left open",
       "甲" + Mark(0, "之") + "乎<style>p{}",
       12,
       {{0, "甲", "之", "乎"}}},
      {"less-than as text", "a < b" + Mark(0, "之") + "<3", 12, {{0, "a < b", "之", "<3"}}},
      {"entity cut at the end", "甲" + Mark(0, "之") + "&am", 12, {{0, "甲", "之", "&am"}}},
      {"anchor cut at the end", "甲" + Mark(0, "之") + "<a name=\"00", 12, {{0, "甲", "之", ""}}},
      {"marker cut at the end", "甲" + Anchor(0) + std::string(HitOpen).substr(0, 10), 12, {}},
      {"only a lone byte", "\xE6", 12, {}},
  });
}

TEST(HitContextTest, ManyHitsInOnePage) {
  constexpr int kHits = 20000;
  std::string cell = "<p>";
  for (int k = 0; k < kHits; ++k) cell += "之乎";
  const std::string document = RenderedCell(cell + "</p>", {"之"});
  ASSERT_NE(document.find(Anchor(kHits - 1)), std::string::npos);

  const std::vector<HitInContext> rows = HitsInContext(document, 5);
  ASSERT_EQ(rows.size(), static_cast<size_t>(kHits));
  for (int k = 0; k < kHits; ++k) ASSERT_EQ(rows[k].anchor, k);
  EXPECT_EQ(rows.front(), (HitInContext{0, "", "之", "乎之乎之乎"}));
  EXPECT_EQ(rows[10000], (HitInContext{10000, "乎之乎之乎", "之", "乎之乎之乎"}));
  EXPECT_EQ(rows.back(), (HitInContext{kHits - 1, "乎之乎之乎", "之", "乎"}));
}

TEST(HitContextTest, DamagedMarkersStayBounded) {
  // Every marker left open: each would run to the cell's end.
  constexpr int kMarkers = 20000;
  std::string cell;
  for (int k = 0; k < kMarkers; ++k) cell += Anchor(k) + std::string(HitOpen) + "之";
  const std::vector<HitInContext> rows = HitsInContext(Frame(cell + "乎"), 2);
  ASSERT_EQ(rows.size(), static_cast<size_t>(kMarkers));
  std::string longest;
  for (int k = 0; k < 200; ++k) longest += "之";
  EXPECT_EQ(rows.front(), (HitInContext{0, "", longest, ""}));
  EXPECT_EQ(rows[kMarkers - 2], (HitInContext{kMarkers - 2, "之之", "之之乎", ""}));
  EXPECT_EQ(rows.back(), (HitInContext{kMarkers - 1, "之之", "之乎", ""}));
}

struct TextCase {
  const char* html;
  const char* text;
};

TEST(HitContextTest, VisibleTextRule) {
  const TextCase cases[] = {
      {"<p>學而</p><p>時習</p>", "學而 時習"},
      {"  <P>學<BR/>而 </P>\n", "學 而"},
      {"<h4>題</h4>學", "題 學"},
      {"學<font size=-1 color=\"#993366\">注</font>而", "學注而"},
      {"學<b>而</b><i>時</i>", "學而時"},
      {"a &lt;b&gt; &amp;&quot;&apos;&#39;", "a <b> &\"''"},
      {"&#23416;&#x5B78;&#X5b78;", "學學學"},
      {"&#0;&#xD800;&#x110000;&#99999999999999;", "\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"&bogus; &amp &#; &#x; &#12a;", "&bogus; &amp &#; &#x; &#12a;"},
      {"甲&nbsp;&nbsp;乙\xC2\xA0丙&#32;&#10;丁", "甲 乙 丙 丁"},
      {"<style>p{}</style><script>a<b</SCRIPT >甲<title>題</title>乙", "甲乙"},
      {"甲<!-- 乙 -->丙", "甲丙"},
      {"a < b <3 <", "a < b <3 <"},
      {"甲<b", "甲"},
      {"甲<!-- 乙", "甲"},
      {"甲<style>乙", "甲"},
      {"\xE6\x98 \xFF", "\xE6\x98 \xFF"},
      {"", ""},
      {" \t<br><p> ", ""},
  };
  for (const TextCase& c : cases) {
    const ExactBuffer html(c.html);
    EXPECT_EQ(VisibleText(html.view()), c.text) << c.html;
  }
  // A whole result page: the frame's title is not shown, the cells are.
  EXPECT_EQ(VisibleText(Frame("<p>甲" + Mark(0, "乙") + "</p>", "丙")), "甲乙 丙");
}

}  // namespace
}  // namespace quillwen
