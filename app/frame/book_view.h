#pragma once

// The page view: the right pane, showing the page files the panel writes. On
// top of the browser control it keeps the Ctrl key and the right mouse button
// for itself (its own menu instead of the browser's), limits what its copy puts
// on the clipboard, copies a selection with the place it comes from, and
// carries the print commands.

#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "app/platform/browser_control.h"

class QAction;
class QMenu;

// Ids of the right-button menu's commands.
inline constexpr int ID_COPY_LIMITED = 32771;
inline constexpr int ID_SELECT_ALL_TEXT = 32772;
inline constexpr int ID_COPY_CITED_TEXT = 32773;
inline constexpr char16_t kCopyLimitedMenuText[] = u"コピー(300字以内に制限しています。)";
inline constexpr char16_t kSelectAllMenuText[] = u"すべて選択。";
inline constexpr char16_t kCopyCitedMenuText[] = u"出典付きでコピー";
inline constexpr char16_t kUseRightButtonMessage[] = u"マウスの右ボタンでコピーして下さい。";

class CBookView : public QWidget {
  Q_OBJECT

 public:
  // Runs a popup menu at a screen position and returns the chosen action (or
  // null); tests put their own in place of QMenu::exec.
  using PopupMenuRunner = std::function<QAction*(QMenu& menu, const QPoint& screenPosition)>;
  // Names where the page shown stands ("出典：…"), or nothing.
  using CitationSource = std::function<std::optional<QString>()>;

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
  void CopyLimited();
  // Puts the selection, cut as CopyLimited cuts it, and a line naming where the
  // page stands on the clipboard as plain text. False when nothing is selected.
  bool CopyCited();
  // A page is shown and part of it is selected.
  bool CanCopyCited() const;
  void SelectAllText();
  void Print();            // at once, without a dialog
  void PrintWithDialog();  // the browser's print, with its dialog
  void PageSetup();
  void PrintPreview();

  BrowserControl& Browser() { return *m_browser; }
  void SetPopupMenuRunner(PopupMenuRunner runner);
  void SetCitationSource(CitationSource source);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WatchBrowserWidgets();

  std::unique_ptr<BrowserControl> m_browser;
  PopupMenuRunner m_runMenu;
  CitationSource m_citation;
};
