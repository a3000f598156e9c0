#pragma once

// The help page shown inside the reader, for a desktop with no web browser to
// open it: a window of its own, beside the main window, whose links stay in it.

#include <QDialog>

class QTextBrowser;

inline constexpr char16_t kHelpWindowTitle[] = u"ヘルプ";

class CHelpWindow : public QDialog {
  Q_OBJECT

 public:
  // Shows the HTML file `helpFile`.
  explicit CHelpWindow(const QString& helpFile, QWidget* parent = nullptr);

  QTextBrowser* Browser() const { return m_browser; }

 private:
  QTextBrowser* m_browser;
};
