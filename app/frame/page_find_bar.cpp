#include "app/frame/page_find_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "app/platform/qt_text.h"

namespace {

QToolButton* MakeButton(QWidget* parent, std::u16string_view text, const char* name) {
  auto* button = new QToolButton(parent);
  button->setText(ToQString(text));
  button->setObjectName(QLatin1String(name));
  // The field keeps the keyboard while the buttons are clicked.
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace

CPageFindBar::CPageFindBar(QWidget* parent)
    : QWidget(parent),
      m_field(new QLineEdit(this)),
      m_previous(MakeButton(this, kFindPreviousText, "findPrevious")),
      m_next(MakeButton(this, kFindNextText, "findNext")),
      m_close(MakeButton(this, kFindCloseText, "findClose")),
      m_count(new QLabel(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->addWidget(new QLabel(ToQString(kFindBarPrompt), this));
  layout->addWidget(m_field, 1);
  layout->addWidget(m_previous);
  layout->addWidget(m_next);
  layout->addWidget(m_count);
  layout->addWidget(m_close);
  m_field->setObjectName(QStringLiteral("findField"));
  m_field->setClearButtonEnabled(true);
  m_count->setObjectName(QStringLiteral("findCount"));
  m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(QStringLiteral("000 / 000")));
  m_field->installEventFilter(this);
  connect(m_field, &QLineEdit::textChanged, this, &CPageFindBar::textChanged);
  connect(m_previous, &QToolButton::clicked, this, &CPageFindBar::previousRequested);
  connect(m_next, &QToolButton::clicked, this, &CPageFindBar::nextRequested);
  connect(m_close, &QToolButton::clicked, this, &CPageFindBar::closeRequested);
}

QString CPageFindBar::Text() const { return m_field->text(); }

QString CPageFindBar::Label() const { return m_count->text(); }

void CPageFindBar::SetLabel(const QString& text) { m_count->setText(text); }

bool CPageFindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_field && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (key->modifiers() & Qt::ShiftModifier)
          emit previousRequested();
        else
          emit nextRequested();
        return true;
      case Qt::Key_Escape:
        emit closeRequested();
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}
