#pragma once

// The navigation panel without its widgets: the reading state, the contents
// catalogue, the search fields and the result rows, with the commands the tree,
// the search tab, the result list and the main window's reading commands send.
// Every command answers with a PanelUpdate, the part of what the panel shows that
// it changed; a front end paints that and never writes the state itself. The
// reader's panel and the command-line search tool both drive it, so a search
// shows the same rows whichever front end ran it.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/common/message_sink.h"
#include "core/io/private_temp_folder.h"
#include "core/panel_model/citation.h"
#include "core/panel_model/contents_catalogue.h"
#include "core/panel_model/hit_list.h"
#include "core/panel_model/page_history.h"
#include "core/panel_model/reading_rules.h"
#include "core/panel_model/result_paging.h"
#include "core/panel_model/search_results.h"
#include "core/search/index.h"
#include "core/search/query.h"

namespace quillwen {

inline constexpr char16_t kNoRangeMessage[] = u"検索範囲をまた指定していません。";
inline constexpr char16_t kNoKeywordsMessage[] = u"何かキーワードを入力して検索をして下さい。";
inline constexpr char16_t kSummaryCaption[] = u"検索集計：";
// After a search with the check box ticked, when the index set's variant table
// was set aside (CIndex::VariantTableRefused).
inline constexpr char16_t kVariantTableRefusedMessage[] =
    u"異体字表 yitizi.txt がこの索引のものではないため、異体字を区別して検索しました。";
// The same when the variant table cannot be read (CIndex::VariantTableMissing).
inline constexpr char16_t kVariantTableMissingMessage[] =
    u"異体字表 yitizi.txt を読めないため、異体字を区別して検索しました。";
inline constexpr char kTempPageName[] = "windows.html";
inline constexpr char kTempResult1Name[] = "windows1.html";
inline constexpr char kTempResult2Name[] = "windows2.html";
inline constexpr char kFirstHitFragment[] = "#0000";
// The page view's empty document.
inline constexpr char kBlankPage[] = "about:blank";

// The search range of the whole collection: every page a top-level record covers.
inline constexpr int kWholeCollection = -1;
inline constexpr char16_t kWholeCollectionLabel[] = u"全体";
// How many characters a hit row shows on each side of the hit.
inline constexpr size_t kDefaultContextChars = 12;

// The two ways the result list shows a search: a row per page, or a row per hit
// with the text around it.
enum class ResultView : int32_t { kPages = 0, kHits = 1 };

// The part of a page a search reads: the radio buttons "全文", "正文", "注釈".
enum class SearchTarget : int32_t { kFullText = 0, kMainText = 1, kAnnotations = 2 };

// How a search command ended.
enum class SearchOutcome {
  kRan,           // rows, paging and summary replaced
  kNoInputValue,  // the keyword field reported no value: ended silently
  kNoRange,       // "検索範囲をまた指定していません。"
  kNoKeywords,    // "何かキーワードを入力して検索をして下さい。"
  kTooManyTerms,  // more than kMaxQueryTerms terms (TooManyTermsMessage)
};

// The most terms one search takes: each term walks its lists, so a line of a
// million terms would keep the reader busy for seconds.
inline constexpr int kMaxQueryTerms = 100;
std::u16string TooManyTermsMessage(int terms);

// The summary line after a search: "全部で %d 頁で、%d 箇所でした。".
std::u16string SummaryText(int64_t pages, int64_t places);
// After a search that met a damaged posting list in `postingsFile`: the rows
// lack whatever lay behind the damage.
std::u16string DamagedIndexMessage(const std::filesystem::path& postingsFile);
// The pair index beside the index set is damaged, or belongs to another set: a
// search reads the index set alone, so its result is whole.
std::u16string DamagedPairIndexMessage(const std::filesystem::path& pairIndexFile);

// The index scope a search target opens, and the part of a page its hits are
// marked in.
IndexScope ScopeOfTarget(SearchTarget target);
HitScope HighlightScopeOfTarget(SearchTarget target);

// Everything a search command needs, read from the search tab's controls (or a
// command line) at once.
struct SearchRequest {
  // The keyword field's value as typed; nothing when the field reports none.
  std::optional<std::u16string> keywords;
  SearchMethod method = SearchMethod::kAnd;
  SearchTarget target = SearchTarget::kFullText;
  bool variants = true;
  // The record whose pages are searched, or kWholeCollection; nothing: the range
  // the tree selection (or the "全体" button) set.
  std::optional<int> range;
};

// Where the reading stands after a command that showed a stored page: what the
// page toolbar shows.
struct ReadingUpdate {
  int32_t record = 0;          // the volume shown (m_nCurNode)
  int32_t page = 0;            // its page shown (m_nCurPage)
  bool volumeChanged = false;  // the slider takes the new volume's range
  SliderRange slider;          // the volume's pages
  std::u16string pageLabel;    // the page label's text
};

// What a command changed. Parts left empty are unchanged.
struct PanelUpdate {
  // A sentence to show the user in a message box; after a search that ran, what
  // the summary does not tell (one line each).
  std::optional<std::u16string> message;
  // A document for the page view: a local file's path, optionally with "#" and
  // an anchor name; or kBlankPage.
  std::optional<std::string> pageToShow;
  std::optional<ReadingUpdate> reading;
  // The record the contents tree must select (after a volume step).
  std::optional<int> treeSelection;
  // The record of the volume shown, which the contents tree marks as its current
  // item without choosing it: the search range stays as it is.
  std::optional<int> treeFollow;
  // The index page of the result row whose page is shown: the list marks that row
  // where it stands on the list page shown.
  std::optional<int32_t> listSelection;
  std::optional<std::u16string> rangeLabel;
  std::optional<std::u16string> summary;
  // The rows of the current list page, in the view shown; valid until the next
  // command. A command that changes the list gives one of the two.
  std::optional<std::span<const SearchNodeTag>> rows;
  std::optional<std::span<const HitRow>> hitRows;
  std::optional<PagerState> pager;
  // Search only: how it ended.
  std::optional<SearchOutcome> outcome;
  // The collection was rebuilt and opened again: the contents tree is built anew
  // from the catalogue, and nothing of the old one is shown.
  bool catalogueReloaded = false;
};

class LeftFormModel {
 public:
  struct Environment {
    std::filesystem::path dataFolder;  // catalogue, volume store, index sets, variants
    MessageSink* messages = nullptr;   // required: the catalogue's and the index's reports
    std::filesystem::path tempParent;  // empty: the user's temporary folder
    std::filesystem::path listingPath = kCatalogueListingFileName;
  };

