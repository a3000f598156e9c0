#include "core/panel_model/left_form_model.h"

#include <algorithm>

#include "core/io/private_temp_folder.h"

namespace quillwen {
namespace {

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

std::u16string SummaryText(int64_t pages, int64_t places) {
  return u"全部で " + Widen(std::to_string(pages)) + u" 頁で、" + Widen(std::to_string(places)) +
         u" 箇所でした。";
}

IndexScope ScopeOfTarget(int32_t target) {
  switch (target) {
    case SearchTargetMainText: return ScopeMainText;
    case SearchTargetAnnotations: return ScopeAnnotations;
    default: return ScopeFullText;
  }
}

HitScope HighlightScopeOfTarget(int32_t target) {
  switch (target) {
    case SearchTargetMainText: return HitScopeMainText;
    case SearchTargetAnnotations: return HitScopeAnnotations;
    default: return HitScopeFullText;
  }
}

LeftFormModel::LeftFormModel(const Environment& environment)
    : m_index(environment.messages),
      dataFolder_(environment.dataFolder),
      messages_(*environment.messages),
      pageView_(environment.pageView),
      listingPath_(environment.listingPath),
      tempFolder_(environment.tempParent) {
  m_strTempPage = tempFolder_.Path() / kTempPageName;
  m_strTempResult1 = tempFolder_.Path() / kTempResult1Name;
  m_strTempResult2 = tempFolder_.Path() / kTempResult2Name;
  m_index.Open(dataFolder_, kIndexBaseName, ScopeFullText);
}

LeftFormModel::~LeftFormModel() { m_index.Close(); }

CatalogueLoadResult LeftFormModel::InitialUpdate() {
  const CatalogueLoadResult result = m_catalogue.Load(dataFolder_, messages_, listingPath_);
  // The range starts on record 1: name it rather than show a placeholder.
  m_strRange = m_catalogue.RangeLabel(m_nRangeNode);
  return result;
}

bool LeftFormModel::OnTreeSelectionChanged(int record) {
  m_nRangeNode = static_cast<uint16_t>(record);
  m_strRange = m_catalogue.RangeLabel(record);
  if (!m_catalogue.TreeChildren(record).empty() || m_catalogue.NodeOf(record) == nullptr) return false;
  m_nCurNode = record;
  m_nCurPage = m_catalogue.Record(record).curFileName;
  ShowPage(m_nCurNode, true, 0);
  return true;
}

void LeftFormModel::Show(const std::filesystem::path& file, std::string_view fragment) {
  if (pageView_ != nullptr) pageView_->Navigate(file.string() + std::string(fragment));
}

bool LeftFormModel::ReadStoredPage(int record, bool useFirstPage, int32_t page, std::string& html) const {
  const CatalogueRecord& volume = m_catalogue.Record(record);
  if (useFirstPage) page = volume.curFileName;
  // A damaged docID of 0 or less starts no scan (FindPage refuses a negative start).
  const int32_t start = static_cast<int32_t>(std::max<int64_t>(int64_t{volume.docID} - 1, -1));
  int32_t entry = 0;
  return m_index.FindPage(start, page, &entry) &&
         m_index.ReadPage(static_cast<uint32_t>(entry), html);
}

bool LeftFormModel::ShowPage(int record, bool useFirstPage, int32_t page) {
  std::string html;
  if (!ReadStoredPage(record, useFirstPage, page, html)) return false;
  if (!io::WriteWholeFile(m_strTempPage, html)) return false;
  Show(m_strTempPage, "");
  return true;
}

SearchOutcome LeftFormModel::OnSearch(std::optional<std::u16string_view> inputValue) {
  m_nCurHit = 0;
  const std::u16string previousKeywords = m_strKeyWords;
  m_strKeyWords.clear();
  if (!inputValue) return SearchOutcome::kNoInputValue;
  m_strKeyWords = *inputValue;
  for (char16_t& c : m_strKeyWords) {
    if (c == u'\u3000') c = u' ';
  }
  if (m_nRangeNode == 0) {
    messages_.ShowMessage(kNoRangeMessage);
    return SearchOutcome::kNoRange;
  }
  if (m_strKeyWords.empty()) {
    m_strKeyWords = previousKeywords;
    messages_.ShowMessage(kNoKeywordsMessage);
    return SearchOutcome::kNoKeywords;
  }

  if (m_nSearchMethod == SearchMethodAnd) m_index.SearchAnd(m_strKeyWords, m_bVariants != 0);
  else if (m_nSearchMethod == SearchMethodOr) m_index.SearchOr(m_strKeyWords, m_bVariants != 0);

  m_Pages = m_index.pages();
  m_PlaceCounts = m_index.placeCounts();
  // Without a catalogue, or with a range record no node matches, there is no
  // range to keep pages in: nothing is listed.
  const ContentsNodeTag* range = FindNodeByRecord(m_catalogue.m_pRoot.get(), m_catalogue.Record(m_nRangeNode));
  m_nPlaces = 0;
  m_SearchNodes.clear();
  if (range != nullptr) m_nPlaces = BuildResults(*range, m_Pages, m_PlaceCounts, m_SearchNodes);
  m_Pages.clear();
  m_PlaceCounts.clear();

  m_paging.Reset(m_SearchNodes.size());
  m_strSummary = SummaryText(static_cast<int64_t>(m_SearchNodes.size()), m_nPlaces);
  return SearchOutcome::kRan;
}

void LeftFormModel::OnSearchTargetChanged(int32_t target) {
  m_nSearchTarget = target;
  m_index.Close();
  m_index.Open(dataFolder_, kIndexBaseName, ScopeOfTarget(target));
  m_nHighlightScope = HighlightScopeOfTarget(target);
}

std::span<const SearchNodeTag> LeftFormModel::ListRows() const {
  const size_t first = m_paging.FirstRow();
  if (first >= m_SearchNodes.size()) return {};
  return std::span<const SearchNodeTag>(m_SearchNodes).subspan(first, m_paging.RowCount());
}

bool LeftFormModel::ShowResult(int32_t page) {
  const std::filesystem::path& target = m_bFirstResultFile ? m_strTempResult1 : m_strTempResult2;
  std::string document;
  const int anchors = m_index.RenderWithVariants(static_cast<uint32_t>(page), document, m_strKeyWords,
                                                 static_cast<HitScope>(m_nHighlightScope), m_bVariants != 0);
  // A page that does not render leaves the page view, and the hits, as they were.
  if (document.empty() || !io::WriteWholeFile(target, document)) return false;
  m_nHitCount = anchors;
  m_nCurHit = 0;
  Show(target, kFirstHitFragment);
  m_bFirstResultFile = !m_bFirstResultFile;
  m_strHitPage = target;
  return true;
}

void LeftFormModel::StepPage(int delta) {
  m_nCurPage += delta;
  ShowPage(m_nCurNode, false, m_nCurPage);
}

int LeftFormModel::StepVolume(int direction) {
  const int record = direction > 0 ? NextVolumeRecord(Reading()) : PreviousVolumeRecord(Reading());
  if (record == 0) {
    messages_.ShowMessage(direction > 0 ? kLastVolumeMessage : kFirstVolumeMessage);
    return 0;
  }
  m_nCurNode = record;
  ShowPage(m_nCurNode, true, 0);
  m_nCurPage = m_catalogue.Record(record).curFileName;
  return record;
}

void LeftFormModel::StepHit(int delta) {
  m_nCurHit += delta;
  Show(m_strHitPage, HitFragment(m_nCurHit));
}

}  // namespace quillwen
