#include "core/panel_model/result_paging.h"

#include <algorithm>

#include "core/panel_model/decimal_text.h"

namespace quillwen {
void ResultPaging::Reset(size_t rowCount) {
  rowCount_ = rowCount;
  m_nResultPages = static_cast<int32_t>((rowCount + kRowsPerResultPage - 1) / kRowsPerResultPage);
  m_nCurResultPage = m_nResultPages > 0 ? 1 : 0;
}

size_t ResultPaging::FirstRow() const {
  if (m_nCurResultPage < 1 || m_nCurResultPage > m_nResultPages) return rowCount_;
  return static_cast<size_t>(m_nCurResultPage - 1) * kRowsPerResultPage;
}

size_t ResultPaging::RowCount() const {
  return std::min<size_t>(kRowsPerResultPage, rowCount_ - FirstRow());
}

bool ResultPaging::ShowRow(size_t row) {
  if (row >= rowCount_) return false;
  const auto page = static_cast<int32_t>(row / kRowsPerResultPage + 1);
  if (page == m_nCurResultPage) return false;
  m_nCurResultPage = page;
  return true;
}

bool ResultPaging::Previous() {
  if (m_nCurResultPage <= 1) return false;
  --m_nCurResultPage;
  return true;
}

bool ResultPaging::Next() {
  if (m_nCurResultPage >= m_nResultPages) return false;
  ++m_nCurResultPage;
  return true;
}

bool ResultPaging::ApplyPageEdit(std::u16string_view editText) {
  if (!NamesListPage(editText)) return false;
  const int32_t page = static_cast<int32_t>(LeadingNumber(editText));
  if (page == m_nCurResultPage) return false;
  m_nCurResultPage = page;
  return true;
}

bool ResultPaging::NamesListPage(std::u16string_view editText) const {
  const int64_t page = LeadingNumber(editText);
  return page >= 1 && page <= m_nResultPages;
}

PagerState ResultPaging::Pager() const {
  PagerState state;
  state.visible = m_nResultPages > 0;
  state.previousEnabled = m_nResultPages != 1 && m_nCurResultPage != 1;
  state.nextEnabled = m_nResultPages != 1 && m_nCurResultPage != m_nResultPages;
  state.editReadOnly = m_nResultPages == 1;
  state.editText = DecimalText(m_nCurResultPage);
  state.countLabel = u"/" + DecimalText(m_nResultPages);
  return state;
}

int64_t LeadingNumber(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = std::min<int64_t>(value * 10 + (text[i] - u'0'), INT32_MAX + int64_t{1});
  }
  return negative ? -value : value;
}

}  // namespace quillwen