  // Composes the temporary file paths inside a private folder and opens the
  // full-text index set.
  explicit LeftFormModel(const Environment& environment);
  // Closes the index; the private folder goes with its files.
  ~LeftFormModel();
  LeftFormModel(const LeftFormModel&) = delete;
  LeftFormModel& operator=(const LeftFormModel&) = delete;

  // Loads the catalogue into the table, the graph and the tree shape; the range
  // label names the range record.
  CatalogueLoadResult InitialUpdate();

  // --- Commands ---
  // The tree's selection moved to record `record`: the search range follows; a
  // volume (an item without children) also shows its first page.
  PanelUpdate SelectTreeItem(int record);
  // The "全体" button: the whole collection becomes the search range.
  PanelUpdate SelectWholeCollection();
  // The search command: checks the request, searches and lists the first list page.
  PanelUpdate Search(const SearchRequest& request);
  // A search target was chosen: reopens the index on its set and records where
  // result pages mark their hits.
  PanelUpdate ChooseTarget(SearchTarget target);
  // The paging row: one list page back or on, or the page typed into its edit.
  PanelUpdate PreviousResultPage();
  PanelUpdate NextResultPage();
  PanelUpdate ApplyPageEdit(std::u16string_view text);
  // The radio buttons "頁" and "文脈": page rows or hit rows, from list page 1.
  PanelUpdate ChooseView(ResultView view);
  // A header click: the whole result in that order, from list page 1.
  PanelUpdate OrderPageRows(PageRowOrder order);
  PanelUpdate OrderHitRows(HitRowOrder order);
  // How many characters of context hit rows show on each side.
  PanelUpdate SetContextChars(size_t chars);
  // A result row was chosen: renders its index page `page` with every hit marked
  // into the next result file and shows it at its first hit. Nothing changes when
  // the page cannot be rendered or written.
  PanelUpdate ShowResultRow(int32_t page);
  // A hit row of the list page shown was chosen: its page as ShowResultRow shows
  // it, at that hit's anchor.
  PanelUpdate ShowHitRow(size_t indexOnListPage);
  // Previous (-1) or next (+1) page of the volume shown.
  PanelUpdate StepPage(int delta);
  // Previous (-1) or next (+1) volume by the record scan: shows its first page, or
  // the message that there is none. `selectedRecord` is the tree's selection (0:
  // none), from which the tree's own sibling order leads.
  PanelUpdate StepVolume(int direction, int selectedRecord);
  // Previous (-1) or next (+1) hit of the result page shown; past its first or
  // last hit, the neighbouring result row's page at its last or first hit.
  PanelUpdate StepHit(int delta);
  // The slider was let go at page `page` of the volume shown.
  PanelUpdate GoToSliderPage(int32_t page);
  // Shows page `page` (as the slider counts it) of volume `record` as a stored
  // page: the reading, the toolbar and the contents tree follow; the search
  // range stays. Nothing changes when the page cannot be shown.
  PanelUpdate OpenStoredPage(int record, int32_t page);
  // The page shown before (after) the one shown, as a browser goes back and
  // forward: a stored page, or a result page with the marks and the hit it had.
  PanelUpdate GoBack();
  PanelUpdate GoForward();

