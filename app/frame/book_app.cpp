#include "app/frame/book_app.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QTextStream>

#include "app/frame/command_line.h"
#include "app/frame/resume_state.h"
#include "app/platform/app_titles.h"
#include "app/platform/message_box.h"
#include "app/platform/qt_text.h"
#include "app/platform/qt_translations.h"
#include "core/io/path.h"

QString MissingCollectionMessage(const quillwen::CollectionLocation& location) {
  using quillwen::ProcessEnvironment;
  return ToQString(kNoCollectionFoundMessage) + u'\n' +
         QString::fromStdString(quillwen::SearchedPlacesText(location, ProcessEnvironment)) +
         u'\n' + ToQString(kBuildCollectionHint) + QStringLiteral("\n  ") +
         QString::fromStdString(quillwen::BuildCollectionCommand(location, ProcessEnvironment));
}

CBookApp::CBookApp(ReaderEnvironment base) : m_base(std::move(base)) {}

CBookApp::~CBookApp() { ExitInstance(); }

bool CBookApp::InitInstance(const QStringList& arguments) {
  const CommandLineInfo info = ParseCommandLine(arguments);
  const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  if (!info.error.isEmpty()) {
    QTextStream(stderr) << program << ": " << info.error << "\n\n" << CommandLineUsage(program);
    m_nExitCode = 2;
    return false;
  }
  if (info.showHelp || info.showVersion) {
    QTextStream(stdout) << (info.showHelp ? CommandLineUsage(program) : VersionLine(program));
    m_nExitCode = 0;
    return false;
  }
  // From here on there is a place to keep and page files to remove: a logout
  // must not end the program before it has done so.
  m_quitSignals = std::make_unique<QuitSignalNotifier>([this](int) { OnQuitSignal(); });
  CSplashWnd::EnableSplash(info.showSplash);

  QCoreApplication::setOrganizationName(QString::fromUtf8(kSettingsOrganisation));
  QCoreApplication::setApplicationName(QString::fromUtf8(kSettingsApplication));
  qApp->installEventFilter(&m_splashFilter);
  // Without Qt's catalogue only its own dialogs fall back to English.
  InstallQtTranslations();

  ReaderEnvironment environment = m_base;
  if (!info.dataFolder.isEmpty()) environment.dataFolder = info.dataFolder;
  const quillwen::CollectionLocation location =
      quillwen::LocateCollection(ToPath(environment.dataFolder), quillwen::io::ExecutableFolder());
  environment.dataFolder = QDir(ToQString(location.folder)).absolutePath();

  m_pDocument = std::make_unique<CBookDoc>();
  m_pDocument->OnNewDocument();
  m_pMainWnd = std::make_unique<CMainFrame>(environment);
  if (!m_pMainWnd->Create()) {
    m_pMainWnd.reset();
    m_nExitCode = 1;
    return false;
  }
  // After the designed messages about the missing files: what to do about them.
  if (!location.found) ShowWarningMessage(MissingCollectionMessage(location));
  // The size and place of the last run; a window that was maximised then, or
  // the first run, opens maximised.
  if (RestoreWindowGeometry(*m_pMainWnd) && !m_pMainWnd->isMaximized()) {
    m_pMainWnd->show();
  } else {
    // Where no window manager maximises the window, it fills the screen all the
    // same: the first layout then already has the panel at its full width. A
    // restored normal geometry stays for when the user restores the window.
    if (QScreen* screen = QGuiApplication::primaryScreen())
      m_pMainWnd->setGeometry(screen->availableGeometry());
    m_pMainWnd->showMaximized();
  }
  m_pMainWnd->repaint();
  CSplashWnd::RaiseSplash();
  return true;
}

void CBookApp::OnQuitSignal() {
  // A dialog's own event loop would keep running after the main window has
  // gone, and the program with it: each open dialog is cancelled first.
  for (int open = 0; open < 16; ++open) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) break;
    if (auto* dialog = qobject_cast<QDialog*>(modal))
      dialog->reject();
    else
      modal->close();
  }
  if (m_pMainWnd) m_pMainWnd->close();
  // Whatever stayed open, the program ends; what it keeps at its end is kept
  // as the window goes with this object.
  QCoreApplication::exit(0);
}

void CBookApp::ExitInstance() {
  m_quitSignals.reset();
  m_pMainWnd.reset();
  m_pDocument.reset();
  if (qApp != nullptr) qApp->removeEventFilter(&m_splashFilter);
}
