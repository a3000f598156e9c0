#pragma once

// The result list: a report view of at most one list page of result rows, one
// selectable row at a time. A click on the "頁" header sorts the rows shown by
// their page number; the other headers do nothing.

#include <QTreeWidget>
#include <span>

#include "core/panel_model/search_results.h"

// Item data role of a result row: the index page of the row.
inline constexpr int kResultPageRole = Qt::UserRole;
inline constexpr int kPageColumn = 3;

class CSortListCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CSortListCtrl(QWidget* parent = nullptr);

  // Replaces the rows shown by `rows`, in their order.
  void ShowRows(std::span<const quillwen::SearchNodeTag> rows);
  // Sorts the rows shown by the number in their "頁" column, ascending.
  void SortByPageColumn();
  // The index page of the first selected row, or -1 when none is selected.
  int SelectedPage() const;

 signals:
  // A row became selected: its index page.
  void resultSelected(int page);

 private:
  void OnHeaderClicked(int column);
};
