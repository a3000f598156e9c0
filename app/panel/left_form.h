#pragma once

// The navigation panel: the left pane with the tabs "目録" (contents) and "検索"
// (search). Its state and rules are LeftFormModel's: the panel builds the
// contents tree from the model's catalogue, sends the model a command for each
// thing the user does (a tree selection, a search with the tab's controls read
// into one request, a list page, a result row, a reading step) and paints the
// PanelUpdate it answers with. Pages to show and reading positions leave the
// panel as signals, for the main window's page view and page toolbar.

#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <optional>

#include "core/panel_model/left_form_model.h"

class CHtmlCtrl;
class CSortListCtrl;
class CToolTipResourceButton;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

inline constexpr char16_t kContentsTabText[] = u"目録";
inline constexpr char16_t kSearchTabText[] = u"検索";

// Where the settings store keeps the result list's view ("頁" or "文脈") between
// runs, and its two values.
inline constexpr char kResultViewSection[] = "LeftForm";
inline constexpr char kResultViewName[] = "ResultView";
inline constexpr char kResultViewPages[] = "pages";
inline constexpr char kResultViewHits[] = "hits";

// Item data role of the contents tree: the record number.
inline constexpr int kRecordRole = Qt::UserRole;

class CLeftForm : public QWidget {
  Q_OBJECT

 public:
  // Opens the index of environment.dataFolder (the model reports a failure
  // through environment.messages).
  explicit CLeftForm(const quillwen::LeftFormModel::Environment& environment,
                     QWidget* parent = nullptr);
  ~CLeftForm() override;

  // Once the panel exists: tabs, tree pictures, the catalogue into the tree,
  // tab 0 selected.
  void OnInitialUpdate();
  // Closes the index and removes the page files; the panel shows nothing after.
  void OnDestroy();

  // The reading commands of the main window, run by the model and painted.
  void StepPage(int delta);
  void StepVolume(int direction);
  void StepHit(int delta);
  void GoToSliderPage(int page);
  // Shows a stored page of a volume; the search range stays.
  void OpenStoredPage(int record, int page);
  // Back and forward between the pages shown, as in a browser.
  void GoBack();
  void GoForward();
  // Makes record `record`'s tree item current, opening its ancestors. With
  // `announce` it is a user's click (the selection's handling runs when it
  // changes); without, the tree keeps quiet: the range and the page shown stay.
  void SelectTreeItem(int record, bool announce = true);

  // Wide enough for the 文脈 rows: about 12 characters of context on each side
  // of the hit, and where it stands.
  QSize sizeHint() const override;

  // The model's state, to read. REQUIRES: before OnDestroy.
  const quillwen::LeftFormModel& Model() const { return *m_model; }
  QTreeWidget* Tree() const { return m_wndTree; }
  QTabWidget* Tabs() const { return m_wndTab; }
  QLabel* RangeLabel() const { return m_wndRange; }
  // The tree item of record `record`, or null.
  QTreeWidgetItem* ItemOfRecord(int record) const;
  // A control by its dialog id (quillwen::PanelControlId), or null.
  QWidget* Control(int id) const;
  CHtmlCtrl* QueryPage() const { return m_wndInput; }
  CSortListCtrl* ResultList() const { return m_wndList; }
  QLabel* SummaryLabel() const { return m_wndSummary; }
  QLineEdit* PageEdit() const { return m_wndPageEdit; }
  QLabel* PageCountLabel() const { return m_wndPageCount; }
  CToolTipResourceButton* PreviousButton() const { return m_wndPrevious; }
  CToolTipResourceButton* NextButton() const { return m_wndNext; }

  // The search command: reads the controls and the query page's input element
  // into a request, runs the model's search and shows its rows, paging and
  // summary.
  void OnSearch();
  // A target radio was clicked: the model reopens the index on its set.
  void OnSearchTargetChanged(int target);
  // Goes to the list page typed into the page edit.
  void ApplyPageEdit();
  // The "全体" button: the whole collection becomes the search range.
  void SelectWholeCollection();
  // The radios "頁" and "文脈": page rows or hit rows, remembered for the next run.
  void ChooseView(quillwen::ResultView view);

  // Whether the last search listed anything (something to save).
  bool HasResultRows() const;
  // Saves the result as the list shows it (its view and order) as CSV into
  // `path`. False with `error` set when it could not be written.
  bool SaveResultCsv(const QString& path, QString& error);
  // "出典：…" for the page the page view shows; nothing before a page was shown.
  std::optional<QString> CitationOfShownPage(int headingsAbove = 0) const;

 signals:
  // The page view must show `location`: a local file, optionally with "#anchor".
  void pageToShow(const QString& location);
  // A stored page was shown: the page toolbar follows.
  void readingChanged(const quillwen::ReadingUpdate& reading);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The panel holds no focus itself: like a form, it passes the focus on to
  // the control that last had it, or to the shown tab's first control.
  void focusInEvent(QFocusEvent* event) override;

 private:
  bool CanTakeFocus(const QWidget* control) const;
  QWidget* FocusControl() const;
  QWidget* DefaultFocusControl() const;
  void LoadTree();
  void OnTreeSelectionChanged(QTreeWidgetItem* current);
  // Places, shows and hides the controls as quillwen::LayoutPanel says for the
  // panel's size and tab, and sets the main window's caption.
  void LayoutPanel();
  void CreateSearchTab();
  // Enter in the panel: typed into the keyword field it always searches;
  // elsewhere the page edit takes it while there is more than one list page,
  // the search otherwise.
  void OnEnterKey(const QObject* watched);
  void WatchForEnter(QObject* object);
  // Shows what a command changed, in the order a user sees it happen.
  void Paint(const quillwen::PanelUpdate& update);
  // Shows or hides the paging row as the result needs and lays the panel out.
  void LayoutPager(const quillwen::PagerState& pager);
  void UpdatePager(const quillwen::PagerState& pager);
  void SetCaption();
  void OnResultSelected(int page);
  void OnHitSelected(int index);
  // The header's sort indicator for the order the model keeps.
  void ShowOrder();

  std::unique_ptr<quillwen::LeftFormModel> m_model;
  // Where the model's sentences for the user go; outlives the panel.
  quillwen::MessageSink& m_messages;
  // The controls by their dialog ids, as the layout names them.
  std::map<int, QWidget*> m_controls;
  QTabWidget* m_wndTab;
  QTreeWidget* m_wndTree;
  QLabel* m_wndRange;
  QLabel* m_wndPrompt = nullptr;
  CHtmlCtrl* m_wndInput = nullptr;
  QPushButton* m_wndSearch = nullptr;
  QCheckBox* m_wndVariants = nullptr;
  QButtonGroup* m_methodGroup = nullptr;
  QButtonGroup* m_targetGroup = nullptr;
  QButtonGroup* m_viewGroup = nullptr;
  QPushButton* m_wndWhole = nullptr;
  QLabel* m_wndSummary = nullptr;
  CSortListCtrl* m_wndList = nullptr;
  CToolTipResourceButton* m_wndPrevious = nullptr;
  CToolTipResourceButton* m_wndNext = nullptr;
  QLineEdit* m_wndPageEdit = nullptr;
  QLabel* m_wndPageCount = nullptr;
  // The Enter key press being dispatched, so that its way up through the
  // parents acts once only.
  const QEvent* m_pEnterEvent = nullptr;
  QPointer<QWidget> m_lastFocus;                 // the panel's control that last had the focus
  std::vector<QTreeWidgetItem*> m_itemOfRecord;  // by record number
};
