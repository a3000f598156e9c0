#include "app/frame/about_dlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include "app/frame/toolbar_artwork.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("dialog165"));
  setFixedSize(kSize);
  auto* picture = new QLabel(this);
  picture->setPixmap(QPixmap::fromImage(AboutPicture(kSize)));
  picture->setGeometry(0, 0, kSize.width(), kSize.height());
  // The picture takes no mouse input, so a release anywhere reaches the dialog.
  picture->setAttribute(Qt::WA_TransparentForMouseEvents);
  // Between the picture's lines of text and its closing hint.
  auto* version = new QLabel(VersionText(), this);
  version->setObjectName(QStringLiteral("version"));
  version->setAlignment(Qt::AlignCenter);
  version->setStyleSheet(QStringLiteral("color: rgb(236, 226, 200); background: transparent;"));
  version->setGeometry(0, kSize.height() * 3 / 4, kSize.width(), kSize.height() / 10);
  version->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QString CAboutDlg::VersionText() {
  return QStringLiteral("バージョン %1").arg(QString::fromLatin1(QUILLWEN_VERSION));
}

void CAboutDlg::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    accept();
    return;
  }
  QDialog::mouseReleaseEvent(event);
}

void CAboutDlg::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      accept();
      return;
    case Qt::Key_Escape:
      reject();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}
