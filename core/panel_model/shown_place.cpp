// Where the page shown stands, in words: the window's caption and the citation
// a copy carries (see citation.h for how a place is written).

#include <algorithm>

#include "core/panel_model/citation.h"
#include "core/panel_model/left_form_model.h"
#include "core/panel_model/panel_layout.h"

namespace quillwen {

std::optional<SearchNodeTag> LeftFormModel::ShownPlace() const {
  if (m_nShownEntry < 0) return std::nullopt;
  const PageLocator locator(*m_catalogue.m_pRoot);
  return locator.Locate(static_cast<uint32_t>(m_nShownEntry));
}

std::u16string LeftFormModel::WindowCaption() const {
  std::u16string caption = kMainWindowCaption;
  const std::optional<SearchNodeTag> place = ShownPlace();
  if (!place) return caption;
  const std::u16string where = PlaceText(*place);
  if (!where.empty()) caption += u" - " + where;
  return caption;
}

std::optional<std::u16string> LeftFormModel::CitationOfShownPage(int headingsAbove) const {
  const std::optional<SearchNodeTag> place = ShownPlace();
  if (!place) return std::nullopt;
  std::string page;
  if (headingsAbove > 0 && m_index.ReadPage(static_cast<uint32_t>(m_nShownEntry), page)) {
    const std::vector<std::u16string> headings = HeadingsOf(page);
    if (!headings.empty())
      return CitationText(
          *place,
          headings[std::min<size_t>(headings.size(), static_cast<size_t>(headingsAbove)) - 1]);
  }
  return CitationText(*place, HeadingBeforeShownPage());
}

std::u16string LeftFormModel::HeadingBeforeShownPage() const {
  // A page that begins inside a poem stands under the last heading of an
  // earlier page of its volume; a volume without headings is not read through.
  constexpr int kPagesLookedBack = 32;
  const int record = m_catalogue.VolumeRecordOf(static_cast<uint32_t>(m_nShownEntry));
  if (record == 0) return {};
  const int64_t first = int64_t{m_catalogue.Record(record).docID} - 1;
  std::string page;
  for (int64_t entry = int64_t{m_nShownEntry} - 1;
       entry >= std::max<int64_t>(first, 0) && entry >= m_nShownEntry - kPagesLookedBack; --entry) {
    if (!m_index.ReadPage(static_cast<uint32_t>(entry), page)) return {};
    std::u16string heading = LastHeadingOf(page);
    if (!heading.empty()) return heading;
  }
  return {};
}

}  // namespace quillwen
