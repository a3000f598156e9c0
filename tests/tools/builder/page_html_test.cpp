#include "tools/builder/page_html.h"

#include <gtest/gtest.h>

#include "core/store/page_number.h"
#include "tests/tools/builder/page_of.h"
#include "tools/builder/source_format.h"

namespace quillwen::build {
namespace {

using testing::PageOf;

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// The inner text of the n-th (0 or 1) "<TD" cell.
std::string Cell(const std::string& html, int n) {
  size_t at = html.find("<TD");
  if (n == 1) at = html.find("<TD", at + 1);
  const size_t open = html.find('>', at) + 1;
  return html.substr(open, html.find("</TD>", open) - open);
}

TEST(RenderStoredPageTest, HasATitleAndExactlyTwoUpperCaseCells) {
  const std::string html = RenderStoredPage(PageOf("甲"), {"論語", "學而"}, 3);
  EXPECT_TRUE(html.starts_with("<html>"));
  EXPECT_NE(html.find("<title>論語 學而 3</title>"), std::string::npos);
  EXPECT_EQ(Count(html, "<TD"), 2u);
  EXPECT_EQ(Count(html, "</TD>"), 2u);
  EXPECT_EQ(Count(html, "<td"), 0u);
  EXPECT_NE(html.find("charset=UTF-8"), std::string::npos);
}

TEST(RenderStoredPageTest, TextGoesInTheCellOfThePageParity) {
  const LaidOutPage page = PageOf("甲乙");
  for (uint32_t pageNumber : {1u, 2u, 7u, 10u}) {
    const std::string html = RenderStoredPage(page, {"書", "卷"}, pageNumber);
    const int textCell = pageNumber % 2 == 0 ? 0 : 1;
    EXPECT_EQ(Cell(html, textCell), "<p>甲乙</p>") << pageNumber;
    EXPECT_EQ(Cell(html, 1 - textCell), "書<br>卷<br>" + std::to_string(pageNumber)) << pageNumber;
  }
}

TEST(RenderTextCellTest, WritesBlocksAnnotationsAndLineBreaks) {
  EXPECT_EQ(RenderTextCell(PageOf("# 題〔注〕\n甲\n乙〔一〕丙\n\n丁")),
            "<h4>題<font size=-1 color=\"#993366\">注</font></h4>"
            "<p>甲<br>乙<font size=-1 color=\"#993366\">一</font>丙</p><p>丁</p>");
}

TEST(RenderTextCellTest, EscapesMarkupCharacters) {
  EXPECT_EQ(RenderTextCell(PageOf("a<b>&c〔<TD>〕")),
            "<p>a&lt;b&gt;&amp;c<font size=-1 color=\"#993366\">&lt;TD&gt;</font></p>");
  const std::string html = RenderStoredPage(PageOf("</TD><TD"), {"<書>", "&"}, 2);
  EXPECT_EQ(Count(html, "<TD"), 2u);
  EXPECT_NE(html.find("<title>&lt;書&gt; &amp; 2</title>"), std::string::npos);
}

TEST(EntryNameTest, CarriesThePageNumberTheReaderParses) {
  EXPECT_EQ(EntryName(12, 7), "V00012\\7.htm");
  EXPECT_EQ(EntryName(123456, 65535), "V123456\\65535.htm");
  for (uint32_t page : {0u, 1u, 9u, 65535u}) {
    EXPECT_EQ(PageNumberFromEntryName(EntryName(3, page)), static_cast<int>(page));
  }
}

}  // namespace
}  // namespace quillwen::build
