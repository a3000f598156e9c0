#include "app/frame/book_view.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/frame/page_find_bar.h"
#include "app/frame/page_keys.h"
#include "app/platform/limited_copy.h"
#include "app/platform/message_box.h"
#include "app/platform/qt_text.h"
#include "app/platform/settings_store.h"
#include "app/platform/text_browser_control.h"
#include "core/panel_model/left_form_model.h"

namespace {

bool RunPrintDialog(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

CBookView::CBookView(QWidget* parent, std::unique_ptr<BrowserControl> browser)
    : QWidget(parent),
      m_browser(browser ? std::move(browser) : std::make_unique<TextBrowserControl>(this)),
      m_findBar(new CPageFindBar(this)),
      m_runMenu([](QMenu& menu, const QPoint& at) { return menu.exec(at); }),
      m_runPrintDialog(RunPrintDialog) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(m_browser->Widget(), 1);
  layout->addWidget(m_findBar);
  m_findBar->hide();
  // The right button is this view's: the browser offers no menu of its own.
  m_browser->Widget()->setContextMenuPolicy(Qt::PreventContextMenu);
  setFocusProxy(m_browser->Widget());
  WatchBrowserWidgets();
  m_browser->SetDocumentShownHandler([this] { OnDocumentShown(); });
  m_browser->SetTextSize(quillwen::TextSizeFromSetting(
      ReadSettingString(QLatin1String(kPageViewSection), QLatin1String(kTextSizeName))
          .toStdU16String()));
  connect(m_findBar, &CPageFindBar::textChanged, this, &CBookView::FindText);
  connect(m_findBar, &CPageFindBar::nextRequested, this, &CBookView::FindNext);
  connect(m_findBar, &CPageFindBar::previousRequested, this, &CBookView::FindPrevious);
  connect(m_findBar, &CPageFindBar::closeRequested, this, &CBookView::CloseFindBar);
}

CBookView::~CBookView() = default;

void CBookView::WatchBrowserWidgets() {
  QWidget* root = m_browser->Widget();
  root->installEventFilter(this);
  for (QWidget* child : root->findChildren<QWidget*>()) child->installEventFilter(this);
}

void CBookView::OnInitialUpdate() { Navigate(QString::fromLatin1(kBlankLocation)); }

void CBookView::Navigate(const QString& location) { m_browser->Navigate(location); }

QString CBookView::CurrentLocation() const { return m_browser->CurrentLocation(); }

bool CBookView::IsPageShown() const { return CurrentLocation() != QLatin1String(kBlankLocation); }

void CBookView::SetPopupMenuRunner(PopupMenuRunner runner) { m_runMenu = std::move(runner); }

void CBookView::SetCitationSource(CitationSource source) { m_citation = std::move(source); }

void CBookView::SetPrintDialogRunner(PrintDialogRunner runner) {
  m_runPrintDialog = runner ? std::move(runner) : PrintDialogRunner(RunPrintDialog);
}

// Keys typed in the page that are the view's rather than the browser's: the
// text size ('+' or '=', '-', '0') and the find bar ('/'). Shift may be
// needed to type them; with Alt or Ctrl they are something else.
bool CBookView::OnPageKey(const QKeyEvent& key) {
  if (key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) return false;
  switch (key.key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      ZoomIn();
      return true;
    case Qt::Key_Minus:
      ZoomOut();
      return true;
    case Qt::Key_0:
      ZoomReset();
      return true;
    case Qt::Key_Slash:
      OpenFindBar();
      return true;
    default:
      return false;
  }
}

bool CBookView::OnReaderKey(const QKeyEvent& key) {
  switch (PageKeyActionOf(key.key(), key.modifiers())) {
    case PageKeyAction::kCopy:
      // No key reaches the browser's own, unlimited copy.
      if (IsPageShown()) CopyLimited();
      return true;
    case PageKeyAction::kSelectAll:
      if (IsPageShown()) SelectAllText();
      return true;
    case PageKeyAction::kToStart:
      m_browser->ScrollToStart();
      return true;
    case PageKeyAction::kToEnd:
      m_browser->ScrollToEnd();
      return true;
    case PageKeyAction::kPageOn:
      // Above the bottom the browser scrolls a screen down.
      if (!IsPageShown() || !m_browser->IsAtEnd()) return false;
      emit readOnRequested();
      return true;
    case PageKeyAction::kSwallow:
      return true;
    case PageKeyAction::kNone:
      break;
  }
  return false;
}

void CBookView::keyPressEvent(QKeyEvent* event) { ForwardToBrowser(event, m_browser->Widget()); }

void CBookView::wheelEvent(QWheelEvent* event) {
  // A scrolling browser takes the wheel on its viewport.
  auto* area = qobject_cast<QAbstractScrollArea*>(m_browser->Widget());
  ForwardToBrowser(event, area != nullptr ? area->viewport() : m_browser->Widget());
}

void CBookView::ForwardToBrowser(QEvent* event, QWidget* receiver) {
  // What the browser does not take comes back up through this view on its
  // way to the window: it goes on from here, not round again.
  if (m_forwarding) {
    event->ignore();
    return;
  }
  m_forwarding = true;
  QApplication::sendEvent(receiver, event);
  m_forwarding = false;
}
bool CBookView::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        if (IsPageShown()) ShowPageMenu();
        return true;
      }
      break;
    case QEvent::ShortcutOverride: {
      // The view's own Ctrl keys come to it as key presses, before any
      // shortcut of the main window; the others stay the window's.
      const auto* key = static_cast<QKeyEvent*>(event);
      if (PageViewClaimsShortcut(key->key(), key->modifiers())) {
        event->accept();
        return true;
      }
      break;
    }
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (OnReaderKey(*key) || OnPageKey(*key)) return true;
      break;
    }
    case QEvent::Wheel: {
      // The browser would size its text with Ctrl and the wheel behind the
      // view's back; the view's own steps do it, and remember it.
      auto* wheel = static_cast<QWheelEvent*>(event);
      if (!(wheel->modifiers() & Qt::ControlModifier)) break;
      if (wheel->angleDelta().y() > 0)
        ZoomIn();
      else if (wheel->angleDelta().y() < 0)
        ZoomOut();
      return true;
    }
    case QEvent::ChildAdded:
      if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) {
        child->installEventFilter(this);
      }
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

