#pragma once

// The browser control over Qt's QTextBrowser: it reads local HTML files itself
// (so a page file rewritten under the same name always shows its new content)
// and keeps the location text the program compares with "about:blank".

#include <QString>
#include <memory>

#include "app/platform/browser_control.h"

class QPrinter;
class QUrl;
class QTextBrowser;

class TextBrowserControl : public BrowserControl {
 public:
  explicit TextBrowserControl(QWidget* parent);
  ~TextBrowserControl() override;
  TextBrowserControl(const TextBrowserControl&) = delete;
  TextBrowserControl& operator=(const TextBrowserControl&) = delete;

  QWidget* Widget() override;
  void Navigate(const QString& location) override;
  void LoadFromResource(const QString& resourceName) override;
  QString CurrentLocation() const override { return location_; }
  QVector<DocumentElement> DocumentElements() const override;
  QString SelectedText() const override;
  void Execute(BrowserCommand command, BrowserCommandOption option,
               const std::optional<QString>& argument = std::nullopt) override;
  bool QueryCommandEnabled(BrowserCommandQuery query) const override;

  // The printer the print commands use, kept between them like page settings are.
  QPrinter& Printer();
  QTextBrowser* Browser() const { return browser_; }

 private:
  void ShowDocument(const QByteArray& bytes, const QUrl& base, const QString& file,
                    const QString& anchor);
  void OnAnchorClicked(const QUrl& url);

  QTextBrowser* browser_;  // owned by the parent widget
  std::unique_ptr<QPrinter> printer_;
  QString location_ = kBlankLocation;
  QString currentFile_;  // the file shown, without anchor; empty for about:blank
  QString source_;       // the document as loaded, for DocumentElements
};
