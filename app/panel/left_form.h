#pragma once

// The navigation panel: the left pane with the tabs "目録" (contents) and "検索"
// (search). Its state and rules are LeftFormModel's; the panel builds the
// contents tree from the model's catalogue, hands selections to the model and
// shows what the model says. The search tab's controls, the result list and the
// pixel layout of the search tab come with the search work.

#include <map>
#include <memory>

#include <QWidget>

#include "core/panel_model/left_form_model.h"

class QLabel;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

inline constexpr char16_t kContentsTabText[] = u"目録";
inline constexpr char16_t kSearchTabText[] = u"検索";

// Item data role of the contents tree: the record number.
inline constexpr int kRecordRole = Qt::UserRole;

class CLeftForm : public QWidget {
  Q_OBJECT

 public:
  // Opens the index of environment.dataFolder (the model reports a failure
  // through environment.messages).
  explicit CLeftForm(const quillwen::LeftFormModel::Environment& environment, QWidget* parent = nullptr);
  ~CLeftForm() override;

  // Once the panel exists: tabs, tree pictures, the catalogue into the tree,
  // tab 0 selected.
  void OnInitialUpdate();
  // Closes the index and removes the page files; the panel shows nothing after.
  void OnDestroy();

  // Shows page `page` (or the first page) of volume `record`; keeps the
  // reading state as it is.
  void ShowPage(int record, bool useFirstPage, int32_t page);

  quillwen::LeftFormModel& Model() { return *m_model; }
  const quillwen::LeftFormModel& Model() const { return *m_model; }
  QTreeWidget* Tree() const { return m_wndTree; }
  QTabWidget* Tabs() const { return m_wndTab; }
  QLabel* RangeLabel() const { return m_wndRange; }
  // The tree item of record `record`, or null.
  QTreeWidgetItem* ItemOfRecord(int record) const;

 signals:
  // A volume's first page was shown from the tree: the page toolbar follows
  // (Model().Slider(), Model().PageLabel()).
  void volumeShown(int record);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LoadTree();
  void OnTreeSelectionChanged(QTreeWidgetItem* current);
  // Places, shows and hides the controls as quillwen::LayoutPanel says for the
  // panel's size and tab, and sets the main window's caption.
  void LayoutPanel();

  std::unique_ptr<quillwen::LeftFormModel> m_model;
  // The controls by their dialog ids, as the layout names them.
  std::map<int, QWidget*> m_controls;
  QTabWidget* m_wndTab;
  QTreeWidget* m_wndTree;
  QLabel* m_wndRange;
  std::vector<QTreeWidgetItem*> m_itemOfRecord;  // by record number
};
