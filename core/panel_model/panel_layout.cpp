#include "core/panel_model/panel_layout.h"

namespace quillwen {
namespace {

// The search tab's fixed rows: id, x, y, width and height, where a negative x or
// width counts from the right (W plus the value).
struct FixedRow {
  int id;
  int x;
  int y;
  int width;
  int height;
};

constexpr FixedRow kSearchTabRows[] = {
    {kPromptLabel, 5, 28, -10, 15},
    {kQueryInputPage, 5, 45, -60, 25},
    {kSearchButton, -50, 45, 45, 25},
    {kSeparatorLine, 4, 75, -8, 1},
    {kVariantCheckBox, 5, 80, -15, 15},
    {kMethodGroup, 5, 100, -10, 40},
    {kMethodAnd, 10, 115, 50, 20},
    {kMethodOr, -70, 115, 50, 20},
    {kTargetGroup, 5, 145, -10, 40},
    {kTargetFullText, 10, 160, 60, 20},
    {kTargetMainText, 97, 160, 60, 20},
    {kTargetAnnotations, 189, 160, 60, 20},
    {kRangeGroup, 5, 190, -10, 40},
    {kRangeLabel, 10, 205, -70, 20},
    {kWholeCollectionButton, -55, 203, 45, 24},
    {kSummaryLabel, 5, 235, -15, 15},
    {kViewPages, 10, 252, 50, 20},
    {kViewHits, 65, 252, 60, 20},
};

// The result list starts below the row of view radios.
constexpr int kResultListTop = 275;

constexpr int kPagingRow[] = {kPreviousListPage, kNextListPage, kListPageEdit, kListPageCount};

int FromRight(int value, int width) { return value < 0 ? width + value : value; }

}  // namespace

std::map<int, ControlPlacement> LayoutPanel(const PanelLayoutInput& in) {
  const int W = in.width;
  const int H = in.height;
  std::map<int, ControlPlacement> layout;
  layout[kTabControl].rect = PanelRect{0, 0, W - 1, H - 1};
  layout[kUnusedEdit].visible = false;

  if (in.selectedTab != 1) {
    layout[kContentsTree] = {PanelRect{5, 26, W - 10, H - 30}, true, false};
    for (const FixedRow& row : kSearchTabRows) layout[row.id].visible = false;
    for (const int id : kPagingRow) layout[id].visible = false;
    layout[kResultList].visible = false;
    return layout;
  }

  layout[kContentsTree].visible = false;
  for (const FixedRow& row : kSearchTabRows) {
    layout[row.id] = {PanelRect{FromRight(row.x, W), row.y, FromRight(row.width, W), row.height},
                      true, false};
  }
  int pagerRoom = 0;
  if (in.resultPages > 0) {
    const int w = in.pagerButtonWidth;
    const int b = in.pagerButtonHeight;
    const int y = H - b - 5;
    const int e = (W - 139) / 2 + 37;  // C++ division rounds toward zero
    layout[kPreviousListPage] = {PanelRect{5, y, w, 32}, true, in.curResultPage == 1};
    layout[kNextListPage] = {PanelRect{W - w - 5, y, w, 32}, true,
                             in.curResultPage == in.resultPages};
    layout[kListPageEdit] = {PanelRect{e, y + 6, 35, 20}, true, false};
    layout[kListPageCount] = {PanelRect{e + 37, y + 8, 30, 24}, true, false};
    pagerRoom = b + 2;
  }
  layout[kResultList] = {PanelRect{5, kResultListTop, W - 10, H - kResultListTop - 4 - pagerRoom},
                         true, false};
  return layout;
}

}  // namespace quillwen
