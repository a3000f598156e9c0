#pragma once

// The page view: the right pane, showing the page files the panel writes. On
// top of the browser control it keeps the right mouse button (its own menu
// instead of the browser's) and the Ctrl keys for itself, limits what its copy
// puts on the clipboard, copies a selection with the place it comes from,
// carries the print commands, sizes the text (remembered across runs), finds a
// text in the page shown and asks for the next page when the reader pages on
// past the bottom of one.

#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "app/platform/browser_control.h"
#include "core/panel_model/page_view_steps.h"

class CPageFindBar;
class QAction;
class QMenu;
class QPrinter;

// Ids of the right-button menu's commands.
inline constexpr int ID_COPY_LIMITED = 32771;
inline constexpr int ID_SELECT_ALL_TEXT = 32772;
inline constexpr int ID_COPY_CITED_TEXT = 32773;
inline constexpr char16_t kCopyLimitedMenuText[] = u"コピー(300字以内に制限しています。)";
inline constexpr char16_t kSelectAllMenuText[] = u"すべて選択。";
inline constexpr char16_t kCopyCitedMenuText[] = u"出典付きでコピー";
inline constexpr char16_t kPrintFailedMessage[] = u"印刷できませんでした。";
// Where the text size is remembered.
inline constexpr char kPageViewSection[] = "PageView";
inline constexpr char kTextSizeName[] = "TextSize";

class CBookView : public QWidget {
  Q_OBJECT

 public:
  // Runs a popup menu at a screen position and returns the chosen action (or
  // null); tests put their own in place of QMenu::exec.
  using PopupMenuRunner = std::function<QAction*(QMenu& menu, const QPoint& screenPosition)>;
  // Names where the page shown stands ("出典：…"), or nothing; given how many
  // headings of the page stand above the cited text.
  using CitationSource = std::function<std::optional<QString>(int headingsAbove)>;
  // Asks where and how to print (the print dialog); false when the user cancels.
  using PrintDialogRunner = std::function<bool(QPrinter& printer, QWidget* parent)>;

  // Takes a browser control (the text browser when none is given).
  explicit CBookView(QWidget* parent = nullptr, std::unique_ptr<BrowserControl> browser = nullptr);
  ~CBookView() override;

  // Once the view exists: it starts on "about:blank".
  void OnInitialUpdate();

  void Navigate(const QString& location);
  QString CurrentLocation() const;
  // The view commands (copy limited, select all, print, page setup) are
  // available exactly while a page is shown.
  bool IsPageShown() const;

  bool ShowPageMenu();
  // Copies the selection, cut to the copy limit; a copy that was cut is told
  // by statusMessage.
  void CopyLimited();
  // Puts the selection, cut as CopyLimited cuts it, and a line naming where the
  // page stands on the clipboard as plain text. False when nothing is selected.
  bool CopyCited();
  // A page is shown and part of it is selected.
  bool CanCopyCited() const;
  void SelectAllText();
  // Both print commands ask with the print dialog, then print; a page that
  // could not be printed is reported. False when nothing was printed.
  bool Print();
  bool PrintWithDialog();
  void PageSetup();
  void PrintPreview();

  // The text size, one step at a time, or back to the standard size; each
  // change is remembered for the next run.
  void ZoomIn();
  void ZoomOut();
  void ZoomReset();
  int TextSize() const;

  // Find in page: the bar opens with the keyboard in its field; closing it
  // removes the marks. While it is open, a new page is searched for the same
  // text, with no match current until the reader steps.
  void OpenFindBar();
  void CloseFindBar();
  void FindNext();
  void FindPrevious();
  CPageFindBar* FindBar() const { return m_findBar; }
  const quillwen::FindSteps& FindState() const { return m_find; }

  BrowserControl& Browser() { return *m_browser; }
  void SetPopupMenuRunner(PopupMenuRunner runner);
  void SetCitationSource(CitationSource source);
  void SetPrintDialogRunner(PrintDialogRunner runner);

 signals:
  // A word for the main window's status bar.
  void statusMessage(const QString& text);
  // PageDown or Space at the bottom of the page: the reader reads on.
  void readOnRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Keys and the wheel that come to the view itself are the page's.
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void WatchBrowserWidgets();
  bool OnPageKey(const QKeyEvent& key);
  // The reader's keys of PageKeyActionOf; true when the key was taken.
  bool OnReaderKey(const QKeyEvent& key);
  void ForwardToBrowser(QEvent* event, QWidget* receiver);
  void SetTextSize(int pointSize);
  void FindText(const QString& text);
  void ShowFindLabel();
  void OnDocumentShown();

  std::unique_ptr<BrowserControl> m_browser;
  CPageFindBar* m_findBar;  // a child of the view
  quillwen::FindSteps m_find;
  PopupMenuRunner m_runMenu;
  CitationSource m_citation;
  PrintDialogRunner m_runPrintDialog;
  bool m_forwarding = false;
};
