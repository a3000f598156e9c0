#pragma once

// Where the panel's controls go, in pixels, from the size of its client area,
// the selected tab and the result paging. The panel applies this on every paint
// and tab change; nothing here needs a display.

#include <map>
#include <optional>

namespace quillwen {

// The controls the layout places, by their dialog ids.
enum PanelControlId : int {
  kTabControl = 1010,
  kContentsTree = 1009,
  kPromptLabel = 1004,
  kQueryInputPage = 1041,
  kSearchButton = 1011,
  kSeparatorLine = 1062,
  kVariantCheckBox = 1061,
  kMethodGroup = 1022,
  kMethodAnd = 1019,
  kMethodOr = 1020,
  kTargetGroup = 1045,
  kTargetFullText = 1042,
  kTargetMainText = 1043,
  kTargetAnnotations = 1044,
  kRangeGroup = 1033,
  kRangeLabel = 1035,
  kWholeCollectionButton = 1063,  // "全体", in the range group
  kSummaryLabel = 1030,
  kViewPages = 1064,  // "頁": a row per page
  kViewHits = 1065,   // "文脈": a row per hit, in context
  kResultList = 1007,
  kPreviousListPage = 1055,
  kNextListPage = 1057,
  kListPageEdit = 1058,
  kListPageCount = 1059,
  kUnusedEdit = 1001,
};

struct PanelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PanelRect&) const = default;
};

// What one pass does to one control. Anything left unset keeps its state.
struct ControlPlacement {
  std::optional<PanelRect> rect;
  std::optional<bool> visible;
  bool disable = false;  // the pass only ever disables; enabling is the pager's
};

struct PanelLayoutInput {
  int width = 0;               // W
  int height = 0;              // H
  int selectedTab = 0;         // 0 contents, 1 search
  int resultPages = 0;         // m_nResultPages
  int curResultPage = 0;       // m_nCurResultPage
  int pagerButtonWidth = 32;   // w: the previous button's client width
  int pagerButtonHeight = 32;  // b: its client height
};

std::map<int, ControlPlacement> LayoutPanel(const PanelLayoutInput& input);

inline constexpr char16_t kPromptText[] = u"キーワードを入力して下さい。";
inline constexpr char16_t kSearchButtonText[] = u"検索";
inline constexpr char16_t kWholeCollectionButtonText[] = u"全体";
inline constexpr char16_t kViewPagesText[] = u"頁";
inline constexpr char16_t kViewHitsText[] = u"文脈";
inline constexpr char16_t kMainWindowCaption[] = u"Quillwen--Lorevault(Tesselbook)";

}  // namespace quillwen
