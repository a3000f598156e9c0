#pragma once

// The application: reads the command line, sets up the settings store's names
// and the splash filter, and makes the document and the main window.

#include <QStringList>
#include <memory>

#include "app/frame/book_doc.h"
#include "app/frame/main_frame.h"
#include "app/frame/splash_wnd.h"
#include "app/platform/quit_signals.h"
#include "core/store/collection_location.h"

// Shown after the designed "you delete data file!" when no place the reader
// looks in holds a collection: the places, then how to build one.
inline constexpr char16_t kNoCollectionFoundMessage[] =
    u"コレクションが見つかりませんでした。次の場所を探しました:";
inline constexpr char16_t kBuildCollectionHint[] = u"次のコマンドでコレクションを作れます:";
QString MissingCollectionMessage(const quillwen::CollectionLocation& location);

class CBookApp {
 public:
  // `base` supplies what the command line does not set (tests point the
  // temporary and listing files into their own folder).
  explicit CBookApp(ReaderEnvironment base = {});
  // Destroys the main window (end of the program: "end.exe", pane record).
  ~CBookApp();
  CBookApp(const CBookApp&) = delete;
  CBookApp& operator=(const CBookApp&) = delete;

  // `arguments` without the program name. False ends the program with
  // ExitCode(): after --help or --version (0) or for arguments it cannot use (2).
  bool InitInstance(const QStringList& arguments);
  int ExitCode() const { return m_nExitCode; }

  CMainFrame* MainFrame() const { return m_pMainWnd.get(); }
  CBookDoc* Document() const { return m_pDocument.get(); }
  // Ends the program's window now (as the exit command does at the end).
  void ExitInstance();
  // SIGTERM, SIGHUP or SIGINT came: the program ends as its exit command ends
  // it, the reading place and the layout saved, the page files removed.
  void OnQuitSignal();

 private:
  ReaderEnvironment m_base;
  SplashMessageFilter m_splashFilter;
  std::unique_ptr<CBookDoc> m_pDocument;
  std::unique_ptr<CMainFrame> m_pMainWnd;
  std::unique_ptr<QuitSignalNotifier> m_quitSignals;
  int m_nExitCode = 0;
};
