#pragma once

// Push buttons with a tooltip, and picture buttons drawn from a strip of four
// equal pictures side by side: normal, pressed, under the mouse, disabled.

#include <QPixmap>
#include <QPushButton>

class CToolTipButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CToolTipButton(QWidget* parent = nullptr) : QPushButton(parent) {}

  // Sets the tooltip's text; with `activate` false the tooltip stays silent.
  // Setting it again keeps one tooltip with the latest text.
  void SetToolTipText(const QString& text, bool activate = true);
  QString ToolTipText() const { return m_strToolTip; }
  bool ToolTipActive() const { return m_bToolTipActive; }

 protected:
  bool event(QEvent* event) override;

 private:
  QString m_strToolTip;
  bool m_bToolTipActive = false;
};

class CToolTipResourceButton : public CToolTipButton {
  Q_OBJECT

 public:
  // Also the picture's place in the strip.
  enum class State { kNormal = 0, kPressed = 1, kHover = 2, kDisabled = 3 };
  Q_ENUM(State)

  explicit CToolTipResourceButton(QWidget* parent = nullptr);

  // Loads the strip (a ":/..." picture) and sizes the button to one picture
  // without moving it. False when the picture cannot be read.
  bool LoadStrip(const QString& resourceName);

  // The picture drawn now, by this order: disabled, pressed, hover, normal.
  State CurrentState() const;
  int StateWidth() const { return m_nStateWidth; }
  int StateHeight() const { return m_nStateHeight; }
  bool Hover() const { return m_bHover; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QPixmap m_picture;
  int m_nStateWidth = 0;
  int m_nStateHeight = 0;
  bool m_bHover = false;
};
