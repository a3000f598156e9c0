#include "core/panel_model/left_form_model.h"

#include <algorithm>

#include "core/io/private_temp_folder.h"
#include "core/panel_model/decimal_text.h"

namespace quillwen {

std::u16string SummaryText(int64_t pages, int64_t places) {
  return u"全部で " + DecimalText(pages) + u" 頁で、" + DecimalText(places) + u" 箇所でした。";
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
  m_index.Open(dataFolder_, kCollectionBaseNameWide, ScopeFullText);
}

LeftFormModel::~LeftFormModel() { m_index.Close(); }

CatalogueLoadResult LeftFormModel::InitialUpdate() {
  const CatalogueLoadResult result = m_catalogue.Load(dataFolder_, messages_, listingPath_);
  // The range starts on record 1: name it rather than show a placeholder.
  m_strRange = m_catalogue.RangeLabel(m_nRangeNode);
  return result;
}

PanelUpdate LeftFormModel::SelectTreeItem(int record) {
  PanelUpdate update;
  m_nRangeNode = static_cast<uint16_t>(record);
  m_strRange = m_catalogue.RangeLabel(record);
  update.rangeLabel = m_strRange;
  if (!m_catalogue.TreeChildren(record).empty() || m_catalogue.NodeOf(record) == nullptr)
    return update;
  m_nCurNode = record;
  m_nCurPage = m_catalogue.Record(record).curFileName;
  ShowPage(m_nCurNode, true, 0, update);
  ReportReading(true, update);
  return update;
}

bool LeftFormModel::ReadStoredPage(int record, bool useFirstPage, int32_t page,
                                   std::string& html) const {
  const CatalogueRecord& volume = m_catalogue.Record(record);
  if (useFirstPage) page = volume.curFileName;
  // A damaged docID of 0 or less starts no scan (FindPage refuses a negative start).
  const int32_t start = static_cast<int32_t>(std::max<int64_t>(int64_t{volume.docID} - 1, -1));
  int32_t entry = 0;
  return m_index.FindPage(start, page, &entry) &&
         m_index.ReadPage(static_cast<uint32_t>(entry), html);
}

bool LeftFormModel::ShowPage(int record, bool useFirstPage, int32_t page, PanelUpdate& update) {
  std::string html;
  if (!ReadStoredPage(record, useFirstPage, page, html)) return false;
  if (!io::WriteWholeFile(m_strTempPage, html)) return false;
  update.pageToShow = m_strTempPage.string();
  return true;
}

void LeftFormModel::ReportReading(bool volumeChanged, PanelUpdate& update) const {
  update.reading = ReadingUpdate{m_nCurNode, m_nCurPage, volumeChanged, Slider(), PageLabel()};
}

void LeftFormModel::ReportList(PanelUpdate& update) const {
  update.rows = ListRows();
  update.pager = Pager();
}

void LeftFormModel::FailSearch(std::u16string_view message, SearchOutcome outcome,
                               PanelUpdate& update) const {
  update.message = std::u16string(message);
  update.outcome = outcome;
}

PanelUpdate LeftFormModel::Search(const SearchRequest& request) {
  PanelUpdate update;
  m_nCurHit = 0;
  m_nSearchMethod = request.method;
  m_bVariants = request.variants;
  if (request.target != m_nSearchTarget) ChooseTarget(request.target);
  if (request.range)
    m_nRangeNode = static_cast<uint16_t>(std::clamp(*request.range, 0, int{UINT16_MAX}));

  const std::u16string previousKeywords = m_strKeyWords;
  m_strKeyWords.clear();
  if (!request.keywords) {
    update.outcome = SearchOutcome::kNoInputValue;
    return update;
  }
  // The user may separate terms by ideographic spaces: they separate like spaces.
  std::u16string typed = *request.keywords;
  std::replace(typed.begin(), typed.end(), u'\u3000', u' ');
  m_strKeyWords = typed;
  if (m_nRangeNode == 0) {
    FailSearch(kNoRangeMessage, SearchOutcome::kNoRange, update);
    return update;
  }
  if (typed.empty()) {
    m_strKeyWords = previousKeywords;
    FailSearch(kNoKeywordsMessage, SearchOutcome::kNoKeywords, update);
    return update;
  }

  // A query the index refuses changes no result: the last one is listed again.
  if (const std::optional<Query> query = ParseQuery(typed)) {
    m_lastResult = m_index.Search(*query, m_nSearchMethod, m_bVariants);
    m_strKeyWords = query->markText;
  }
  // Without a catalogue, or with a range record no node matches, there is no
  // range to keep pages in: nothing is listed.
  const ContentsNodeTag* range =
      FindNodeByRecord(m_catalogue.m_pRoot.get(), m_catalogue.Record(m_nRangeNode));
  m_nPlaces = 0;
  m_SearchNodes.clear();
  if (range != nullptr)
    m_nPlaces = BuildResults(*range, m_lastResult.pages, m_lastResult.placeCounts, m_SearchNodes);

  m_paging.Reset(m_SearchNodes.size());
  m_strSummary = SummaryText(static_cast<int64_t>(m_SearchNodes.size()), m_nPlaces);
  update.outcome = SearchOutcome::kRan;
  update.summary = m_strSummary;
  ReportList(update);
  return update;
}

PanelUpdate LeftFormModel::ChooseTarget(SearchTarget target) {
  m_nSearchTarget = target;
  m_index.Close();
  m_index.Open(dataFolder_, kCollectionBaseNameWide, ScopeOfTarget(target));
  // Opening empties the index's result: a refused query finds nothing to list again.
  m_lastResult = SearchResult{};
  m_nHighlightScope = HighlightScopeOfTarget(target);
  return {};
}

std::span<const SearchNodeTag> LeftFormModel::ListRows() const {
  const size_t first = m_paging.FirstRow();
  if (first >= m_SearchNodes.size()) return {};
  return std::span<const SearchNodeTag>(m_SearchNodes).subspan(first, m_paging.RowCount());
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

PanelUpdate LeftFormModel::ShowResultRow(int32_t page) {
  PanelUpdate update;
  const std::filesystem::path& target = m_bFirstResultFile ? m_strTempResult1 : m_strTempResult2;
  std::string document;
  const int anchors = m_index.RenderWithVariants(static_cast<uint32_t>(page), document,
                                                 m_strKeyWords, m_nHighlightScope, m_bVariants);
  // A page that does not render leaves the page view, and the hits, as they were.
  if (document.empty() || !io::WriteWholeFile(target, document)) return update;
  m_nHitCount = anchors;
  m_nCurHit = 0;
  update.pageToShow = target.string() + kFirstHitFragment;
  m_bFirstResultFile = !m_bFirstResultFile;
  m_strHitPage = target;
  return update;
}

PanelUpdate LeftFormModel::StepPage(int delta) {
  PanelUpdate update;
  m_nCurPage += delta;
  ShowPage(m_nCurNode, false, m_nCurPage, update);
  ReportReading(false, update);
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
  ReportReading(true, update);
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
  m_nCurHit += delta;
  update.pageToShow = m_strHitPage.string() + HitFragment(m_nCurHit);
  return update;
}

PanelUpdate LeftFormModel::GoToSliderPage(int32_t page) {
  PanelUpdate update;
  if (m_nCurNode == 0) return update;
  ShowPage(m_nCurNode, false, page, update);
  m_nCurPage = page;
  ReportReading(false, update);
  return update;
}

}  // namespace quillwen
