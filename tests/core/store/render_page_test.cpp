#include <gtest/gtest.h>

#include "core/store/filelist.h"
#include "core/store/hit_marker.h"
#include "core/store/page_parser.h"
#include "core/writer/volume_store_writer.h"
#include "tests/support/temp_dir.h"

namespace quillwen {
namespace {

using testing::TempDir;

std::string Mark(int anchor, std::string_view text) {
  std::string out;
  AppendAnchor(out, anchor);
  return out + std::string(HitOpen) + std::string(text) + "</b>";
}

const std::string kNote(AnnotationOpen);

// A page in the builder's shape: the text in the cell of its parity, a margin
// line in the other.
std::string StoredPage(std::string_view left, std::string_view right) {
  return "<html><head><meta charset=utf-8><title>論語</title><style>p{}</style></head><body>"
         "<table><tr><TD class=l>" +
         std::string(left) + "</TD><TD class=r>" + std::string(right) +
         "</TD></tr></table></body></html>";
}

std::string Frame(std::string_view title, std::string_view cell1, std::string_view cell2) {
  return std::string(FrameHead) + std::string(title) + std::string(FrameBeforeLeft) +
         std::string(cell1) + std::string(FrameBeforeRight) + std::string(cell2) +
         std::string(FrameTail);
}

class RenderPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VolumeStoreWriter writer;
    ASSERT_TRUE(writer.Open(dir_.path(), "Index", {}));
    // Entry 0: page 2 (even: the first cell is searched).
    writer.AddPage(
        "V1\\2.htm",
        StoredPage("<p>學而時習之" + kNote + "馬曰子者男子之通稱</font>不亦說乎</p>", "學而第一"));
    // Entry 1: page 3 (odd: the second cell is searched).
    writer.AddPage("V1\\3.htm", StoredPage("學之", "<p>學之</p>"));
    // Entry 2: no page number in its name: renders as page 0.
    writer.AddPage("nonumber", StoredPage("之", "之"));
    // Entry 3: an annotation that runs to the end of the cell.
    writer.AddPage("V1\\4.htm", StoredPage("之" + kNote + "注之", ""));
    // Entry 4: lower-case cells.
    writer.AddPage("V1\\6.htm", "<title>t</title><td>之</td><td>之</td>");
    ASSERT_TRUE(writer.Finish());
    ASSERT_TRUE(store_.Open(dir_.path(), u"Index"));
  }

  int Render(uint32_t entry, std::u16string_view query, HitScope scope = HitScopeFullText) {
    output_.clear();
    return store_.RenderPage(entry, output_, query, scope);
  }

  TempDir dir_;
  CFileList store_;
  std::string output_;
};

TEST_F(RenderPageTest, GoldenDocumentForASmallPage) {
  EXPECT_EQ(Render(0, u"之"), 2);
  EXPECT_EQ(
      output_,
      "<html><head>\t\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"
      "<title>論語</title></head><div align=\"center\"><center><BODY>\t\t<TABLE border=1 "
      "cellPadding=0 cellSpacing=1 class=wd_gray height=477 width=635 bordercolor=\"#FFCC66\">"
      "\t\t<tr>  <TD height=477 width=80 vAlign=top align=\"center\" background=\"../Back.gif\">"
      "<p>學而時習<a name=\"0000\"></a><b style='color:red;background:#D9D9D9;'>之</b>"
      "<font size=-1 color=\"#993366\">馬曰子者男子<a name=\"0001\"></a>"
      "<b style='color:red;background:#D9D9D9;'>之</b>通稱</font>不亦說乎</p>"
      "</TD>\t\t<TD height=477 width=450 vAlign=top align=\"center\">學而第一"
      "</TD> \t\t</tr></table></div></div>\t\t</center></BODY></html>");
}

struct ScopeCase {
  HitScope scope;
  std::string cell;
  int anchors;
};

class RenderScopeTest : public RenderPageTest, public ::testing::WithParamInterface<ScopeCase> {};

TEST_P(RenderScopeTest, MarksOnlyTheCoveredItems) {
  EXPECT_EQ(Render(0, u"子", GetParam().scope), GetParam().anchors);
  EXPECT_EQ(output_, Frame("論語", GetParam().cell, "學而第一"));
}

