#pragma once

// The result list: a report view of at most one list page of result rows, one
// selectable row at a time. It shows either page rows (a row per page with hits)
// or hit rows (a row per hit with the text around it), with the columns of that
// view. The rows come in the order the panel model chose for the whole result;
// a header click asks for another order, which the model applies to every list
// page, and the header's sort indicator shows the order in force.

#include <QColor>
#include <QTreeWidget>
#include <initializer_list>
#include <span>

#include "core/panel_model/hit_list.h"
#include "core/panel_model/search_results.h"

// Item data role of a page row: the index page of the row.
inline constexpr int kResultPageRole = Qt::UserRole;
// Item data role of a hit row: its position on the list page shown.
inline constexpr int kHitIndexRole = Qt::UserRole + 1;
// Item data role of a hit row: the hit's anchor on its page (-1: not marked).
inline constexpr int kHitAnchorRole = Qt::UserRole + 2;

// Page rows.
inline constexpr int kCategoryColumn = 0;
inline constexpr int kBookColumn = 1;
inline constexpr int kVolumeColumn = 2;
inline constexpr int kPageColumn = 3;
inline constexpr int kPlacesColumn = 4;
// Hit rows.
inline constexpr int kWhereColumn = 0;
inline constexpr int kLeftContextColumn = 1;
inline constexpr int kHitColumn = 2;
inline constexpr int kRightContextColumn = 3;

// A hit row's 語 cell when the page marker could not mark its place.
inline constexpr char16_t kUnmarkedHitText[] = u"（印なし）";
// How a hit is drawn on the result page: red on light grey, bold.
inline constexpr QRgb kHitTextColour = 0xFF0000;
inline constexpr QRgb kHitBackgroundColour = 0xD9D9D9;
// The 類別・書名・巻・頁 cell of a hit row: "詩經 · 国风 · 周南 · 3". Collections
// share book names ("卷一至卷十"), so the category comes first.
QString HitPlaceText(const quillwen::SearchNodeTag& page);

class CSortListCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CSortListCtrl(QWidget* parent = nullptr);

  // Replaces the rows shown by `rows`, in their order, with the columns of
  // their view.
  void ShowRows(std::span<const quillwen::SearchNodeTag> rows);
  void ShowHitRows(std::span<const quillwen::HitRow> rows);
  // Empties the list and keeps its columns.
  void ClearRows();
  bool ShowsHitRows() const { return m_bHitRows; }

  // The sort indicator for the order in force.
  void ShowPageOrder(quillwen::PageRowOrder order);
  void ShowHitOrder(quillwen::HitRowOrder order);

  // Selects, without announcing it, the row of index page `page` (among hit
  // rows the one of hit `anchor` on it, else its first) and scrolls it into
  // view; clears the selection when the list page has no such row.
  void MarkRowOfPage(int page, int anchor);

  // The index page of the first selected page row, or -1.
  int SelectedPage() const;
  // The list-page position of the first selected hit row, or -1.
  int SelectedHitIndex() const;

  // The whole text of a cell that is drawn cut off, its tool tip; empty when
  // the cell shows all of it.
  QString TruncatedCellText(const QModelIndex& index) const;

 signals:
  // A page row became selected: its index page.
  void resultSelected(int page);
  // A hit row became selected: its position on the list page.
  void hitSelected(int index);
  // A header was clicked: the order it asks for.
  void pageOrderChosen(quillwen::PageRowOrder order);
  void hitOrderChosen(quillwen::HitRowOrder order);

 private:
  // The header texts and column sizes of the page view or the hit view.
  void SetColumns(bool hitRows);
  // The 語 column as wide as its hits, but never more than a third of the list.
  void FitHitColumn();
  void ReplaceItems(const QList<QTreeWidgetItem*>& items);
  void OnHeaderClicked(int column);
  // The reading order belongs to several headers: the indicator stays on the
  // one clicked last among `columns`, else goes to the first of them.
  int ReadingOrderColumn(std::initializer_list<int> columns) const;

  bool m_bHitRows = false;
  int m_nClickedColumn = -1;  // the header clicked last in this view
};
