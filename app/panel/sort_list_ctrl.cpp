#include "app/panel/sort_list_ctrl.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>

#include "app/platform/qt_text.h"

namespace {

// Draws the cells as the default delegate does, except that right-aligned text
// (the left context, which abuts the hit) loses its far end when cut off rather
// than the end next to the hit; and a cell drawn cut off shows its whole text
// as its tool tip.
class ResultCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QString TruncatedText(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (cell.text.isEmpty()) return {};
    const QWidget* widget = cell.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    // The room the style gives the text: its rectangle less the margins it
    // keeps on both sides before eliding.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const int room =
        style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget).width() - 2 * margin;
    return cell.fontMetrics.horizontalAdvance(cell.text) > room ? cell.text : QString();
  }

  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override {
    if (event == nullptr || event->type() != QEvent::ToolTip)
      return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString text = TruncatedText(option, index);
    if (text.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(event->globalPos(), text, view, option.rect);
    return true;
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->displayAlignment & Qt::AlignRight) option->textElideMode = Qt::ElideLeft;
  }
};

const QStringList& PageHeaders() {
  static const QStringList headers{QStringLiteral("類別"), QStringLiteral("書名"),
                                   QStringLiteral("巻"), QStringLiteral("頁"),
                                   QStringLiteral("箇所")};
  return headers;
}

const QStringList& HitHeaders() {
  static const QStringList headers{QStringLiteral("類別・書名・巻・頁"), QStringLiteral("左文脈"),
                                   QStringLiteral("語"), QStringLiteral("右文脈")};
  return headers;
}

}  // namespace

QString HitPlaceText(const quillwen::SearchNodeTag& page) {
  QStringList parts;
  for (const std::u16string* name : {&page.category, &page.book, &page.volume}) {
    if (!name->empty()) parts << ToQString(*name);
  }
  if (page.volumePage != 0) parts << QString::number(page.volumePage);
  return parts.join(QStringLiteral(" · "));
}

CSortListCtrl::CSortListCtrl(QWidget* parent) : QTreeWidget(parent) {
  setItemDelegate(new ResultCellDelegate(this));
  header()->setStretchLastSection(false);
  header()->setSectionsClickable(true);
  header()->setSortIndicatorShown(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);  // the whole row is selected
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setFrameShape(QFrame::StyledPanel);
  SetColumns(false);
  ShowPageOrder(quillwen::PageRowOrder::kReading);
  connect(header(), &QHeaderView::sectionClicked, this,
          [this](int column) { OnHeaderClicked(column); });
  connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (m_bHitRows) {
      const int index = SelectedHitIndex();
      if (index >= 0) emit hitSelected(index);
    } else {
      const int page = SelectedPage();
      if (page >= 0) emit resultSelected(page);
    }
  });
}

void CSortListCtrl::SetColumns(bool hitRows) {
  if (hitRows == m_bHitRows && columnCount() > 1) return;
  m_bHitRows = hitRows;
  m_nClickedColumn = -1;
  const QStringList& headers = hitRows ? HitHeaders() : PageHeaders();
  setColumnCount(static_cast<int>(headers.size()));
  setHeaderLabels(headers);
  // Names share what room there is and take more when the pane widens; numbers
  // are as wide as they need. A name cut off shows itself as a tool tip.
  for (int column = 0; column < columnCount(); ++column)
    header()->setSectionResizeMode(column, QHeaderView::Stretch);
  if (hitRows) {
    header()->setSectionResizeMode(kHitColumn, QHeaderView::Interactive);
  } else {
    header()->setSectionResizeMode(kPageColumn, QHeaderView::ResizeToContents);
    header()->setSectionResizeMode(kPlacesColumn, QHeaderView::ResizeToContents);
  }
}

void CSortListCtrl::ReplaceItems(const QList<QTreeWidgetItem*>& items) {
  ClearRows();
  addTopLevelItems(items);
  // A new list page is read from its first row, wherever the last one was left.
  scrollToTop();
}

void CSortListCtrl::ClearRows() {
  // Emptying the list deselects without showing anything.
  const QSignalBlocker quiet(this);
  clear();
}

void CSortListCtrl::ShowRows(std::span<const quillwen::SearchNodeTag> rows) {
  SetColumns(false);
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  for (const quillwen::SearchNodeTag& row : rows) {
    auto* item = new QTreeWidgetItem;
    item->setText(kCategoryColumn, ToQString(row.category));
    item->setText(kBookColumn, ToQString(row.book));
    item->setText(kVolumeColumn, ToQString(row.volume));
    item->setText(kPageColumn, QString::number(row.volumePage));
    item->setText(kPlacesColumn, QString::number(row.count));
    item->setData(0, kResultPageRole, row.page);
    items.append(item);
  }
  ReplaceItems(items);
}