INSTANTIATE_TEST_SUITE_P(
    Scopes, RenderScopeTest,
    ::testing::Values(ScopeCase{HitScopeFullText,
                                "<p>學而時習之" + kNote + "馬曰" + Mark(0, "子") + "者男" +
                                    Mark(1, "子") + "之通稱</font>不亦說乎</p>",
                                2},
                      ScopeCase{HitScopeMainText,
                                "<p>學而時習之" + kNote + "馬曰子者男子之通稱</font>不亦說乎</p>",
                                0},
                      ScopeCase{HitScopeAnnotations,
                                "<p>學而時習之" + kNote + "馬曰" + Mark(0, "子") + "者男" +
                                    Mark(1, "子") + "之通稱</font>不亦說乎</p>",
                                2}));

TEST_F(RenderPageTest, MainTextScopeSkipsAnnotationsAndAnnotationScopeSkipsMainText) {
  EXPECT_EQ(Render(0, u"說", HitScopeAnnotations), 0);
  EXPECT_EQ(Render(0, u"說", HitScopeMainText), 1);
  EXPECT_NE(output_.find(Mark(0, "說")), std::string::npos);
}

TEST_F(RenderPageTest, ParityChoosesTheCell) {
  EXPECT_EQ(Render(1, u"學"), 1);
  EXPECT_EQ(output_, Frame("論語", "學之", "<p>" + Mark(0, "學") + "之</p>"));
  EXPECT_EQ(Render(2, u"之"), 1);  // no page number: page 0, even
  EXPECT_EQ(output_, Frame("論語", Mark(0, "之"), "之"));
}

TEST_F(RenderPageTest, TermsApplyOnceInOrderOfFirstAppearance) {
  EXPECT_EQ(Render(1, u"之 學 之"), 2);
  // The anchors of the first term come first, whatever their places.
  EXPECT_EQ(output_, Frame("論語", "學之", "<p>" + Mark(1, "學") + Mark(0, "之") + "</p>"));
}

TEST_F(RenderPageTest, SeparatorsOfAnyKindAndNumberGiveTheSameDocument) {
  ASSERT_EQ(Render(1, u"之 學"), 2);
  const std::string expected = output_;
  for (const std::u16string_view query :
       {u"  之   學 ", u"之\u3000學", u"\u3000之 \u3000學\u3000"}) {
    EXPECT_EQ(Render(1, query), 2);
    EXPECT_EQ(output_, expected);
  }
}

TEST_F(RenderPageTest, AnnotationRunningToTheEndIsClosed) {
  EXPECT_EQ(Render(3, u"之"), 2);
  EXPECT_EQ(output_, Frame("論語", Mark(0, "之") + kNote + "注" + Mark(1, "之") + "</font>", ""));
}

TEST_F(RenderPageTest, LowerCaseCellsRenderAnEmptyFrame) {
  EXPECT_EQ(Render(4, u"之"), 0);
  EXPECT_EQ(output_, Frame("t", "", ""));
}

TEST_F(RenderPageTest, RenderingTwiceGivesTheSameDocument) {
  const int first = Render(0, u"之 子");
  const std::string document = output_;
  EXPECT_EQ(Render(0, u"之 子"), first);
  EXPECT_EQ(output_, document);
}

TEST_F(RenderPageTest, NothingToRenderLeavesTheOutputUntouched) {
  struct Case {
    const char* label;
    uint32_t entry;
    std::u16string query;
  };
  const Case cases[] = {
      {"empty_query", 0, u""},
      {"only_separators", 0, u" \u3000 "},
      {"entry_beyond_the_table", 99, u"之"},
  };
  for (const Case& c : cases) {
    output_.clear();
    EXPECT_EQ(store_.RenderPage(c.entry, output_, c.query, HitScopeFullText), 0) << c.label;
    EXPECT_TRUE(output_.empty()) << c.label;
  }
  store_.Close();
  EXPECT_EQ(Render(0, u"之"), 0);
  EXPECT_TRUE(output_.empty());
}

TEST_F(RenderPageTest, WildcardOnlyTermRebuildsTheFrameWithoutAnchors) {
  EXPECT_EQ(Render(1, u"*?"), 0);
  EXPECT_EQ(output_, Frame("論語", "學之", "<p>學之</p>"));
}

}  // namespace
}  // namespace quillwen
