#include "core/panel_model/left_form_model.h"

#include <algorithm>

#include "core/io/private_temp_folder.h"
#include "core/io/write_file.h"
#include "core/panel_model/collection_checks.h"
#include "core/panel_model/decimal_text.h"
#include "core/panel_model/panel_layout.h"
#include "core/panel_model/search_notes.h"
#include "core/store/collection_lock.h"
#include "core/store/collection_manifest.h"

namespace quillwen {

std::u16string SummaryText(int64_t pages, int64_t places) {
  return u"全部で " + DecimalText(pages) + u" 頁で、" + DecimalText(places) + u" 箇所でした。";
}

std::u16string TooManyTermsMessage(int terms) {
  return u"キーワードが多すぎます。一度に検索できるのは " + DecimalText(kMaxQueryTerms) +
         u" 語までです（" + DecimalText(terms) + u" 語ありました）。";
}

std::u16string DamagedIndexMessage(const std::filesystem::path& postingsFile) {
  return u"索引ファイル " + postingsFile.u16string() +
         u" が壊れています。見つかった頁だけを示しました。";
}

std::u16string DamagedPairIndexMessage(const std::filesystem::path& pairIndexFile) {
  return u"補助索引ファイル " + pairIndexFile.u16string() +
         u" が壊れているか、この索引のものではありません。使わずに検索しました（結果は変わりません"
         u"）。";
}

IndexScope ScopeOfTarget(SearchTarget target) {
  switch (target) {
    case SearchTarget::kMainText:
      return ScopeMainText;
    case SearchTarget::kAnnotations:
      return ScopeAnnotations;
    default:
      return ScopeFullText;
  }
}

HitScope HighlightScopeOfTarget(SearchTarget target) {
  switch (target) {
    case SearchTarget::kMainText:
      return HitScopeMainText;
    case SearchTarget::kAnnotations:
      return HitScopeAnnotations;
    default:
      return HitScopeFullText;
  }
}

LeftFormModel::LeftFormModel(const Environment& environment)
    : m_index(environment.messages),
      dataFolder_(environment.dataFolder),
      messages_(*environment.messages),
      listingPath_(environment.listingPath),
      tempFolder_(environment.tempParent) {
  m_strTempPage = tempFolder_.Path() / kTempPageName;
  m_strTempResult1 = tempFolder_.Path() / kTempResult1Name;
  m_strTempResult2 = tempFolder_.Path() / kTempResult2Name;
  OpenIndex();
}

void LeftFormModel::OpenIndex() {
  // Every file of one build: a builder moving a new build in waits, and so do we.
  const io::FileLock lock = LockCollectionForReading(dataFolder_);
  m_buildId = ManifestBuildId(dataFolder_);
  m_index.Close();
  m_index.Open(dataFolder_, kCollectionBaseNameWide, ScopeOfTarget(m_nSearchTarget));
  m_pairIndexAsideUntold = !m_index.PairIndexFault().problem.empty();
}

LeftFormModel::~LeftFormModel() { m_index.Close(); }

CatalogueLoadResult LeftFormModel::InitialUpdate() {
  ForgetResult();
  const io::FileLock lock = LockCollectionForReading(dataFolder_);
  // Rebuilt since the index was opened: open it again, so that the catalogue
  // and the index are of one build.
  if (ManifestBuildId(dataFolder_) != m_buildId) {
    OpenIndex();
    m_lastResult = SearchResult{};
  }
  const CatalogueLoadResult result = m_catalogue.Load(dataFolder_, messages_, listingPath_);
  ReportCollectionChecks(dataFolder_, m_catalogue, m_index.FileList(), messages_);
  // The range starts on the whole collection, which a first search expects.
  m_strRange = kWholeCollectionLabel;
  return result;
}

PanelUpdate LeftFormModel::SelectWholeCollection() {
  PanelUpdate update;
  m_nRangeNode = kWholeCollection;
  m_strRange = kWholeCollectionLabel;
  update.rangeLabel = m_strRange;
  return update;
}

PanelUpdate LeftFormModel::SelectTreeItem(int record) {
  PanelUpdate update;
  m_nRangeNode = record;
  m_strRange = m_catalogue.RangeLabel(record);
  update.rangeLabel = m_strRange;
  if (!m_catalogue.TreeChildren(record).empty() || m_catalogue.NodeOf(record) == nullptr)
    return update;
  m_nCurNode = record;
  m_nCurPage = m_catalogue.Record(record).curFileName;
  ShowPage(m_nCurNode, true, 0, update);
  FinishStoredPage(true, update);
  return update;
}

ReadingState LeftFormModel::Reading() const {
  ReadingState state{&m_catalogue, m_nCurNode, m_nCurPage, m_nHitCount, m_nCurHit};
  // Without a result page of this search the hit commands start at its first row.
  state.resultRowBefore = m_nHitRow > 0;
  state.resultRowAfter = m_nHitRow + 1 < static_cast<int64_t>(m_SearchNodes.Count());
  return state;
}

bool LeftFormModel::ReadStoredPage(int record, bool useFirstPage, int32_t page, std::string& html,
                                   int32_t* entryFound, DataFault* fault) const {
  const CatalogueRecord& volume = m_catalogue.Record(record);
  if (useFirstPage) page = volume.curFileName;
  // A damaged docID of 0 or less starts no scan (FindPage refuses a negative start).
  const int32_t start = static_cast<int32_t>(std::max<int64_t>(int64_t{volume.docID} - 1, -1));
  int32_t entry = 0;
  if (!m_index.FindPage(start, page, &entry)) return false;
  if (!m_index.ReadPageToShow(static_cast<uint32_t>(entry), html)) {
    if (fault != nullptr) *fault = m_index.FileList().LastFault();
    return false;
  }
  if (entryFound != nullptr) *entryFound = entry;
  return true;
}

bool LeftFormModel::ShowPage(int record, bool useFirstPage, int32_t page, PanelUpdate& update) {
  std::string html;
  int32_t entry = 0;
  if (!ReadStoredPage(record, useFirstPage, page, html, &entry)) return false;
  if (!io::WriteWholeFile(m_strTempPage, html)) return false;
  update.pageToShow = m_strTempPage.string();
  m_nShownEntry = entry;
  m_bHitPageShown = false;
  return true;
}

void LeftFormModel::ReportReading(bool volumeChanged, PanelUpdate& update) const {
  update.reading = ReadingUpdate{m_nCurNode, m_nCurPage, volumeChanged, Slider(), PageLabel()};
}

void LeftFormModel::FinishStoredPage(bool volumeChanged, PanelUpdate& update) {
  ReportReading(volumeChanged, update);
  if (!update.pageToShow) return;
  PageVisit visit;
  visit.record = m_nCurNode;
  visit.page = m_nCurPage;
  Remember(visit);
}

void LeftFormModel::Remember(const PageVisit& visit) {
  if (!m_bReplaying) m_history.Visit(visit);
}

void LeftFormModel::FollowPage(int32_t entry, PanelUpdate& update) {
  const int record = m_catalogue.VolumeRecordOf(static_cast<uint32_t>(entry));
  if (record == 0) return;
  const CatalogueRecord& volume = m_catalogue.Record(record);
  const int64_t page = int64_t{entry} + 1 - volume.docID + volume.curFileName;
  const bool volumeChanged = record != m_nCurNode;
  m_nCurNode = record;
  m_nCurPage = static_cast<int32_t>(std::clamp<int64_t>(page, INT32_MIN, INT32_MAX));
  ReportReading(volumeChanged, update);
  update.treeFollow = record;
}

int64_t LeftFormModel::RowPositionOf(int32_t entry) const {
  for (size_t i = 0; i < m_SearchNodes.Count(); ++i) {
    if (m_SearchNodes.OrderedPage(i) == static_cast<uint32_t>(entry))
      return static_cast<int64_t>(i);
  }
  return -1;
}

void LeftFormModel::ReportList(PanelUpdate& update) {
  const size_t first = m_paging.FirstRow();
  const size_t count = m_paging.RowCount();
  m_listRows.clear();
  m_listHits.clear();
  if (m_resultView == ResultView::kPages) {
    for (size_t i = first; i < first + count && i < m_SearchNodes.Count(); ++i)
      m_listRows.push_back(OrderedRow(i));
    update.rows = ListRows();
  } else {
    m_listHits = m_hits.Rows(
        first, count, m_hitOrder, [this](uint32_t page) { return RenderResultPage(page); },
        m_nContextChars);
    update.hitRows = ListHits();
    if (const std::optional<DataFault> fault = TakeRenderFault()) {
      const std::u16string unread = PagesUnreadableMessage(*fault);
      update.message = update.message ? *update.message + u"\n" + unread : unread;
    }
  }
  update.pager = Pager();
}

void LeftFormModel::ResetList() {
  m_paging.Reset(m_resultView == ResultView::kPages ? m_SearchNodes.Count()
                                                    : static_cast<size_t>(m_hits.Count()));
}

bool LeftFormModel::TurnListToRow(int64_t row, int32_t hit) {
  if (m_resultView == ResultView::kPages) return m_paging.ShowRow(static_cast<size_t>(row));
  if (m_hitOrder != HitRowOrder::kReading) return false;
  // Hit rows in reading order stand page by page, each page's in the order of
  // its hits.
  const size_t reading = m_SearchNodes.ReadingIndexAt(static_cast<size_t>(row));
  const uint64_t places = m_SearchNodes.PlacesAt(reading);
  if (places == 0) return false;
  const uint64_t within = std::min<uint64_t>(static_cast<uint64_t>(std::max(hit, 0)), places - 1);
  return m_paging.ShowRow(static_cast<size_t>(m_hits.FirstRowOfPage(reading) + within));
}

void LeftFormModel::ForgetResult() {
  m_SearchNodes.Clear();
  m_hits.Reset(m_SearchNodes);
  m_nPlaces = 0;
  m_listRows.clear();
  m_listHits.clear();
  m_nHitRow = -1;
  ResetList();
}

RenderedPage LeftFormModel::RenderResultPage(uint32_t page) const {
  RenderedPage rendered;
  m_index.FileList().ForgetFault();
  m_index.RenderWithVariants(page, rendered.document, m_strKeyWords, m_nHighlightScope, m_bVariants,
                             &rendered.anchors);
  const DataFault& fault = m_index.FileList().LastFault();
  if (rendered.document.empty() && !fault.problem.empty() && !m_renderFault) m_renderFault = fault;
  return rendered;
}

void LeftFormModel::FailSearch(std::u16string_view message, SearchOutcome outcome,
                               PanelUpdate& update) const {
  update.message =
      update.message ? *update.message + u"\n" + std::u16string(message) : std::u16string(message);
  update.outcome = outcome;
}

PanelUpdate LeftFormModel::Search(const SearchRequest& request) {
  PanelUpdate update;
  m_nCurHit = 0;
  m_nSearchMethod = request.method;
  m_bVariants = request.variants;
  // A rebuilt collection found on opening the target's set is told, with
  // everything the reload changed.
  if (request.target != m_nSearchTarget) update = ChooseTarget(request.target);
  if (request.range) {
    m_nRangeNode = *request.range == kWholeCollection
                       ? kWholeCollection
                       : std::clamp(*request.range, 0, kMaxCatalogueRecords + 1);
  }

  const std::u16string previousKeywords = m_strKeyWords;
  m_strKeyWords.clear();
  if (!request.keywords) {
    update.outcome = SearchOutcome::kNoInputValue;
    return update;
  }
  // The user may separate terms by ideographic spaces, tabs or line breaks.
  const std::u16string typed = SeparateTermsBySpaces(*request.keywords);
  m_strKeyWords = typed;
  // The whole collection of an empty catalogue is no range either, nor a record
  // that no node of the contents matches (an unknown record reads as zeros).
  const ContentsNodeTag* range =
      m_nRangeNode == kWholeCollection
          ? (m_catalogue.TreeChildren(0).empty() ? nullptr : m_catalogue.m_pRoot.get())
          : FindRecordNode(*m_catalogue.m_pRoot, m_catalogue.Record(m_nRangeNode));
  if (range == nullptr) {
    FailSearch(kNoRangeMessage, SearchOutcome::kNoRange, update);
    return update;
  }
  // Spaces alone are no keywords either.
  if (typed.find_first_not_of(u' ') == std::u16string::npos) {
    m_strKeyWords = previousKeywords;
    FailSearch(kNoKeywordsMessage, SearchOutcome::kNoKeywords, update);
    return update;
  }

  if (const int terms = CountTerms(typed); terms > kMaxQueryTerms) {
    m_strKeyWords = previousKeywords;
    FailSearch(TooManyTermsMessage(terms), SearchOutcome::kTooManyTerms, update);
    return update;
  }
  // A query the index refuses changes no result: the last one is listed again.
  std::u16string skippedNote;
  std::u16string notes;
  if (const std::optional<Query> query = ParseQuery(typed)) {
    m_lastResult = m_index.Search(*query, m_nSearchMethod, m_bVariants, std::move(m_lastResult));
    // The hits are marked as they were searched, so that every counted place is.
    m_strKeyWords = query->searchedText;
    skippedNote = SkippedCharactersNote(*query);
    notes = UnsearchableTermsMessage(*query);
  }
  m_SearchNodes.Assign(range, m_lastResult.pages, m_lastResult.placeCounts, m_pageOrder);
  m_nPlaces = m_SearchNodes.Places();
  m_hits.Reset(m_SearchNodes);
  ResetList();
  m_strSummary = SummaryText(static_cast<int64_t>(m_SearchNodes.Count()), m_nPlaces) + skippedNote;
  // The hits of the last search are gone with it: a result page of it would
  // show marks the summary no longer speaks of. A stored page stays in view.
  m_nHitCount = 0;
  m_nCurHit = 0;
  m_nHitRow = -1;
  m_nHitEntry = -1;
  if (m_bHitPageShown) {
    m_bHitPageShown = false;
    m_nShownEntry = -1;
    m_history.Leave();
    update.pageToShow = kBlankPage;
    // Over the blank page the toolbar shows no volume and the page commands
    // have none to step in, as before the first page.
    m_nCurNode = 0;
    m_nCurPage = 0;
    update.reading = ReadingUpdate{0, 0, true, Slider(), std::u16string()};
  }
  update.outcome = SearchOutcome::kRan;
  update.summary = m_strSummary;
  if (const std::u16string variants = m_bVariants ? VariantTableNote(m_index) : u"";
      !variants.empty())
    notes += (notes.empty() ? u"" : u"\n") + variants;
  if (m_lastResult.damagedList)
    notes += (notes.empty() ? u"" : u"\n") + DamagedIndexMessage(m_index.PostingsPath());
  // Said once: the file stays aside until the collection is opened again.
  if (m_lastResult.damagedPairIndex || m_pairIndexAsideUntold) {
    notes += (notes.empty() ? u"" : u"\n") + DamagedPairIndexMessage(m_index.Pairs().Path());
    m_pairIndexAsideUntold = false;
  }
  if (!notes.empty()) update.message = update.message ? *update.message + u"\n" + notes : notes;
  ReportList(update);
  return update;
}

PanelUpdate LeftFormModel::ChooseTarget(SearchTarget target) {
  PanelUpdate update;
  m_nSearchTarget = target;
  const std::string openedBuild = m_buildId;
  OpenIndex();
  // The new set is of the new build, the catalogue and the pages shown of the
  // old one: the whole collection is opened again, and the front end told.
  if (m_buildId != openedBuild) {
    InitialUpdate();
    // Record numbers and pages of the old catalogue mean nothing in the new one.
    m_nRangeNode = kWholeCollection;
    m_nCurNode = 0;
    m_nCurPage = 0;
    m_nShownEntry = -1;
    m_bHitPageShown = false;
    m_history = PageHistory();
    update.catalogueReloaded = true;
    update.pageToShow = kBlankPage;
    update.rangeLabel = m_strRange;
    ReportReading(true, update);
    update.message = kCollectionRebuiltMessage;
  }
  // Opening empties the index's result: a refused query finds nothing to list again.
  m_lastResult = SearchResult{};
  m_nHighlightScope = HighlightScopeOfTarget(target);
  return update;
}

PanelUpdate LeftFormModel::PreviousResultPage() {
  PanelUpdate update;
  if (m_paging.Previous()) ReportList(update);
  return update;
}

PanelUpdate LeftFormModel::NextResultPage() {
  PanelUpdate update;
  if (m_paging.Next()) ReportList(update);
  return update;
}

PanelUpdate LeftFormModel::ApplyPageEdit(std::u16string_view text) {
  PanelUpdate update;
  if (m_paging.ApplyPageEdit(text)) {
    ReportList(update);
  } else if (!m_paging.NamesListPage(text)) {
    // A number no list page has: the edit shows the current page again.
    update.pager = Pager();
  }
  return update;
}

PanelUpdate LeftFormModel::ChooseView(ResultView view) {
  PanelUpdate update;
  m_resultView = view;
  ResetList();
  ReportList(update);
  return update;
}

PanelUpdate LeftFormModel::OrderPageRows(PageRowOrder order) {
  PanelUpdate update;
  m_pageOrder = order;
  m_SearchNodes.Order(m_pageOrder);
  if (m_nHitRow >= 0) m_nHitRow = RowPositionOf(m_nHitEntry);
  if (m_resultView == ResultView::kPages) {
    ResetList();
    ReportList(update);
  }
  return update;
}

PanelUpdate LeftFormModel::OrderHitRows(HitRowOrder order) {
  PanelUpdate update;
  m_hitOrder = order;
  if (m_resultView == ResultView::kHits) {
    ResetList();
    ReportList(update);
  }
  return update;
}

PanelUpdate LeftFormModel::SetContextChars(size_t chars) {
  PanelUpdate update;
  m_nContextChars = chars;
  if (m_resultView == ResultView::kHits && m_paging.m_nResultPages > 0) ReportList(update);
  return update;
}

PanelUpdate LeftFormModel::ShowHitRow(size_t indexOnListPage) {
  if (indexOnListPage >= m_listHits.size()) return {};
  const HitRow& row = m_listHits[indexOnListPage];
  PanelUpdate update;
  // A place the marker could not mark opens its page as a page row does.
  ShowResultPage(row.pageRow->page, m_strKeyWords, m_nHighlightScope, m_bVariants,
                 std::max(row.anchor, 0), update);
  return update;
}

void LeftFormModel::ForEachHitRow(const std::function<void(const HitRow&)>& sink) {
  m_hits.ForEachRow(
      m_hitOrder, [this](uint32_t page) { return RenderResultPage(page); }, m_nContextChars, sink);
}

PanelUpdate LeftFormModel::ShowResultRow(int32_t page) {
  PanelUpdate update;
  ShowResultPage(page, m_strKeyWords, m_nHighlightScope, m_bVariants, 0, update);
  return update;
}

bool LeftFormModel::ShowResultPage(int32_t entry, const std::u16string& keywords, HitScope scope,
                                   bool variants, int32_t hit, PanelUpdate& update) {
  const std::filesystem::path& target = m_bFirstResultFile ? m_strTempResult1 : m_strTempResult2;
  std::string document;
  const int anchors =
      m_index.RenderWithVariants(static_cast<uint32_t>(entry), document, keywords, scope, variants);
  // A page that does not render leaves the page view, and the hits, as they were.
  if (document.empty() || !io::WriteWholeFile(target, document)) return false;
  m_nHitCount = anchors;
  const int32_t lastHit = std::max(anchors - 1, 0);
  m_nCurHit = hit < 0 ? lastHit : std::min(hit, lastHit);
  update.pageToShow = target.string() + HitFragment(m_nCurHit);
  m_nShownEntry = entry;
  m_bFirstResultFile = !m_bFirstResultFile;
  m_strHitPage = target;
  m_bHitPageShown = true;
  m_nHitEntry = entry;
  m_hitMarks.kind = PageVisit::Kind::kResultPage;
  m_hitMarks.entry = entry;
  m_hitMarks.hit = m_nCurHit;
  m_hitMarks.keywords = keywords;
  m_hitMarks.scope = scope;
  m_hitMarks.variants = variants;
  // A page marked for another query (one gone back to) is no row of this result.
  const bool ofThisSearch =
      keywords == m_strKeyWords && scope == m_nHighlightScope && variants == m_bVariants;
  m_nHitRow = ofThisSearch ? RowPositionOf(entry) : -1;
  if (m_nHitRow >= 0) {
    // The list follows the hits to the list page that holds the row.
    if (TurnListToRow(m_nHitRow, m_nCurHit)) ReportList(update);
    update.listSelection = entry;
  }
  FollowPage(entry, update);
  Remember(m_hitMarks);
  return true;
}

PanelUpdate LeftFormModel::StepPage(int delta) {
  PanelUpdate update;
  m_nCurPage += delta;
  ShowPage(m_nCurNode, false, m_nCurPage, update);
  FinishStoredPage(false, update);
  return update;
}

PanelUpdate LeftFormModel::StepVolume(int direction, int selectedRecord) {
  PanelUpdate update;
  const int record = direction > 0 ? NextVolumeRecord(Reading()) : PreviousVolumeRecord(Reading());
  if (record == 0) {
    update.message = direction > 0 ? kLastVolumeMessage : kFirstVolumeMessage;
    return update;
  }
  m_nCurNode = record;
  ShowPage(m_nCurNode, true, 0, update);
  m_nCurPage = m_catalogue.Record(record).curFileName;
  FinishStoredPage(true, update);
  // The tree follows its own sibling order from the selected item. Where that
  // order has no answer (the end of a category, or nothing selected) the shown
  // volume's item is selected, so the tree never points away from the page.
  int target = 0;
  if (selectedRecord != 0) {
    target = direction > 0 ? m_catalogue.NextVolumeTreeTarget(selectedRecord)
                           : m_catalogue.PreviousVolumeTreeTarget(selectedRecord);
  }
  update.treeSelection = target != 0 ? target : m_nCurNode;
  return update;
}

PanelUpdate LeftFormModel::StepHit(int delta) {
  PanelUpdate update;
  const int64_t hit = int64_t{m_nCurHit} + delta;
  if (hit < 0 || hit >= m_nHitCount) {
    // Past the page's hits: the neighbouring row's page, entered from its near end.
    const int64_t row = m_nHitRow + (delta > 0 ? 1 : -1);
    if (row >= 0 && row < static_cast<int64_t>(m_SearchNodes.Count())) {
      const uint32_t page = m_SearchNodes.OrderedPage(static_cast<size_t>(row));
      ShowResultPage(static_cast<int32_t>(page), m_strKeyWords, m_nHighlightScope, m_bVariants,
                     delta > 0 ? 0 : -1, update);
    }
    return update;
  }
  m_nCurHit = static_cast<int32_t>(hit);
  update.pageToShow = m_strHitPage.string() + HitFragment(m_nCurHit);
  // From a page read on to, the hit page comes back and the reading with it.
  if (!m_bHitPageShown) FollowPage(m_nHitEntry, update);
  m_bHitPageShown = true;
  m_nShownEntry = m_nHitEntry;
  m_hitMarks.hit = m_nCurHit;
  Remember(m_hitMarks);
  return update;
}

PanelUpdate LeftFormModel::GoToSliderPage(int32_t page) {
  PanelUpdate update;
  if (m_nCurNode == 0) return update;
  ShowPage(m_nCurNode, false, page, update);
  m_nCurPage = page;
  FinishStoredPage(false, update);
  return update;
}

PanelUpdate LeftFormModel::GoBack() { return ShowVisit(m_history.Back()); }

PanelUpdate LeftFormModel::GoForward() { return ShowVisit(m_history.Forward()); }

PanelUpdate LeftFormModel::OpenStoredPage(int record, int32_t page) {
  PanelUpdate update;
  // Only a volume (an item without children) has pages of its own to read on in.
  if (m_catalogue.NodeOf(record) == nullptr || !m_catalogue.TreeChildren(record).empty() ||
      !ShowPage(record, false, page, update))
    return update;
  const bool volumeChanged = record != m_nCurNode;
  m_nCurNode = record;
  m_nCurPage = page;
  FinishStoredPage(volumeChanged, update);
  update.treeFollow = m_nCurNode;
  return update;
}

PanelUpdate LeftFormModel::ShowVisit(const std::optional<PageVisit>& visit) {
  PanelUpdate update;
  if (!visit) return update;
  m_bReplaying = true;
  if (visit->kind == PageVisit::Kind::kStoredPage) {
    update = OpenStoredPage(visit->record, visit->page);
  } else {
    ShowResultPage(visit->entry, visit->keywords, visit->scope, visit->variants, visit->hit,
                   update);
  }
  m_bReplaying = false;
  return update;
}

}  // namespace quillwen
