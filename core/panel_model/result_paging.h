#pragma once

// Paging through result rows 100 at a time, and the state of the paging row
// (previous/next buttons, page edit, "/%d" label) that goes with it.

#include <cstdint>
#include <string>
#include <string_view>

namespace quillwen {

inline constexpr int kRowsPerResultPage = 100;

// What the paging row shows.
struct PagerState {
  bool visible = false;  // only while there are results
  bool previousEnabled = false;
  bool nextEnabled = false;
  bool editReadOnly = false;
  std::u16string editText;    // the current list page
  std::u16string countLabel;  // "/%d" with the number of list pages
};

class ResultPaging {
 public:
  // After a search: rows ÷ 100 rounded up list pages, the first one current
  // (none when there are no rows).
  void Reset(size_t rowCount);

  // The rows of the current list page: [first, first + count).
  size_t FirstRow() const;
  size_t RowCount() const;

  // Moves one list page back or on; false (nothing changes) at either end.
  bool Previous();
  bool Next();

  // Makes the list page that holds row `row` current; false when it already
  // was, or there is no such row.
  bool ShowRow(size_t row);

  // Goes to the list page typed into the page edit: its leading decimal number.
  // A number outside 1 to the number of pages is refused and the edit shows the
  // current page again. Returns true when the current page changed.
  bool ApplyPageEdit(std::u16string_view editText);
  // Whether the page edit's text names one of the list pages.
  bool NamesListPage(std::u16string_view editText) const;

  PagerState Pager() const;

  int32_t m_nResultPages = 0;
  int32_t m_nCurResultPage = 0;

 private:
  size_t rowCount_ = 0;
};

// The leading decimal number of an edit's text, 0 when there is none.
int64_t LeadingNumber(std::u16string_view text);

}  // namespace quillwen