  // --- Reading the state ---
  const ContentsCatalogue& Catalogue() const { return m_catalogue; }
  const CIndex& Index() const { return m_index; }
  ReadingState Reading() const;
  bool CanGoBack() const { return m_history.CanGoBack(); }
  bool CanGoForward() const { return m_history.CanGoForward(); }
  int32_t CurNode() const { return m_nCurNode; }
  int32_t CurPage() const { return m_nCurPage; }
  int32_t HitCount() const { return m_nHitCount; }
  int32_t CurHit() const { return m_nCurHit; }
  // The range record, or kWholeCollection.
  int RangeNode() const { return m_nRangeNode; }
  const std::u16string& RangeLabel() const { return m_strRange; }
  const std::u16string& KeyWords() const { return m_strKeyWords; }
  SearchMethod Method() const { return m_nSearchMethod; }
  SearchTarget Target() const { return m_nSearchTarget; }
  bool Variants() const { return m_bVariants; }
  HitScope HighlightScope() const { return m_nHighlightScope; }
  const std::u16string& Summary() const { return m_strSummary; }
  // The rows of the last search: their pages and places, each row made when
  // asked for; valid until the next search.
  const ResultRows& SearchNodes() const { return m_SearchNodes; }
  // Row `i` of the page rows in the order chosen.
  SearchNodeTag OrderedRow(size_t i) const { return m_SearchNodes.OrderedRow(i); }
  ResultView View() const { return m_resultView; }
  PageRowOrder PageOrder() const { return m_pageOrder; }
  HitRowOrder HitOrder() const { return m_hitOrder; }
  uint64_t HitRowCount() const { return m_hits.Count(); }
  size_t ContextChars() const { return m_nContextChars; }
  std::span<const HitRow> ListHits() const { return m_listHits; }
  int64_t Places() const { return m_nPlaces; }
  const ResultPaging& Paging() const { return m_paging; }
  // The page rows of the current list page, in the order chosen.
  std::span<const SearchNodeTag> ListRows() const { return m_listRows; }
  PagerState Pager() const { return m_paging.Pager(); }
  std::u16string PageLabel() const { return PageLabelText(m_nCurPage, Slider().maximum); }
  SliderRange Slider() const { return VolumeSliderRange(m_catalogue.Record(m_nCurNode)); }
  // The page files.
  const std::filesystem::path& TempPage() const { return m_strTempPage; }
  const std::filesystem::path& TempResult1() const { return m_strTempResult1; }
  const std::filesystem::path& TempResult2() const { return m_strTempResult2; }
  const std::filesystem::path& HitPage() const { return m_strHitPage; }

