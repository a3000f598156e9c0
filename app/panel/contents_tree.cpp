#include "app/panel/contents_tree.h"

#include <QPainter>

ContentsTree::ContentsTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformRowHeights(true);
  setRootIsDecorated(true);
}

void ContentsTree::drawBranches(QPainter* painter, const QRect& rect,
                                const QModelIndex& index) const {
  const int indent = indentation();
  int depth = 0;
  for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) ++depth;
  const int midY = rect.top() + rect.height() / 2;
  auto slotX = [&](int level) { return rect.left() + level * indent + indent / 2; };
  auto hasNextSibling = [](const QModelIndex& i) { return i.sibling(i.row() + 1, 0).isValid(); };

  painter->save();
  QPen pen(palette().color(QPalette::Mid));
  pen.setStyle(Qt::DotLine);
  painter->setPen(pen);
  // The item's own elbow: up to its previous sibling (or parent), across to
  // its picture, and down to its next sibling.
  const int x = slotX(depth);
  const bool first = index.row() == 0 && !index.parent().isValid();
  painter->drawLine(x, first ? midY : rect.top(), x, hasNextSibling(index) ? rect.bottom() : midY);
  painter->drawLine(x, midY, rect.left() + (depth + 1) * indent, midY);
  // Lines of the ancestors that have siblings further down pass by.
  int level = depth - 1;
  for (QModelIndex ancestor = index.parent(); ancestor.isValid();
       ancestor = ancestor.parent(), --level) {
    if (hasNextSibling(ancestor))
      painter->drawLine(slotX(level), rect.top(), slotX(level), rect.bottom());
  }
  painter->restore();
}

void ContentsTree::focusInEvent(QFocusEvent* event) {
  // An item view makes its first item current when it takes the focus, and a
  // current item here is a selection that shows a volume or sets the search
  // range; the user has chosen nothing yet.
  if (!currentIndex().isValid()) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    return;
  }
  QTreeWidget::focusInEvent(event);
}
