#include "app/frame/main_frame.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QPointer>
#include <QProcess>
#include <QStatusBar>

#include "app/frame/book_view.h"
#include "app/frame/command_table.h"
#include "app/frame/frame_commands.h"
#include "app/frame/resume_state.h"
#include "app/frame/splash_wnd.h"
#include "app/panel/left_form.h"
#include "app/platform/app_titles.h"
#include "app/platform/program_resources.h"
#include "app/platform/qt_text.h"
#include "core/panel_model/panel_layout.h"

CMainFrame::CMainFrame(const ReaderEnvironment& environment) : m_environment(environment) {
  setWindowTitle(ToQString(quillwen::kMainWindowCaption));
}

bool CMainFrame::Create() {
  // The splash screen covers the building of the panes and the catalogue load.
  CSplashWnd::ShowSplash(this, m_environment.dataFolder);
  if (!OnCreateClient()) return false;

  m_wndToolBar.setObjectName(QStringLiteral("toolbar%1").arg(AFX_IDW_TOOLBAR));
  m_wndToolBar.setMovable(false);
  m_wndToolBar.setFloatable(false);
  m_wndToolBar.setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
  addToolBar(Qt::TopToolBarArea, &m_wndToolBar);
  statusBar()->setObjectName(QStringLiteral("statusBar"));
  m_commands = new MainFrameCommands(
      {*this, m_wndSplitter, m_pBookView, m_pLeftForm, m_wndToolBar, m_environment.dataFolder});
  m_commands->Create();
  connect(m_pLeftForm, &CLeftForm::readingChanged, m_commands,
          &MainFrameCommands::OnReadingChanged);
  connect(&m_wndToolBar, &CSCrollToolBar::pageChosen, m_commands, &MainFrameCommands::OnPageChosen);
  // Paging on past the bottom of a page reads on into the next one, where
  // the volume has one.
  connect(m_pBookView, &CBookView::readOnRequested, m_commands,
          [this] { m_commands->Run(ID_NEXT_PAGE); });
  // What the page view has to say in passing (a copy that was cut).
  connect(m_pBookView, &CBookView::statusMessage, this, [this](const QString& text) {
    statusBar()->showMessage(text, kStatusMessageMilliseconds);
  });
  // A result page brings new hits: F3 must work at once, not after the next idle update.
  connect(m_pLeftForm, &CLeftForm::pageToShow, m_commands, &MainFrameCommands::UpdateCommandUI);

  setWindowTitle(ToQString(quillwen::kMainWindowCaption));
  EnsureProgramResources();
  setWindowIcon(QIcon(QStringLiteral(":/book_closed.png")));
  // Once the toolbar listens: it follows the volume as after a user's selection.
  ResumeReadingPlace(*m_pLeftForm);
  return true;
}

bool CMainFrame::OnCreateClient() {
  quillwen::LeftFormModel::Environment panel;
  panel.dataFolder = m_environment.dataFolder.toStdString();
  panel.messages = &m_messages;
  panel.tempParent = m_environment.tempParent;
  panel.listingPath = m_environment.listingPath;

  auto* leftForm = new CLeftForm(panel);
  auto* bookView = new CBookView;
  m_wndSplitter.setObjectName(QStringLiteral("splitter%1").arg(AFX_IDW_PANE_FIRST));
  m_wndSplitter.CreatePanes(leftForm, bookView, true);
  setCentralWidget(&m_wndSplitter);
  m_pLeftForm = leftForm;
  m_pBookView = bookView;
  connect(m_pLeftForm, &CLeftForm::pageToShow, m_pBookView, &CBookView::Navigate);
  m_pBookView->SetCitationSource(
      [panel = QPointer<CLeftForm>(leftForm)](int headingsAbove) -> std::optional<QString> {
        if (panel.isNull()) return std::nullopt;
        return panel->CitationOfShownPage(headingsAbove);
      });

  m_pBookView->OnInitialUpdate();
  m_pLeftForm->OnInitialUpdate();
  // The panel is the active view at start: the keyboard works the contents
  // tree as soon as the window is activated.
  m_pLeftForm->setFocus(Qt::ActiveWindowFocusReason);
  return true;
}

CMainFrame::~CMainFrame() {
  // No command or availability update may reach the panel once it is gone.
  delete m_commands;
  m_commands = nullptr;
  if (m_pLeftForm != nullptr) {
    // While the panel's model still knows what it shows.
    SaveReadingPlace(*m_pLeftForm);
    SaveWindowGeometry(*this);
    m_pLeftForm->OnDestroy();
  }
  StartCompanionProgram();
  // The splash screen belongs to this window and goes with it.
  if (CSplashWnd::Current() != nullptr && CSplashWnd::Current()->parentWidget() == this)
    CSplashWnd::HideSplash();
  // Members go next: the toolbar, then the splitter, which writes the pane
  // record while both panes still stand, then deletes them.
  removeToolBar(&m_wndToolBar);
}

void CMainFrame::StartCompanionProgram() {
  const QString program =
      QDir(m_environment.dataFolder).filePath(QString::fromLatin1(kCompanionProgramName));
  // No companion program, or one that does not start: nothing to report.
  if (!QFileInfo(program).isFile()) return;
  QProcess::startDetached(program, QStringList());
}
