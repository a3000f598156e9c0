#pragma once

// The browser control over Qt's QTextBrowser: it reads local HTML files itself
// (so a page file rewritten under the same name always shows its new content)
// and keeps the location text the program compares with "about:blank".

#include <QList>
#include <QString>
#include <QTextCursor>
#include <functional>
#include <memory>

#include "app/platform/browser_control.h"

class QPrinter;
class QUrl;
class QTextBrowser;

// Backgrounds of the view's own marks, each unlike the grey of the page's hit
// markers: the hit the view was sent to, every find match, the current match.
inline constexpr char kCurrentHitBackground[] = "#ffd54a";
inline constexpr char kFindMatchBackground[] = "#bfe3ff";
inline constexpr char kCurrentFindBackground[] = "#2f7fe0";

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
  int HeadingsAboveSelection() const override;
  void Execute(BrowserCommand command, BrowserCommandOption option,
               const std::optional<QString>& argument = std::nullopt) override;
  bool QueryCommandEnabled(BrowserCommandQuery query) const override;
  void SetDocumentShownHandler(std::function<void()> handler) override;
  void ScrollToStart() override;
  void ScrollToEnd() override;
  bool IsAtEnd() const override;
  int TextSize() const override;
  void SetTextSize(int pointSize) override;
  int FindAll(const QString& text) override;
  void ShowFindMatch(int index) override;
  void ClearFind() override;
  QPrinter& Printer() override;
  bool PrintTo(QPrinter& printer, QString* reason) override;

  QTextBrowser* Browser() const { return browser_; }
  // The text of the hit the view was last sent to ("…#0003"); empty when the
  // location names no hit marker.
  QString CurrentHitText() const;

 private:
  void ShowDocument(const QByteArray& bytes, const QUrl& base, const QString& file,
                    const QString& anchor);
  void GoToAnchor(const QString& anchor);
  void OnAnchorClicked(const QUrl& url);
  void UpdateMarks();

  QTextBrowser* browser_;  // owned by the parent widget
  std::unique_ptr<QPrinter> printer_;
  std::function<void()> onDocumentShown_;
  QTextCursor currentHit_;  // null when no hit is shown
  QList<QTextCursor> findMatches_;
  int currentFind_ = -1;
  QString location_ = kBlankLocation;
  QString currentFile_;  // the file shown, without anchor; empty for about:blank
  QString source_;       // the document as loaded, for DocumentElements
};
