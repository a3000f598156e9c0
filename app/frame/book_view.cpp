#include "app/frame/book_view.h"

#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "app/platform/limited_copy.h"
#include "app/platform/message_box.h"
#include "app/platform/qt_text.h"
#include "app/platform/text_browser_control.h"
#include "core/panel_model/left_form_model.h"

CBookView::CBookView(QWidget* parent, std::unique_ptr<BrowserControl> browser)
    : QWidget(parent),
      m_browser(browser ? std::move(browser) : std::make_unique<TextBrowserControl>(this)),
      m_runMenu([](QMenu& menu, const QPoint& at) { return menu.exec(at); }) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_browser->Widget());
  // The right button is this view's: the browser offers no menu of its own.
  m_browser->Widget()->setContextMenuPolicy(Qt::PreventContextMenu);
  setFocusProxy(m_browser->Widget());
  WatchBrowserWidgets();
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

bool CBookView::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        if (IsPageShown()) ShowPageMenu();
        return true;
      }
      break;
    case QEvent::ShortcutOverride:
      // Claim Ctrl combinations so that no shortcut of the main window fires.
      if (static_cast<QKeyEvent*>(event)->modifiers() & Qt::ControlModifier) {
        event->accept();
        return true;
      }
      break;
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Control) {
        ShowWarningMessage(ToQString(kUseRightButtonMessage));
        return true;
      }
      // The rest of a Ctrl combination whose Ctrl press was already answered.
      if (key->modifiers() & Qt::ControlModifier) return true;
      break;
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
  LimitClipboardText();
}

bool CBookView::CanCopyCited() const {
  return IsPageShown() && m_browser->QueryCommandEnabled(BrowserCommandQuery::kCopy);
}

bool CBookView::CopyCited() {
  const QString selection = m_browser->SelectedText();
  if (!IsPageShown() || selection.isEmpty()) return false;
  // The limit is the one of the plain copy: a citation does not make a longer
  // quotation leave the reader. The citation line comes on top of it.
  QString text = LimitedCopyOf(selection);
  const std::optional<QString> citation = m_citation ? m_citation() : std::nullopt;
  if (citation)
    text = ToQString(quillwen::CitedText(text.toStdU16String(), citation->toStdU16String()));
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->setText(text, QClipboard::Clipboard);
  return true;
}

void CBookView::SelectAllText() {
  m_browser->Execute(BrowserCommand::kSelectAll, BrowserCommandOption::kPromptUser);
}

void CBookView::Print() {
  m_browser->Execute(BrowserCommand::kPrint, BrowserCommandOption::kDontPromptUser);
}

void CBookView::PrintWithDialog() {
  m_browser->Execute(BrowserCommand::kPrint, BrowserCommandOption::kPromptUser);
}

void CBookView::PageSetup() {
  m_browser->Execute(BrowserCommand::kPageSetup, BrowserCommandOption::kDontPromptUser);
}

void CBookView::PrintPreview() {
  m_browser->Execute(BrowserCommand::kPrintPreview, BrowserCommandOption::kDontPromptUser);
}
