#pragma once

#include <QTreeWidget>

// The contents tree: dotted lines connect the items, and there are no expand
// buttons; an item opens with a double click or the arrow keys. Taking the
// focus selects nothing: the first arrow key selects the first item.
class ContentsTree : public QTreeWidget {
  Q_OBJECT

 public:
  explicit ContentsTree(QWidget* parent = nullptr);

 protected:
  void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
  void focusInEvent(QFocusEvent* event) override;
};
