#pragma once

// The About box: a captionless tool window filled by one picture, with the
// program's version over it. Releasing the left mouse button anywhere over it
// closes it, as Enter and Esc do.

#include <QDialog>

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  // 334 x 216 dialog units of an 8-point dialog font.
  static constexpr QSize kSize{501, 351};

  explicit CAboutDlg(QWidget* parent = nullptr);
  // "バージョン 0.1", shown over the picture.
  static QString VersionText();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};
