#pragma once

// The main window: the splitter with the navigation panel (pane 0) and the page
// view (pane 1), the page toolbar's place and the status bar.
// When it goes it starts the companion program "end.exe" of the data folder and
// its splitter writes the pane record.

#include <QMainWindow>
#include <filesystem>
#include <memory>

#include "app/frame/scroll_tool_bar.h"
#include "app/frame/st_splitter_wnd.h"
#include "app/platform/message_box.h"
#include "core/store/catalogue_format.h"

class CBookView;
class CLeftForm;
class MainFrameCommands;

// Where the main window finds its collection and puts its files.
struct ReaderEnvironment {
  QString dataFolder;                // the collection
  std::filesystem::path tempParent;  // empty: the user's temporary folder
  std::filesystem::path listingPath = quillwen::kCatalogueListingFileName;
};

inline constexpr char kCompanionProgramName[] = "end.exe";
// How long a word in the status bar stays.
inline constexpr int kStatusMessageMilliseconds = 8000;
inline constexpr int AFX_IDW_TOOLBAR = 59392;
inline constexpr int AFX_IDW_PANE_FIRST = 59648;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  explicit CMainFrame(const ReaderEnvironment& environment);
  // Panel clean-up, then "end.exe", then the toolbar and the splitter (whose
  // end writes the pane record).
  ~CMainFrame() override;

  // Splash screen, client area, toolbar, caption and icon. False: the window
  // cannot be used and the program ends.
  bool Create();

  const ReaderEnvironment& Environment() const { return m_environment; }
  // The menus, accelerators and toolbar buttons; null before Create.
  MainFrameCommands* Commands() const { return m_commands; }

 private:
  bool OnCreateClient();
  void StartCompanionProgram();

  ReaderEnvironment m_environment;
  // The panel and its model report through this; it outlives them.
  WarningMessageSink m_messages;
  MainFrameCommands* m_commands = nullptr;  // a child of the frame

 public:
  ST_SplitterWnd m_wndSplitter{0};
  CBookView* m_pBookView = nullptr;
  CLeftForm* m_pLeftForm = nullptr;
  // The page toolbar, docked at the top.
  CSCrollToolBar m_wndToolBar;
};
