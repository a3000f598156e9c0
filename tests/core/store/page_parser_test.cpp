#include "core/store/page_parser.h"

#include <gtest/gtest.h>

namespace quillwen {
namespace {

struct ParseCase {
  const char* label;
  std::string page;
  std::string title;
  std::string cell1;
  std::string cell2;
};

class ParsePageTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParsePageTest, FindsTitleAndCells) {
  const ParsedPage nodes = ParsePage(GetParam().page);
  EXPECT_EQ(nodes[0].text, GetParam().title);
  EXPECT_EQ(nodes[1].text, GetParam().cell1);
  EXPECT_EQ(nodes[2].text, GetParam().cell2);
  for (const HTMLNode& node : nodes) EXPECT_EQ(node.kind, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ParsePageTest,
    ::testing::Values(
        ParseCase{
            "ordinary",
            "<html><head><title>T<i>x</i></title></head><body><table><tr>"
            "<TD width=1><p>left</p></TD><td>skip</td><TD>right</TD></tr></table></body></html>",
            "T<i>x</i>", "<p>left</p>", "right"},
        ParseCase{"lower_case_cells_are_ordinary_tags", "<title>T</title><td>a</td><td>b</td>", "T",
                  "", ""},
        ParseCase{"second_title_close_reopens_cell_one",
                  "<title>T</title><TD>a</title>b<TD>c</TD><TD>d</TD>", "T", "ac", "d"},
        ParseCase{"tag_open_at_end_dropped", "<title>T</title><TD>a<b", "T", "a", ""},
        ParseCase{"title_tag_inside_cell_kept", "<title>T</title><TD><title>x</TD>", "T",
                  "<title>x", ""},
        ParseCase{"no_recognised_tags", "plain text only", "", "", ""},
        ParseCase{"lt_inside_a_tag", "<title>T</title><TD><a<b>z</TD>", "T", "<a<b>z", ""},
        ParseCase{"invalid_utf8", "<title>\xff</title><TD>\xc3\x28</TD><TD>\x80</TD>", "\xff",
                  "\xc3\x28", "\x80"},
        ParseCase{"cell_without_title", "<TD>a</TD><TD>b</TD>", "", "", ""}),
    [](const auto& info) { return std::string(info.param.label); });

struct SplitCase {
  const char* label;
  std::string cell;
  std::vector<std::pair<FilterItemKind, std::string>> items;
};

class SplitAnnotationsTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitAnnotationsTest, SeparatesMainTextAndAnnotations) {
  std::vector<std::pair<FilterItemKind, std::string>> items;
  for (const FilterItem& item : SplitAnnotations(GetParam().cell))
    items.emplace_back(item.kind, item.text);
  EXPECT_EQ(items, GetParam().items);
}

const std::string kOpen(AnnotationOpen);

INSTANTIATE_TEST_SUITE_P(
    Cells, SplitAnnotationsTest,
    ::testing::Values(
        SplitCase{"main_only", "<p>text</p>", {{FilterItemKind::kMainText, "<p>text</p>"}}},
        SplitCase{"empty", "", {{FilterItemKind::kMainText, ""}}},
        SplitCase{"annotation_between",
                  "a" + kOpen + "note</font>b",
                  {{FilterItemKind::kMainText, "a"},
                   {FilterItemKind::kAnnotation, "note"},
                   {FilterItemKind::kMainText, "b"}}},
        SplitCase{"leading_annotation",
                  kOpen + "n</font>",
                  {{FilterItemKind::kMainText, ""},
                   {FilterItemKind::kAnnotation, "n"},
                   {FilterItemKind::kMainText, ""}}},
        SplitCase{"open_inside_annotation_starts_another",
                  "a" + kOpen + "x" + kOpen + "y</font>z</font>",
                  {{FilterItemKind::kMainText, "a"},
                   {FilterItemKind::kAnnotation, "x"},
                   {FilterItemKind::kAnnotation, "y"},
                   {FilterItemKind::kMainText, "z</font>"}}},
        SplitCase{
            "close_in_main_text_stays", "a</font>b", {{FilterItemKind::kMainText, "a</font>b"}}},
        SplitCase{"runs_to_the_end",
                  "a" + kOpen + "note",
                  {{FilterItemKind::kMainText, "a"}, {FilterItemKind::kAnnotation, "note"}}},
        SplitCase{"other_font_is_ordinary",
                  "<font size=-1>x</font>",
                  {{FilterItemKind::kMainText, "<font size=-1>x</font>"}}},
        SplitCase{"open_tag_at_end_dropped", "a<font", {{FilterItemKind::kMainText, "a"}}}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace quillwen
