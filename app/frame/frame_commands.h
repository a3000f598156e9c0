#pragma once

// The main window's commands: the menus, accelerators and toolbar buttons built
// from the command table, when each command is available, and what it does.
// A command goes to the active pane's view first: the page view, when it is the
// active pane, carries copy, print, print settings and the browser's own keys;
// everything else is the frame's or the application's.

#include <map>

#include <QObject>
#include <QString>
#include <QTimer>

class CMainFrame;
class QAction;
class QMenu;

inline constexpr char kHelpFileName[] = "help.html";
// Where the help file lives on the program's home platform; the reader asks for
// kHelpFileName in the data folder instead.
inline constexpr char kWindowsHelpPath[] = "c:\\Program Files (x86)\\mvr\\help.chm";

class MainFrameCommands : public QObject {
  Q_OBJECT

 public:
  explicit MainFrameCommands(CMainFrame& frame);

  // Menus into the frame's menu bar, accelerators on the frame, the page
  // toolbar's buttons, and the availability updates.
  void Create();

  QAction* Action(int id) const;
  bool IsAvailable(int id) const;
  // Runs command `id` when it is available; false when it was not run.
  bool Run(int id);
  // Greys what is unavailable (menus on opening, the toolbar when idle).
  void UpdateCommandUI();

  // The volume shown by the tree: the slider and the label follow.
  void OnVolumeShown();
  // The page toolbar's slider chose page `page`: it is shown from the volume
  // shown, and the label follows.
  void OnPageChosen(int page);

 private:
  QAction* MakeAction(int id, const QString& text);
  bool PageViewIsActive() const;
  bool PageShown() const;
  void UpdatePageLabel();
  void OnStepPage(int delta);
  void OnStepVolume(int direction);
  void MoveTreeSelection(int direction);
  void OnStepHit(int delta);
  void OnSwitchPane();
  void OnHelp();
  void OnAppAbout();
  void OnFileSave();

  CMainFrame& m_frame;
  std::map<int, QAction*> m_actions;
  QTimer m_idle;
};
