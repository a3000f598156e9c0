#include "app/panel/book_pictures.h"

#include <QPixmap>

#include "app/platform/program_resources.h"

QIcon BookIcon() {
  EnsureProgramResources();
  QIcon icon;
  icon.addPixmap(QPixmap(QStringLiteral(":/book_closed.png")), QIcon::Normal);
  icon.addPixmap(QPixmap(QStringLiteral(":/book_open.png")), QIcon::Selected);
  return icon;
}
