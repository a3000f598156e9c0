#include "app/panel/sort_list_ctrl.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <algorithm>

#include "app/platform/qt_text.h"

CSortListCtrl::CSortListCtrl(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(4);
  setHeaderLabels(
      {QStringLiteral("類別"), QStringLiteral("書名"), QStringLiteral("巻"), QStringLiteral("頁")});
  const int widths[] = {45, 80, 60, 60};
  for (int column = 0; column < 4; ++column) setColumnWidth(column, widths[column]);
  header()->setStretchLastSection(false);
  header()->setSectionsClickable(true);
  header()->setSortIndicatorShown(false);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);  // the whole row is selected
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setFrameShape(QFrame::StyledPanel);
  connect(header(), &QHeaderView::sectionClicked, this,
          [this](int column) { OnHeaderClicked(column); });
  connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
    const int page = SelectedPage();
    if (page >= 0) emit resultSelected(page);
  });
}

void CSortListCtrl::ShowRows(std::span<const quillwen::SearchNodeTag> rows) {
  // Emptying the list deselects without showing anything.
  {
    const QSignalBlocker quiet(this);
    clear();
  }
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  for (const quillwen::SearchNodeTag& row : rows) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, ToQString(row.category));
    item->setText(1, ToQString(row.book));
    item->setText(2, ToQString(row.volume));
    item->setText(kPageColumn, QString::number(row.volumePage));
    item->setData(0, kResultPageRole, row.page);
    items.append(item);
  }
  addTopLevelItems(items);
}

void CSortListCtrl::SortByPageColumn() {
  const QSignalBlocker quiet(this);
  const int selected = SelectedPage();
  QList<QTreeWidgetItem*> items;
  while (topLevelItemCount() > 0) items.append(takeTopLevelItem(0));
  std::stable_sort(items.begin(), items.end(),
                   [](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
                     return a->text(kPageColumn).toLongLong() < b->text(kPageColumn).toLongLong();
                   });
  addTopLevelItems(items);
  // The selected row stays selected where it now stands, without showing it again.
  for (QTreeWidgetItem* item : items) {
    if (selected >= 0 && item->data(0, kResultPageRole).toInt() == selected)
      item->setSelected(true);
  }
}

int CSortListCtrl::SelectedPage() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  if (selected.isEmpty()) return -1;
  return selected.front()->data(0, kResultPageRole).toInt();
}

void CSortListCtrl::OnHeaderClicked(int column) {
  if (column == kPageColumn) SortByPageColumn();
}
