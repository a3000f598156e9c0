#include "app/platform/tooltip_button.h"

#include <QEvent>
#include <QPainter>

void CToolTipButton::SetToolTipText(const QString& text, bool activate) {
  if (text.isNull()) return;
  m_strToolTip = text;
  m_bToolTipActive = activate;
  setToolTip(activate ? text : QString());
}

bool CToolTipButton::event(QEvent* event) {
  // A silenced tooltip shows nothing even if a text was set before.
  if (event->type() == QEvent::ToolTip && !m_bToolTipActive) return true;
  return QPushButton::event(event);
}

CToolTipResourceButton::CToolTipResourceButton(QWidget* parent) : CToolTipButton(parent) {
  setAttribute(Qt::WA_Hover);
  setFlat(true);
}

bool CToolTipResourceButton::LoadStrip(const QString& resourceName) {
  QPixmap picture(resourceName);
  if (picture.isNull()) return false;
  m_picture = picture;
  m_nStateWidth = picture.width() / 4;
  m_nStateHeight = picture.height();
  resize(m_nStateWidth, m_nStateHeight);
  update();
  return true;
}

CToolTipResourceButton::State CToolTipResourceButton::CurrentState() const {
  if (!isEnabled()) return State::kDisabled;
  if (isDown()) return State::kPressed;
  if (m_bHover) return State::kHover;
  return State::kNormal;
}

void CToolTipResourceButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (m_picture.isNull()) return;
  const QRect source(static_cast<int>(CurrentState()) * m_nStateWidth, 0, m_nStateWidth,
                     m_nStateHeight);
  painter.drawPixmap(QRect(0, 0, m_nStateWidth, m_nStateHeight), m_picture, source);
}

void CToolTipResourceButton::enterEvent(QEnterEvent* event) {
  m_bHover = true;
  update();
  CToolTipButton::enterEvent(event);
}

void CToolTipResourceButton::leaveEvent(QEvent* event) {
  m_bHover = false;
  update();
  CToolTipButton::leaveEvent(event);
}
