#pragma once

// The main window's commands: the menus, accelerators and toolbar buttons built
// from the command table, when each command is available, and what it does.
// A command goes to the active pane's view first: the page view, when it is the
// active pane, carries copy, print, print settings and the browser's own keys;
// everything else is the frame's or the application's.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>

class CBookView;
class CHelpWindow;
class CLeftForm;
class CSCrollToolBar;
class QAction;
namespace quillwen {
struct ReadingUpdate;
}
class QMainWindow;
class QMenu;
class QWidget;
class ST_SplitterWnd;

inline constexpr char kHelpFileName[] = "help.html";
// Where the help file lives on the program's home platform; the reader asks for
// kHelpFileName in the data folder instead, and in the installed program's
// shared files when the collection brings none.
inline constexpr char kWindowsHelpPath[] = "c:\\Program Files (x86)\\mvr\\help.chm";

// The help file in `dataFolder`, else in `shareFolder`; empty when neither has one.
QString FindHelpFile(const QString& dataFolder, const QString& shareFolder);

// Saving the result.
inline constexpr char16_t kSaveResultCaption[] = u"結果を保存";
inline constexpr char16_t kResultFileName[] = u"検索結果.csv";
inline constexpr char16_t kResultFileFilter[] = u"CSV (*.csv)";
inline constexpr char16_t kSaveResultFailedMessage[] = u"検索結果を保存できませんでした。";

// Asks for the name of a file to write: a caption, the path proposed and the
// file type filter; empty when the user cancels.
using SaveFileChooser = std::function<QString(QWidget* parent, const QString& caption,
                                              const QString& proposedPath, const QString& filter)>;
// The file dialog.
QString ChooseSaveFileName(QWidget* parent, const QString& caption, const QString& proposedPath,
                           const QString& filter);

// What the commands work on, lent by the main window that owns it all and
// outlives the commands. The window's own members keep their names here, so
// that the commands read as the window's code.
struct MainFrameParts {
  QMainWindow& window;
  ST_SplitterWnd& m_wndSplitter;
  CBookView* m_pBookView;
  CLeftForm* m_pLeftForm;
  CSCrollToolBar& m_wndToolBar;
  QString dataFolder;  // where the help file is
};

class MainFrameCommands : public QObject {
  Q_OBJECT

 public:
  // A child of frame.window.
  explicit MainFrameCommands(const MainFrameParts& frame);

  // Menus into the frame's menu bar, accelerators on the frame, the page
  // toolbar's buttons, and the availability updates.
  void Create();

  QAction* Action(int id) const;
  bool IsAvailable(int id) const;
  // Runs command `id` when it is available; false when it was not run.
  bool Run(int id);
  // Greys what is unavailable (menus on opening, the toolbar when idle).
  void UpdateCommandUI();

  // The panel showed a stored page: the slider and the label follow.
  void OnReadingChanged(const quillwen::ReadingUpdate& reading);
  // The page toolbar's slider chose page `page` of the volume shown.
  void OnPageChosen(int page);
  // Replaces how the save command asks for a file name (tests answer for the
  // user); the file dialog when empty.
  void SetSaveFileChooser(SaveFileChooser chooser);

 private:
  QAction* MakeAction(int id, const QString& text);
  bool PageViewIsActive() const;
  bool PageShown() const;
  void OnSwitchPane();
  void OnHelp();
  void OnAppAbout();
  void OnFileSave();
  void OnSaveResult();

  MainFrameParts m_frame;
  std::map<int, QAction*> m_actions;
  QTimer m_idle;
  SaveFileChooser m_chooseSaveFile = ChooseSaveFileName;
  QString m_saveFolder;                // where the result was last saved; empty: the home folder
  QPointer<CHelpWindow> m_helpWindow;  // the help shown inside the reader; it goes when closed
};