  // The stored page that ShowPage shows: page `page` of volume `record` (its first
  // page when useFirstPage), and its entry. False when it cannot be found or read;
  // `fault`, when given, then says why a page that was found could not be read.
  bool ReadStoredPage(int record, bool useFirstPage, int32_t page, std::string& html,
                      int32_t* entry = nullptr, DataFault* fault = nullptr) const;

  // The result as the list shows it, every row of the view shown in the order
  // chosen, as CSV records (header first), handed to `write` a piece at a time.
  void WriteResultCsv(const std::function<void(std::string_view)>& write);
  // The same into `file`, through a temporary file beside it that replaces it
  // only when everything was written. False with `error` set otherwise; no
  // half-written file is left under either name.
  bool SaveResultCsv(const std::filesystem::path& file, std::string& error);
  // The first fault met reading a page for the hit rows since the last call:
  // their text is missing where it was met.
  std::optional<DataFault> TakeRenderFault() { return std::exchange(m_renderFault, std::nullopt); }

  // The hit rows of the whole result in the order chosen, one at a time.
  void ForEachHitRow(const std::function<void(const HitRow&)>& sink);

  // Where the page shown in the page view stands (category, book, volume and
  // page within the volume); nothing before a page was shown or when no record
  // covers it.
  std::optional<SearchNodeTag> ShownPlace() const;
  // The same as a citation: "出典：…", with the heading the cited text stands
  // under: with `headingsAbove` headings above it on the page (as the page view
  // counts them), the last of those; with none, the last heading of an earlier
  // page of the volume.
  std::optional<std::u16string> CitationOfShownPage(int headingsAbove = 0) const;
  // The main window's caption: the product's name, then the category, the book,
  // the volume and the page shown.
  std::u16string WindowCaption() const;

 private:
  // Writes one stored page of volume `record` to the page file and names it in
  // `update`. Keeps m_nCurNode and m_nCurPage. A page that cannot be found or
  // read or written shows nothing: the page view keeps its page.
  bool ShowPage(int record, bool useFirstPage, int32_t page, PanelUpdate& update);
  // The toolbar's part of `update` after a page of the volume shown.
  void ReportReading(bool volumeChanged, PanelUpdate& update) const;
  // ReportReading, and a stored page shown goes into the history.
  void FinishStoredPage(bool volumeChanged, PanelUpdate& update);
  // Renders index page `entry` with the marks of `keywords` into the next result
  // file and shows it at hit `hit` (-1: its last hit); the reading follows it
  // into its volume. False, and nothing changed, when it cannot be rendered or
  // written.
  bool ShowResultPage(int32_t entry, const std::u16string& keywords, HitScope scope, bool variants,
                      int32_t hit, PanelUpdate& update);
  // The volume that holds index page `entry` becomes the volume shown, at that
  // page: the toolbar and the contents tree follow.
  void FollowPage(int32_t entry, PanelUpdate& update);
  // Where the row of index page `entry` stands in the page rows' order; -1 when
  // it is not a row of the last search.
  int64_t RowPositionOf(int32_t entry) const;
  void Remember(const PageVisit& visit);
  PanelUpdate ShowVisit(const std::optional<PageVisit>& visit);
  // The list's part of `update`: the current list page's rows and the paging row.
  void ReportList(PanelUpdate& update);
  // Puts the rows of the view shown back to list page 1.
  void ResetList();
  // No result: its rows name nodes of a catalogue about to be replaced.
  void ForgetResult();
  // Turns the list to the list page that holds the row of page row `row` (a
  // position in the page rows' order), at hit `hit` among hit rows. False
  // when the list stays: the row is on the list page shown, or the hit rows'
  // order does not tell where it stands without rendering every page.
  bool TurnListToRow(int64_t row, int32_t hit);
  // Renders a result page for the hit rows; a page that cannot be read leaves
  // its fault in m_renderFault.
  RenderedPage RenderResultPage(uint32_t page) const;
  void FailSearch(std::u16string_view message, SearchOutcome outcome, PanelUpdate& update) const;
  // Opens the index set of the search target, and notes the build it is of.
  void OpenIndex();
  // The last heading on the pages of the shown volume before the shown page.
  std::u16string HeadingBeforeShownPage() const;