void CSortListCtrl::ShowHitRows(std::span<const quillwen::HitRow> rows) {
  SetColumns(true);
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  QFont bold = font();
  bold.setBold(true);
  for (size_t i = 0; i < rows.size(); ++i) {
    const quillwen::HitRow& row = rows[i];
    auto* item = new QTreeWidgetItem;
    if (row.pageRow != nullptr) item->setText(kWhereColumn, HitPlaceText(*row.pageRow));
    item->setText(kLeftContextColumn, ToQString(row.left));
    item->setTextAlignment(kLeftContextColumn, Qt::AlignRight | Qt::AlignVCenter);
    if (row.anchor >= 0) {
      item->setText(kHitColumn, ToQString(row.hit));
      item->setForeground(kHitColumn, QColor(kHitTextColour));
      item->setBackground(kHitColumn, QColor(kHitBackgroundColour));
      item->setFont(kHitColumn, bold);
    } else {
      item->setText(kHitColumn, ToQString(kUnmarkedHitText));
      item->setForeground(kHitColumn, QColor(Qt::gray));
    }
    item->setText(kRightContextColumn, ToQString(row.right));
    item->setData(0, kHitIndexRole, static_cast<int>(i));
    if (row.pageRow != nullptr) item->setData(0, kResultPageRole, row.pageRow->page);
    item->setData(0, kHitAnchorRole, row.anchor);
    items.append(item);
  }
  ReplaceItems(items);
  FitHitColumn();
}

void CSortListCtrl::FitHitColumn() {
  resizeColumnToContents(kHitColumn);
  const int limit = viewport()->width() / 3;
  if (limit > 0 && columnWidth(kHitColumn) > limit) setColumnWidth(kHitColumn, limit);
}

int CSortListCtrl::ReadingOrderColumn(std::initializer_list<int> columns) const {
  const bool clicked = std::find(columns.begin(), columns.end(), m_nClickedColumn) != columns.end();
  return clicked ? m_nClickedColumn : *columns.begin();
}

void CSortListCtrl::ShowPageOrder(quillwen::PageRowOrder order) {
  using quillwen::PageRowOrder;
  switch (order) {
    case PageRowOrder::kVolumePage:
      header()->setSortIndicator(kPageColumn, Qt::AscendingOrder);
      break;
    case PageRowOrder::kPlaces:  // most places first
      header()->setSortIndicator(kPlacesColumn, Qt::DescendingOrder);
      break;
    case PageRowOrder::kReading:
      header()->setSortIndicator(ReadingOrderColumn({kCategoryColumn, kBookColumn, kVolumeColumn}),
                                 Qt::AscendingOrder);
      break;
  }
}

void CSortListCtrl::ShowHitOrder(quillwen::HitRowOrder order) {
  using quillwen::HitRowOrder;
  int column = kWhereColumn;
  switch (order) {
    case HitRowOrder::kLeftContext:
      column = kLeftContextColumn;
      break;
    case HitRowOrder::kHit:
      column = kHitColumn;
      break;
    case HitRowOrder::kRightContext:
      column = kRightContextColumn;
      break;
    case HitRowOrder::kReading:
      break;
  }
  header()->setSortIndicator(column, Qt::AscendingOrder);
}

void CSortListCtrl::OnHeaderClicked(int column) {
  using quillwen::HitRowOrder;
  using quillwen::PageRowOrder;
  m_nClickedColumn = column;
  if (m_bHitRows) {
    switch (column) {
      case kLeftContextColumn:
        emit hitOrderChosen(HitRowOrder::kLeftContext);
        break;
      case kHitColumn:
        emit hitOrderChosen(HitRowOrder::kHit);
        break;
      case kRightContextColumn:
        emit hitOrderChosen(HitRowOrder::kRightContext);
        break;
      default:
        emit hitOrderChosen(HitRowOrder::kReading);
        break;
    }
    return;
  }
  switch (column) {
    case kPageColumn:
      emit pageOrderChosen(PageRowOrder::kVolumePage);
      break;
    case kPlacesColumn:
      emit pageOrderChosen(PageRowOrder::kPlaces);
      break;
    default:
      emit pageOrderChosen(PageRowOrder::kReading);
      break;
  }
}

void CSortListCtrl::MarkRowOfPage(int page, int anchor) {
  QTreeWidgetItem* found = nullptr;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = topLevelItem(i);
    if (item->data(0, kResultPageRole).toInt() != page) continue;
    if (found == nullptr) found = item;
    if (!m_bHitRows || item->data(0, kHitAnchorRole).toInt() == anchor) {
      found = item;
      break;
    }
  }
  const QSignalBlocker quiet(this);
  if (found == nullptr) {
    clearSelection();
    return;
  }
  setCurrentItem(found);
  scrollToItem(found);
}

int CSortListCtrl::SelectedPage() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  if (m_bHitRows || selected.isEmpty()) return -1;
  return selected.front()->data(0, kResultPageRole).toInt();
}

int CSortListCtrl::SelectedHitIndex() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  if (!m_bHitRows || selected.isEmpty()) return -1;
  return selected.front()->data(0, kHitIndexRole).toInt();
}

QString CSortListCtrl::TruncatedCellText(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.widget = this;
  option.rect = visualRect(index);
  return static_cast<const ResultCellDelegate*>(itemDelegate())->TruncatedText(option, index);
}
