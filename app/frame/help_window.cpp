#include "app/frame/help_window.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/platform/qt_text.h"

CHelpWindow::CHelpWindow(const QString& helpFile, QWidget* parent)
    : QDialog(parent), m_browser(new QTextBrowser(this)) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(ToQString(kHelpWindowTitle));
  // The reader reads on beside it.
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_browser);
  // Links to other pages of the help stay here; the web is the desktop's.
  m_browser->setOpenExternalLinks(true);
  m_browser->setSource(QUrl::fromLocalFile(helpFile));
  resize(640, 720);
}