bool CBookView::ShowPageMenu() {
  const QPoint at = QCursor::pos();
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("RightClick"));
  QAction* copy = menu.addAction(ToQString(kCopyLimitedMenuText));
  copy->setData(ID_COPY_LIMITED);
  QAction* selectAll = menu.addAction(ToQString(kSelectAllMenuText));
  selectAll->setData(ID_SELECT_ALL_TEXT);
  QAction* cited = menu.addAction(ToQString(kCopyCitedMenuText));
  cited->setData(ID_COPY_CITED_TEXT);
  copy->setEnabled(IsPageShown());
  selectAll->setEnabled(IsPageShown());
  cited->setEnabled(CanCopyCited());
  // The commands come straight back to this view, not through the main window.
  QAction* chosen = m_runMenu(menu, at);
  if (chosen == copy && IsPageShown())
    CopyLimited();
  else if (chosen == selectAll && IsPageShown())
    SelectAllText();
  else if (chosen == cited && CanCopyCited())
    CopyCited();
  return true;
}

void CBookView::CopyLimited() {
  m_browser->Execute(BrowserCommand::kCopy, BrowserCommandOption::kDontPromptUser);
  if (LimitClipboardText()) emit statusMessage(ToQString(kCopyCutMessage));
}

bool CBookView::CanCopyCited() const {
  return IsPageShown() && m_browser->QueryCommandEnabled(BrowserCommandQuery::kCopy);
}

