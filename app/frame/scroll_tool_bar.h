#pragma once

// The page toolbar: ten command buttons on a tiled background picture, whose
// images let the background show through their key-coloured pixels, then the
// page slider and the read-only page label. The slider chooses a page only when
// a scroll ends (the thumb released, a click in the channel, a key); showing it
// is the main window's business.

#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QSlider>
#include <QToolBar>
#include <functional>
#include <optional>

#include "app/platform/key_pixels.h"
#include "core/panel_model/reading_rules.h"

class QAction;

inline constexpr int kSliderControlId = 101;
inline constexpr int kPageLabelControlId = 102;
inline constexpr int kSliderWidth = 300;
inline constexpr int kPageLabelWidth = 100;
// Stands for cursor resource 149 while the slider is used.
inline constexpr Qt::CursorShape kSliderCursor = Qt::SizeHorCursor;

// A toolbar drawn on a tiled picture, with keyed button images.
class CXToolBar : public QToolBar {
  Q_OBJECT

 public:
  explicit CXToolBar(QWidget* parent = nullptr);

  void SetBackground(const QImage& picture);
  const QImage& Background() const { return m_background; }
  // Builds the normal, disabled and hot images of n buttons from three strips,
  // their key pixels blended into the background.
  void SetButtonImages(int count, Rgb key, const QImage& normal, const QImage& disabled,
                       const QImage& hot);
  // The blended strip of one state, as the buttons show it.
  const QImage& BlendedStrip(QIcon::Mode mode) const;
  // Image `index` in its three states; a null icon past the count.
  QIcon ButtonIcon(int index) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage Blend(const QImage& strip, Rgb key) const;

  int m_nImageCount = 0;
  int m_nImageWidth = 40;
  int m_nImageHeight = 40;
  QImage m_background;
  QImage m_normal;
  QImage m_disabled;
  QImage m_hot;
};

// A slider or edit control whose background is the toolbar's picture, tiled
// from its own top-left corner.
void SetControlBackground(QWidget& control, const QImage& picture);

class CXSliderCtrl : public QSlider {
  Q_OBJECT
 public:
  explicit CXSliderCtrl(QWidget* parent = nullptr);
  void SetBackground(const QImage& picture) { SetControlBackground(*this, picture); }
};

class CXEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit CXEdit(QWidget* parent = nullptr);
  void SetBackground(const QImage& picture) { SetControlBackground(*this, picture); }
};

class CSCrollToolBar : public CXToolBar {
  Q_OBJECT

 public:
  explicit CSCrollToolBar(QWidget* parent = nullptr);

  // Lays out the buttons from the toolbar layout; `action(id)` gives each
  // button's command. The slider and label take the two slots.
  void Create(const std::function<QAction*(int id)>& action);

  // A volume is shown: range first .. last page, position first.
  void SetVolume(quillwen::SliderRange range, int position);
  // Moves the thumb without showing a page.
  void SetPosition(int position);
  void SetPageLabel(const QString& text);

  // The slider told of the end of a scroll: the page under the thumb is chosen.
  void OnEndScroll();

  CXSliderCtrl m_wndSlider;
  CXEdit m_wndPageLabel;

 signals:
  // A scroll ended with the thumb on page `page` (the slider's own moves by
  // SetVolume and SetPosition choose nothing).
  void pageChosen(int page);
};