  // The first fault met rendering pages for hit rows since it was last taken.
  mutable std::optional<DataFault> m_renderFault;

  // The contents: m_NodeItem, m_nNodeCount and m_pRoot.
  ContentsCatalogue m_catalogue;
  CIndex m_index;
  // The pair index beside the open set is there but set aside, and no search
  // has said so yet.
  bool m_pairIndexAsideUntold = false;

  int32_t m_nCurNode = 0;
  int32_t m_nCurPage = 0;
  int32_t m_nRangeNode = kWholeCollection;
  std::u16string m_strRange;
  std::filesystem::path m_strTempPage;
  std::filesystem::path m_strTempResult1;
  std::filesystem::path m_strTempResult2;
  int32_t m_nHitCount = 0;
  int32_t m_nCurHit = 0;
  std::filesystem::path m_strHitPage;

  std::u16string m_strKeyWords;
  SearchMethod m_nSearchMethod = SearchMethod::kAnd;
  SearchTarget m_nSearchTarget = SearchTarget::kFullText;
  // The build identifier of the collection's manifest when the index was last
  // opened; empty for a collection without one.
  std::string m_buildId;
  bool m_bVariants = true;
  HitScope m_nHighlightScope = HitScopeFullText;
  std::u16string m_strSummary = kSummaryCaption;

  // The last search's pages and place counts: a query the index refuses lists
  // them again in the range it names.
  SearchResult m_lastResult;
  ResultRows m_SearchNodes;               // of the range node, in m_pageOrder
  std::vector<SearchNodeTag> m_listRows;  // the list page shown
  HitList m_hits;
  std::vector<HitRow> m_listHits;  // the list page shown
  ResultView m_resultView = ResultView::kPages;
  PageRowOrder m_pageOrder = PageRowOrder::kReading;
  HitRowOrder m_hitOrder = HitRowOrder::kReading;
  size_t m_nContextChars = kDefaultContextChars;
  int64_t m_nShownEntry = -1;  // the index page in the page view, -1 for none
  // The result page the hit commands step through (m_strHitPage): its index page,
  // the marks it was rendered with, and its row's place in the page rows' order
  // (-1: not a row of the last search, or no result page).
  int32_t m_nHitEntry = -1;
  PageVisit m_hitMarks;
  int64_t m_nHitRow = -1;
  bool m_bHitPageShown = false;  // the page view shows m_strHitPage
  PageHistory m_history;
  bool m_bReplaying = false;  // showing a visit of the history, which it keeps
  ResultPaging m_paging;      // m_nResultPages, m_nCurResultPage
  bool m_bFirstResultFile = true;
  int64_t m_nPlaces = 0;  // places of the rows of the last search

  std::filesystem::path dataFolder_;
  MessageSink& messages_;
  std::filesystem::path listingPath_;
  io::PrivateTempFolder tempFolder_;
};

}  // namespace quillwen