bool CBookView::CopyCited() {
  const QString selection = m_browser->SelectedText();
  if (!IsPageShown() || selection.isEmpty()) return false;
  // The limit is the one of the plain copy: a citation does not make a longer
  // quotation leave the reader. The citation line comes on top of it.
  const std::optional<QString> limited = LimitedCopyText(selection);
  QString text = limited.value_or(selection);
  const std::optional<QString> citation =
      m_citation ? m_citation(m_browser->HeadingsAboveSelection()) : std::nullopt;
  if (citation)
    text = ToQString(quillwen::CitedText(text.toStdU16String(), citation->toStdU16String()));
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->setText(text, QClipboard::Clipboard);
  if (limited) emit statusMessage(ToQString(kCopyCutMessage));
  return true;
}

void CBookView::SelectAllText() {
  m_browser->Execute(BrowserCommand::kSelectAll, BrowserCommandOption::kPromptUser);
}

bool CBookView::Print() {
  // Printing at once gave no sign of where the page went or whether it got
  // there: the dialog says where, and a failure is told.
  QPrinter& printer = m_browser->Printer();
  if (!m_runPrintDialog(printer, this)) return false;
  QString reason;
  if (!m_browser->PrintTo(printer, &reason)) {
    ShowWarningMessage(ToQString(kPrintFailedMessage) + u'\n' + reason);
    return false;
  }
  return true;
}

bool CBookView::PrintWithDialog() { return Print(); }

void CBookView::PageSetup() {
  m_browser->Execute(BrowserCommand::kPageSetup, BrowserCommandOption::kDontPromptUser);
}

void CBookView::PrintPreview() {
  m_browser->Execute(BrowserCommand::kPrintPreview, BrowserCommandOption::kDontPromptUser);
}

int CBookView::TextSize() const { return m_browser->TextSize(); }

void CBookView::ZoomIn() { SetTextSize(quillwen::StepTextSize(TextSize(), +1)); }

void CBookView::ZoomOut() { SetTextSize(quillwen::StepTextSize(TextSize(), -1)); }

void CBookView::ZoomReset() { SetTextSize(quillwen::kStandardTextSize); }

void CBookView::SetTextSize(int pointSize) {
  m_browser->SetTextSize(pointSize);
  // A store that cannot be written only forgets the size for the next run.
  WriteSettingString(QLatin1String(kPageViewSection), QLatin1String(kTextSizeName),
                     ToQString(quillwen::TextSizeSetting(TextSize())));
}

void CBookView::OpenFindBar() {
  m_findBar->show();
  m_findBar->Field()->setFocus(Qt::ShortcutFocusReason);
  m_findBar->Field()->selectAll();
}

void CBookView::CloseFindBar() {
  const bool hadFocus = m_findBar->isAncestorOf(QApplication::focusWidget());
  m_findBar->hide();
  m_browser->ClearFind();
  m_find.Reset(0);
  m_findBar->SetLabel(QString());
  if (hadFocus) m_browser->Widget()->setFocus(Qt::OtherFocusReason);
}

void CBookView::FindText(const QString& text) {
  m_find.Reset(m_browser->FindAll(text));
  // As the reader types, the first match comes into view.
  m_browser->ShowFindMatch(m_find.Next());
  ShowFindLabel();
}

void CBookView::FindNext() {
  m_browser->ShowFindMatch(m_find.Next());
  ShowFindLabel();
}

void CBookView::FindPrevious() {
  m_browser->ShowFindMatch(m_find.Previous());
  ShowFindLabel();
}

void CBookView::ShowFindLabel() {
  m_findBar->SetLabel(m_findBar->Text().isEmpty() ? QString() : ToQString(m_find.Label()));
}

void CBookView::OnDocumentShown() {
  if (m_findBar->isHidden()) return;
  // The new page is searched for the same text, but the place the page was
  // opened at (a hit) stays in view until the reader steps.
  m_find.Reset(m_browser->FindAll(m_findBar->Text()));
  ShowFindLabel();
}
