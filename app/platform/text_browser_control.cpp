#include "app/platform/text_browser_control.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFont>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QUrl>
#include <utility>
#include <vector>

#include "app/platform/html_elements.h"

namespace {

// "path#anchor" → path and anchor. A '#' followed by a '/' belongs to the path.
std::pair<QString, QString> SplitLocation(const QString& location) {
  const qsizetype hash = location.lastIndexOf(u'#');
  if (hash < 0 || location.indexOf(u'/', hash) >= 0) return {location, QString()};
  return {location.left(hash), location.mid(hash + 1)};
}

// A browser takes a table's height as the least it may have and lets the
// table grow with its text; the text document takes it as fixed and cuts off
// whatever lies below, hits and anchors included. Free every fixed height,
// then give it back to tables whose text is shorter.
void LetTablesGrowWithTheirText(QTextDocument& document) {
  std::vector<std::pair<QTextFrame*, QTextLength>> fixed;
  std::vector<QTextFrame*> pending{document.rootFrame()};
  while (!pending.empty()) {
    QTextFrame* frame = pending.back();
    pending.pop_back();
    for (QTextFrame* child : frame->childFrames()) pending.push_back(child);
    QTextFrameFormat format = frame->frameFormat();
    if (frame == document.rootFrame() || format.height().type() != QTextLength::FixedLength)
      continue;
    fixed.emplace_back(frame, format.height());
    format.setHeight(QTextLength());
    frame->setFrameFormat(format);
  }
  // Without a width to lay out in, nothing can be measured: the tables grow.
  if (fixed.empty() || document.textWidth() <= 0) return;
  for (const auto& [frame, height] : fixed) {
    if (document.documentLayout()->frameBoundingRect(frame).height() >= height.rawValue()) continue;
    QTextFrameFormat format = frame->frameFormat();
    format.setHeight(height);
    frame->setFrameFormat(format);
  }
}

QString DecodeHtml(const QByteArray& bytes) {
  QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
  if (!decoder.isValid()) decoder = QStringDecoder(QStringDecoder::Utf8);
  return decoder(bytes);
}

}  // namespace

TextBrowserControl::TextBrowserControl(QWidget* parent) : browser_(new QTextBrowser(parent)) {
  // Links are followed here so that the location text always says what is shown.
  browser_->setOpenLinks(false);
  browser_->setOpenExternalLinks(false);
  // Pages carry no fonts of their own: classical text reads best in a Song
  // (serif) face, traditional forms first; fontconfig falls back further.
  QFont reading = browser_->font();
  reading.setFamilies({QStringLiteral("Noto Serif CJK TC"), QStringLiteral("Noto Serif CJK JP"),
                       QStringLiteral("Noto Sans CJK TC")});
  reading.setPointSize(13);
  browser_->setFont(reading);
  QObject::connect(browser_, &QTextBrowser::anchorClicked, browser_,
                   [this](const QUrl& url) { OnAnchorClicked(url); });
}

TextBrowserControl::~TextBrowserControl() = default;

QWidget* TextBrowserControl::Widget() { return browser_; }

void TextBrowserControl::Navigate(const QString& location) {
  if (location == QLatin1String(kBlankLocation)) {
    browser_->clear();
    source_.clear();
    currentFile_.clear();
    location_ = kBlankLocation;
    return;
  }
  const auto [path, anchor] = SplitLocation(location);
  QUrl url = QUrl::fromLocalFile(path);
  if (!anchor.isEmpty()) url.setFragment(anchor);
  location_ = url.toString();

  // A jump within the document shown keeps the document, as a browser does.
  if (!anchor.isEmpty() && path == currentFile_) {
    browser_->scrollToAnchor(anchor);
    return;
  }
  QFile file(path);
  QByteArray bytes;
  if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
  // A file that cannot be read shows an empty page; the location still names it.
  ShowDocument(bytes, QUrl::fromLocalFile(path), path, anchor);
}

void TextBrowserControl::LoadFromResource(const QString& resourceName) {
  QFile file(resourceName);
  QByteArray bytes;
  if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
  const QUrl url(QStringLiteral("qrc") + resourceName);
  ShowDocument(bytes, url, resourceName, QString());
  location_ = url.toString();
}

void TextBrowserControl::ShowDocument(const QByteArray& bytes, const QUrl& base,
                                      const QString& file, const QString& anchor) {
  source_ = DecodeHtml(bytes);
  currentFile_ = file;
  // Relative references in the page resolve against its own file.
  browser_->document()->setBaseUrl(base);
  browser_->setHtml(source_);
  LetTablesGrowWithTheirText(*browser_->document());
  if (!anchor.isEmpty()) {
    browser_->scrollToAnchor(anchor);
  } else {
    browser_->verticalScrollBar()->setValue(0);
    browser_->horizontalScrollBar()->setValue(0);
  }
}

void TextBrowserControl::OnAnchorClicked(const QUrl& url) {
  if (url.isRelative() && !url.fragment().isEmpty() && url.path().isEmpty()) {
    if (!currentFile_.isEmpty()) Navigate(currentFile_ + u'#' + url.fragment());
    return;
  }
  const QUrl resolved = browser_->document()->baseUrl().resolved(url);
  if (!resolved.isLocalFile()) return;  // the reader opens nothing outside its pages
  QString target = resolved.toLocalFile();
  if (!resolved.fragment().isEmpty()) target += u'#' + resolved.fragment();
  Navigate(target);
}

QVector<DocumentElement> TextBrowserControl::DocumentElements() const {
  return ScanDocumentElements(source_);
}

QString TextBrowserControl::SelectedText() const {
  return browser_->textCursor().selection().toPlainText();
}

QPrinter& TextBrowserControl::Printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void TextBrowserControl::Execute(BrowserCommand command, BrowserCommandOption option,
                                 const std::optional<QString>& /*argument*/) {
  // The print argument (a template or header text) has no counterpart here.
  const bool prompt = option == BrowserCommandOption::kPromptUser;
  switch (command) {
    case BrowserCommand::kCopy:
      browser_->copy();
      break;
    case BrowserCommand::kSelectAll:
      browser_->selectAll();
      break;
    case BrowserCommand::kPrint:
      if (prompt) {
        QPrintDialog dialog(&Printer(), browser_);
        if (dialog.exec() != QDialog::Accepted) break;
      }
      browser_->print(&Printer());
      break;
    case BrowserCommand::kPageSetup: {
      QPageSetupDialog dialog(&Printer(), browser_);
      dialog.exec();
      break;
    }
    case BrowserCommand::kPrintPreview: {
      QPrintPreviewDialog dialog(&Printer(), browser_);
      QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, browser_,
                       [this](QPrinter* printer) { browser_->print(printer); });
      dialog.exec();
      break;
    }
  }
}

bool TextBrowserControl::QueryCommandEnabled(BrowserCommandQuery query) const {
  switch (query) {
    case BrowserCommandQuery::kCopy:
      return browser_->textCursor().hasSelection();
    case BrowserCommandQuery::kCut:
    case BrowserCommandQuery::kPaste:
      return false;  // the pages are read-only
  }
  return false;
}
