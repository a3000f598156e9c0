#pragma once

// The navigation panel without its widgets: the reading state, the contents
// catalogue, the search fields and the result rows, with the operations the tree,
// the search tab, the result list and the main window's reading commands run on
// them. The reader's panel and the command-line search tool both drive it, so a
// search shows the same rows whichever front end ran it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/common/message_sink.h"
#include "core/io/private_temp_folder.h"
#include "core/panel_model/contents_catalogue.h"
#include "core/panel_model/reading_rules.h"
#include "core/panel_model/result_paging.h"
#include "core/panel_model/search_results.h"
#include "core/search/index.h"

namespace quillwen {

// Whatever shows pages: the page view in the reader, nothing in the tool.
class PageViewTarget {
 public:
  virtual ~PageViewTarget() = default;
  // A local file's path, optionally followed by "#" and an anchor name.
  virtual void Navigate(const std::string& location) = 0;
};

inline constexpr char16_t kNoRangeMessage[] = u"検索範囲をまた指定していません。";
inline constexpr char16_t kNoKeywordsMessage[] = u"何かキーワードを入力して検索をして下さい。";
inline constexpr char16_t kSummaryCaption[] = u"検索集計：";
inline constexpr const auto& kIndexBaseName = kCollectionBaseNameWide;
inline constexpr char kTempPageName[] = "windows.html";
inline constexpr char kTempResult1Name[] = "windows1.html";
inline constexpr char kTempResult2Name[] = "windows2.html";
inline constexpr char kFirstHitFragment[] = "#0000";

enum SearchMethod : int32_t { SearchMethodAnd = 0, SearchMethodOr = 1 };
enum SearchTarget : int32_t { SearchTargetFullText = 0, SearchTargetMainText = 1, SearchTargetAnnotations = 2 };

// How a search command ended.
enum class SearchOutcome {
  kRan,            // rows, paging and summary replaced
  kNoInputValue,   // the keyword field reported no value: ended silently
  kNoRange,        // "検索範囲をまた指定していません。" shown
  kNoKeywords,     // "何かキーワードを入力して検索をして下さい。" shown
};

// The summary line after a search: "全部で %d 頁で、%d 箇所でした。".
std::u16string SummaryText(int64_t pages, int64_t places);

// The index scope a search target opens, and the part of a page its hits are
// marked in.
IndexScope ScopeOfTarget(int32_t target);
HitScope HighlightScopeOfTarget(int32_t target);

class LeftFormModel {
 public:
  struct Environment {
    std::filesystem::path dataFolder;      // catalogue, volume store, index sets, variants
    MessageSink* messages = nullptr;       // required
    PageViewTarget* pageView = nullptr;    // may be null: nothing is shown
    std::filesystem::path tempParent;      // empty: the user's temporary folder
    std::filesystem::path listingPath = kCatalogueListingFileName;
  };

  // Composes the temporary file paths inside a private folder and opens the
  // full-text index set.
  explicit LeftFormModel(const Environment& environment);
  // Closes the index; the private folder goes with its files.
  ~LeftFormModel();
  LeftFormModel(const LeftFormModel&) = delete;
  LeftFormModel& operator=(const LeftFormModel&) = delete;

  // Loads the catalogue into the table, the graph and the tree shape.
  CatalogueLoadResult InitialUpdate();

  // --- Contents ---
  // The tree's selection moved to record `record`: the search range follows; a
  // volume (an item without children) also shows its first page. True when a
  // page was shown.
  bool OnTreeSelectionChanged(int record);
  // Writes one stored page of volume `record` to the page file and shows it.
  // Keeps m_nCurNode and m_nCurPage. A page that cannot be found or read shows
  // nothing and leaves the page view as it was.
  bool ShowPage(int record, bool useFirstPage, int32_t page);
  // The stored page that ShowPage shows: page `page` of volume `record` (its first
  // page when useFirstPage). False when it cannot be found or read.
  bool ReadStoredPage(int record, bool useFirstPage, int32_t page, std::string& html) const;

  // --- Search ---
  // The search command. `inputValue` is the keyword field's value, nullopt when
  // the field reports none. The method, target and variant fields are read as
  // they stand; the front end copies its controls into them first.
  SearchOutcome OnSearch(std::optional<std::u16string_view> inputValue);
  // A search target was clicked: reopens the index on its set and records where
  // result pages mark their hits.
  void OnSearchTargetChanged(int32_t target);

  // --- Results ---
  std::span<const SearchNodeTag> ListRows() const;  // the rows of the current list page
  bool PreviousResultPage() { return m_paging.Previous(); }
  bool NextResultPage() { return m_paging.Next(); }
  bool ApplyPageEdit(std::u16string_view text) { return m_paging.ApplyPageEdit(text); }
  PagerState Pager() const { return m_paging.Pager(); }
  // Renders index page `page` with every hit marked into the next result file,
  // shows it at its first hit and makes it the hit page. False (nothing changes)
  // when the page cannot be rendered or written.
  bool ShowResult(int32_t page);

  // --- Reading commands ---
  ReadingState Reading() const { return {&m_catalogue, m_nCurNode, m_nCurPage, m_nHitCount, m_nCurHit}; }
  // Previous (-1) or next (+1) page of the volume shown.
  void StepPage(int delta);
  // Previous (-1) or next (+1) volume by the record scan: shows its first page and
  // returns its record, or shows the message and returns 0 when there is none.
  int StepVolume(int direction);
  // Previous (-1) or next (+1) hit of the result page shown.
  void StepHit(int delta);
  std::u16string PageLabel() const { return PageLabelText(m_index.HeaderValue(), m_nCurPage); }
  SliderRange Slider() const { return VolumeSliderRange(m_catalogue.Record(m_nCurNode)); }

  // The contents: m_NodeItem, m_nNodeCount and m_pRoot.
  ContentsCatalogue m_catalogue;
  CIndex m_index;

  int32_t m_nCurNode = 0;
  int32_t m_nCurPage = 0;
  uint16_t m_nRangeNode = 1;
  std::u16string m_strRange;
  std::filesystem::path m_strTempPage;
  std::filesystem::path m_strTempResult1;
  std::filesystem::path m_strTempResult2;
  int32_t m_nHitCount = 0;
  int32_t m_nCurHit = 0;
  std::filesystem::path m_strHitPage;

  std::u16string m_strKeyWords;
  int32_t m_nSearchMethod = SearchMethodAnd;
  int32_t m_nSearchTarget = SearchTargetFullText;
  int32_t m_bVariants = 1;
  int32_t m_nHighlightScope = HitScopeFullText;
  std::u16string m_strSummary = kSummaryCaption;

  std::vector<SearchNodeTag> m_SearchNodes;
  std::vector<uint32_t> m_Pages;
  std::vector<uint32_t> m_PlaceCounts;
  ResultPaging m_paging;  // m_nResultPages, m_nCurResultPage
  bool m_bFirstResultFile = true;
  int64_t m_nPlaces = 0;  // places of the rows of the last search

 private:
  void Show(const std::filesystem::path& file, std::string_view fragment);

  std::filesystem::path dataFolder_;
  MessageSink& messages_;
  PageViewTarget* pageView_;
  std::filesystem::path listingPath_;
  io::PrivateTempFolder tempFolder_;
};

}  // namespace quillwen
