#include "app/frame/frame_commands.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTreeWidget>
#include <QUrl>

#include "app/frame/about_dlg.h"
#include "app/frame/book_view.h"
#include "app/frame/command_table.h"
#include "app/frame/help_window.h"
#include "app/frame/scroll_tool_bar.h"
#include "app/frame/st_splitter_wnd.h"
#include "app/panel/left_form.h"
#include "app/platform/message_box.h"
#include "app/platform/qt_text.h"
#include "core/io/path.h"

namespace {

// How often the toolbar's buttons are brought up to date while nothing happens.
constexpr int kIdleUpdateMilliseconds = 100;

}  // namespace

QString ChooseSaveFileName(QWidget* parent, const QString& caption, const QString& proposedPath,
                           const QString& filter) {
  QFileDialog dialog(parent, caption, proposedPath, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // A name typed without its type still makes a file the spreadsheet opens.
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  dialog.selectFile(proposedPath);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

MainFrameCommands::MainFrameCommands(const MainFrameParts& frame)
    : QObject(&frame.window), m_frame(frame) {}

QAction* MainFrameCommands::MakeAction(int id, const QString& text) {
  auto* action = new QAction(text, &m_frame.window);
  action->setObjectName(QStringLiteral("command%1").arg(id));
  connect(action, &QAction::triggered, this, [this, id] { Run(id); });
  m_actions[id] = action;
  return action;
}

void MainFrameCommands::Create() {
  QMenuBar* bar = m_frame.window.menuBar();
  std::vector<QMenu*> menus;
  for (const std::u16string_view title : kMenuTitles) {
    QMenu* menu = bar->addMenu(ToQString(title));
    connect(menu, &QMenu::aboutToShow, this, &MainFrameCommands::UpdateCommandUI);
    menus.push_back(menu);
  }
  for (const MenuCommand& command : kMenuCommands) {
    QAction* action = MakeAction(command.id, ToQString(command.menuText));
    const std::u16string_view tooltip = TooltipOf(command.resourceString);
    if (!tooltip.empty()) action->setToolTip(ToQString(tooltip));
    menus[static_cast<size_t>(command.menu)]->addAction(action);
    if (command.separatorAfter) menus[static_cast<size_t>(command.menu)]->addSeparator();
  }
  m_actions[ID_VIEW_TOOLBAR]->setCheckable(true);
  m_actions[ID_VIEW_STATUS_BAR]->setCheckable(true);

  // Accelerators: on the menu's action where the command has one, else on an
  // action of the frame's own that no menu shows.
  std::map<int, QList<QKeySequence>> keys;
  for (const Accelerator& accelerator : kAccelerators) {
    keys[accelerator.id].append(QKeySequence(QString::fromLatin1(
        accelerator.keys.data(), static_cast<qsizetype>(accelerator.keys.size()))));
  }
  for (const auto& [id, sequences] : keys) {
    QAction* action = Action(id);
    if (action == nullptr) {
      action = MakeAction(id, QString());
      m_frame.window.addAction(action);
    }
    action->setShortcuts(sequences);
    action->setShortcutContext(Qt::WindowShortcut);
  }

  m_frame.m_wndToolBar.Create([this](int id) { return Action(id); });
  connect(&m_idle, &QTimer::timeout, this, &MainFrameCommands::UpdateCommandUI);
  m_idle.start(kIdleUpdateMilliseconds);
  UpdateCommandUI();
}

QAction* MainFrameCommands::Action(int id) const {
  const auto found = m_actions.find(id);
  return found == m_actions.end() ? nullptr : found->second;
}

bool MainFrameCommands::PageViewIsActive() const {
  return m_frame.m_pBookView != nullptr && m_frame.m_wndSplitter.ActivePane() == 1;
}

// Rule A: the page view shows something other than "about:blank".
bool MainFrameCommands::PageShown() const {
  return m_frame.m_pBookView != nullptr && m_frame.m_pBookView->IsPageShown();
}

bool MainFrameCommands::IsAvailable(int id) const {
  const quillwen::ReadingState reading = m_frame.m_pLeftForm != nullptr
                                             ? m_frame.m_pLeftForm->Model().Reading()
                                             : quillwen::ReadingState{};
  switch (id) {
    case ID_FILE_PRINT_SETUP_PAGE:
    case ID_FILE_PRINT_PAGE:
    case ID_EDIT_SELECT_ALL_PAGE:
      return PageShown();
    case ID_EDIT_COPY_CITED:
      return m_frame.m_pBookView != nullptr && m_frame.m_pBookView->CanCopyCited();
    case ID_EDIT_FIND_IN_PAGE:
      return PageShown();
    case ID_VIEW_ZOOM_IN:
    case ID_VIEW_ZOOM_OUT:
    case ID_VIEW_ZOOM_RESET:
      // A size chosen before any page is shown is the size the first one gets.
      return m_frame.m_pBookView != nullptr;
    case ID_FILE_SAVE_RESULT:
      return m_frame.m_pLeftForm != nullptr && m_frame.m_pLeftForm->HasResultRows();
    case ID_EDIT_COPY:
      return PageShown();
    case ID_EDIT_CUT:
      return PageViewIsActive() &&
             m_frame.m_pBookView->Browser().QueryCommandEnabled(BrowserCommandQuery::kCut);
    case ID_EDIT_PASTE:
      return PageViewIsActive() &&
             m_frame.m_pBookView->Browser().QueryCommandEnabled(BrowserCommandQuery::kPaste);
    case ID_FILE_PRINT:
      return PageViewIsActive();
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
      return m_frame.m_wndSplitter.count() == 2 && m_frame.m_wndSplitter.m_nHiddenColumn == -1;
    case ID_PREVIOUS_PAGE:
      return quillwen::CanGoToPreviousPage(reading);
    case ID_NEXT_PAGE:
      return quillwen::CanGoToNextPage(reading);
    case ID_PREVIOUS_VOLUME:
      return quillwen::CanGoToPreviousVolume(reading);
    case ID_NEXT_VOLUME:
      return quillwen::CanGoToNextVolume(reading);
    case ID_PREVIOUS_HIT:
      return quillwen::CanGoToPreviousHit(reading);
    case ID_NEXT_HIT:
      return quillwen::CanGoToNextHit(reading);
    case ID_GO_BACK:
      return m_frame.m_pLeftForm != nullptr && m_frame.m_pLeftForm->Model().CanGoBack();
    case ID_GO_FORWARD:
      return m_frame.m_pLeftForm != nullptr && m_frame.m_pLeftForm->Model().CanGoForward();
    case ID_FILE_SAVE:
    case ID_VIEW_FULL_DISPLAY:
    case ID_VIEW_TOOLBAR:
    case ID_VIEW_STATUS_BAR:
    case ID_HELP_FILE:
    case ID_APP_ABOUT:
    case ID_APP_EXIT:
      return true;
    default:
      return false;  // new, open, undo: no handler
  }
}

void MainFrameCommands::UpdateCommandUI() {
  for (const auto& [id, action] : m_actions) action->setEnabled(IsAvailable(id));
  m_actions[ID_VIEW_TOOLBAR]->setChecked(m_frame.m_wndToolBar.isVisible());
  m_actions[ID_VIEW_STATUS_BAR]->setChecked(m_frame.window.statusBar()->isVisible());
}

bool MainFrameCommands::Run(int id) {
  if (!IsAvailable(id)) {
    UpdateCommandUI();
    return false;
  }
  CBookView& view = *m_frame.m_pBookView;
  switch (id) {
    case ID_FILE_PRINT_SETUP_PAGE:
      if (PageViewIsActive())
        view.PageSetup();
      else
        view.PrintPreview();
      break;
    case ID_FILE_PRINT_PAGE:
      view.Print();
      break;
    case ID_EDIT_COPY:
      // From whichever pane: the browser's own copy would take the page whole.
      view.CopyLimited();
      break;
    case ID_EDIT_SELECT_ALL_PAGE:
      view.SelectAllText();
      break;
    case ID_EDIT_COPY_CITED:
      view.CopyCited();
      break;
    case ID_EDIT_FIND_IN_PAGE:
      view.OpenFindBar();
      break;
    case ID_VIEW_ZOOM_IN:
      view.ZoomIn();
      break;
    case ID_VIEW_ZOOM_OUT:
      view.ZoomOut();
      break;
    case ID_VIEW_ZOOM_RESET:
      view.ZoomReset();
      break;
    case ID_FILE_SAVE_RESULT:
      OnSaveResult();
      break;
    case ID_FILE_PRINT:
      view.PrintWithDialog();
      break;
    case ID_FILE_SAVE:
      OnFileSave();
      break;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
      OnSwitchPane();
      break;
    case ID_VIEW_FULL_DISPLAY:
      m_frame.m_wndSplitter.TogglePane(0);
      break;
    case ID_VIEW_TOOLBAR:
      m_frame.m_wndToolBar.setVisible(!m_frame.m_wndToolBar.isVisible());
      break;
    case ID_VIEW_STATUS_BAR:
      m_frame.window.statusBar()->setVisible(!m_frame.window.statusBar()->isVisible());
      break;
    case ID_PREVIOUS_PAGE:
      m_frame.m_pLeftForm->StepPage(-1);
      break;
    case ID_NEXT_PAGE:
      m_frame.m_pLeftForm->StepPage(+1);
      break;
    case ID_PREVIOUS_VOLUME:
      m_frame.m_pLeftForm->StepVolume(-1);
      break;
    case ID_NEXT_VOLUME:
      m_frame.m_pLeftForm->StepVolume(+1);
      break;
    case ID_PREVIOUS_HIT:
      m_frame.m_pLeftForm->StepHit(-1);
      break;
    case ID_NEXT_HIT:
      m_frame.m_pLeftForm->StepHit(+1);
      break;
    case ID_GO_BACK:
      m_frame.m_pLeftForm->GoBack();
      break;
    case ID_GO_FORWARD:
      m_frame.m_pLeftForm->GoForward();
      break;
    case ID_HELP_FILE:
      OnHelp();
      break;
    case ID_APP_ABOUT:
      OnAppAbout();
      break;
    case ID_APP_EXIT:
      m_frame.window.close();
      break;
    default:
      break;
  }
  UpdateCommandUI();
  return true;
}

void MainFrameCommands::OnReadingChanged(const quillwen::ReadingUpdate& reading) {
  if (reading.volumeChanged)
    m_frame.m_wndToolBar.SetVolume(reading.slider, reading.page);
  else
    m_frame.m_wndToolBar.SetPosition(reading.page);
  m_frame.m_wndToolBar.SetPageLabel(ToQString(reading.pageLabel));
  UpdateCommandUI();
}

void MainFrameCommands::OnPageChosen(int page) {
  if (m_frame.m_pLeftForm != nullptr) m_frame.m_pLeftForm->GoToSliderPage(page);
}

void MainFrameCommands::SetSaveFileChooser(SaveFileChooser chooser) {
  m_chooseSaveFile = chooser ? std::move(chooser) : SaveFileChooser(ChooseSaveFileName);
}

void MainFrameCommands::OnSaveResult() {
  const QDir folder = m_saveFolder.isEmpty() ? QDir::home() : QDir(m_saveFolder);
  const QString path =
      m_chooseSaveFile(&m_frame.window, ToQString(kSaveResultCaption),
                       folder.filePath(ToQString(kResultFileName)), ToQString(kResultFileFilter));
  if (path.isEmpty()) return;
  QString error;
  if (!m_frame.m_pLeftForm->SaveResultCsv(path, error)) {
    ShowWarningMessage(ToQString(kSaveResultFailedMessage) + u'\n' + error);
    return;
  }
  m_saveFolder = QFileInfo(path).absolutePath();
}

void MainFrameCommands::OnSwitchPane() {
  // With two panes the next and the previous pane are the same.
  m_frame.m_wndSplitter.SetActivePane(m_frame.m_wndSplitter.ActivePane() == 0 ? 1 : 0);
}

QString FindHelpFile(const QString& dataFolder, const QString& shareFolder) {
  for (const QString& folder : {dataFolder, shareFolder}) {
    if (folder.isEmpty()) continue;
    const QString help = QDir(folder).filePath(QString::fromLatin1(kHelpFileName));
    if (QFileInfo(help).isFile()) return help;
  }
  return {};
}

void MainFrameCommands::OnHelp() {
  // A missing help file is not reported.
  const QString help =
      FindHelpFile(m_frame.dataFolder,
                   ToQString(quillwen::io::InstalledShareFolder(quillwen::io::ExecutableFolder())));
  if (help.isEmpty()) return;
  // Where the desktop has no web browser to open it, the reader shows it.
  if (QDesktopServices::openUrl(QUrl::fromLocalFile(help))) return;
  if (m_helpWindow == nullptr) m_helpWindow = new CHelpWindow(help, &m_frame.window);
  m_helpWindow->show();
  m_helpWindow->raise();
  m_helpWindow->activateWindow();
}

void MainFrameCommands::OnAppAbout() {
  CAboutDlg about(&m_frame.window);
  about.exec();
}

void MainFrameCommands::OnFileSave() {
  // The document has no content: saving writes an empty file.
  const QString path = QFileDialog::getSaveFileName(&m_frame.window);
  if (path.isEmpty()) return;
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.close();
}
