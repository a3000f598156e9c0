#include "app/frame/scroll_tool_bar.h"

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QSignalBlocker>
#include <QToolButton>

#include "app/frame/command_table.h"
#include "app/frame/toolbar_artwork.h"

CXToolBar::CXToolBar(QWidget* parent) : QToolBar(parent) {}

void CXToolBar::SetBackground(const QImage& picture) {
  m_background = picture.convertToFormat(QImage::Format_RGB888);
  update();
}

QImage CXToolBar::Blend(const QImage& strip, Rgb key) const {
  if (m_background.isNull()) return strip.convertToFormat(QImage::Format_RGB888);
  BottomUpBitmap pixels = ToBottomUpBitmap(strip);
  const BottomUpBitmap background = ToBottomUpBitmap(m_background);
  const QColor face = QApplication::palette().color(QPalette::Button);
  BlendKeyPixels(pixels, &background, kToolbarLayout,
                 ButtonImageGeometry{m_nImageCount, m_nImageWidth, m_nImageHeight}, key,
                 Rgb{static_cast<uint8_t>(face.red()), static_cast<uint8_t>(face.green()),
                     static_cast<uint8_t>(face.blue())});
  return ToImage(pixels);
}

void CXToolBar::SetButtonImages(int count, Rgb key, const QImage& normal, const QImage& disabled,
                                const QImage& hot) {
  m_nImageCount = count;
  m_normal = Blend(normal, key);
  m_disabled = Blend(disabled, key);
  m_hot = Blend(hot, key);
}

const QImage& CXToolBar::BlendedStrip(QIcon::Mode mode) const {
  switch (mode) {
    case QIcon::Disabled:
      return m_disabled;
    case QIcon::Active:
      return m_hot;
    default:
      return m_normal;
  }
}

QIcon CXToolBar::ButtonIcon(int index) const {
  if (index < 0 || index >= m_nImageCount) return {};
  const QRect cell(index * m_nImageWidth, 0, m_nImageWidth, m_nImageHeight);
  QIcon icon;
  icon.addPixmap(QPixmap::fromImage(m_normal.copy(cell)), QIcon::Normal);
  icon.addPixmap(QPixmap::fromImage(m_disabled.copy(cell)), QIcon::Disabled);
  icon.addPixmap(QPixmap::fromImage(m_hot.copy(cell)), QIcon::Active);
  icon.addPixmap(QPixmap::fromImage(m_normal.copy(cell)), QIcon::Selected);
  return icon;
}

void CXToolBar::paintEvent(QPaintEvent* event) {
  if (m_background.isNull()) {
    QToolBar::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.fillRect(rect(), QBrush(QPixmap::fromImage(m_background)));
}

void SetControlBackground(QWidget& control, const QImage& picture) {
  QPalette palette = control.palette();
  const QBrush brush(QPixmap::fromImage(picture));
  palette.setBrush(QPalette::Window, brush);
  palette.setBrush(QPalette::Base, brush);
  control.setPalette(palette);
  control.setAutoFillBackground(true);
}

CXSliderCtrl::CXSliderCtrl(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setObjectName(QStringLiteral("control%1").arg(kSliderControlId));
  setTickPosition(QSlider::TicksBelow);
  setTickInterval(1);
  setPageStep(1);
  setFocusPolicy(Qt::StrongFocus);
}

CXEdit::CXEdit(QWidget* parent) : QLineEdit(parent) {
  setObjectName(QStringLiteral("control%1").arg(kPageLabelControlId));
  setReadOnly(true);
  setFrame(false);
  setFocusPolicy(Qt::NoFocus);
}

CSCrollToolBar::CSCrollToolBar(QWidget* parent) : CXToolBar(parent) {}

void CSCrollToolBar::Create(const std::function<QAction*(int id)>& action) {
  setIconSize(QSize(kButtonImageSize, kButtonImageSize));
  SetBackground(ToolbarPicture(kToolbarBackgroundId));
  SetButtonImages(kButtonImageCount, kKeyColour, ToolbarPicture(kNormalStripId),
                  ToolbarPicture(kDisabledStripId), ToolbarPicture(kHotStripId));
  int image = 0;
  for (const int id : kToolbarLayout) {
    if (id == kSeparator) {
      addSeparator();
    } else if (id == ID_SLIDER_SLOT) {
      m_wndSlider.setFixedWidth(kSliderWidth);
      m_wndSlider.SetBackground(Background());
      m_wndSlider.setRange(0, 0);
      addWidget(&m_wndSlider);
    } else if (id == ID_PAGE_LABEL_SLOT) {
      m_wndPageLabel.setFixedWidth(kPageLabelWidth);
      m_wndPageLabel.SetBackground(Background());
      addWidget(&m_wndPageLabel);
    } else if (QAction* command = action(id); command != nullptr) {
      command->setIcon(ButtonIcon(image++));
      addAction(command);
      if (auto* button = qobject_cast<QToolButton*>(widgetForAction(command))) {
        button->setObjectName(QStringLiteral("button%1").arg(id));
        button->setAutoRaise(true);
      }
    }
  }

  // Dragging moves only the thumb; the page follows when the scroll ends.
  connect(&m_wndSlider, &QSlider::sliderPressed, this,
          [this] { m_wndSlider.setCursor(kSliderCursor); });
  connect(&m_wndSlider, &QSlider::sliderReleased, this, [this] {
    m_wndSlider.unsetCursor();
    OnEndScroll();
  });
  connect(&m_wndSlider, &QSlider::valueChanged, this, [this] {
    if (!m_wndSlider.isSliderDown()) OnEndScroll();
  });
}

void CSCrollToolBar::SetVolume(quillwen::SliderRange range, int position) {
  const QSignalBlocker quiet(&m_wndSlider);
  m_wndSlider.setRange(range.minimum, range.maximum);
  m_wndSlider.setValue(position);
}

void CSCrollToolBar::SetPosition(int position) {
  const QSignalBlocker quiet(&m_wndSlider);
  m_wndSlider.setValue(position);
}

void CSCrollToolBar::SetPageLabel(const QString& text) { m_wndPageLabel.setText(text); }

void CSCrollToolBar::OnEndScroll() { emit pageChosen(m_wndSlider.value()); }
