#include "app/platform/text_browser_control.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/platform/html_elements.h"
#include "app/platform/pdf_text_fix.h"
#include "core/panel_model/page_view_steps.h"

namespace {

// "path#anchor" → path and anchor. A '#' followed by a '/' belongs to the path.
std::pair<QString, QString> SplitLocation(const QString& location) {
  const qsizetype hash = location.lastIndexOf(u'#');
  if (hash < 0 || location.indexOf(u'/', hash) >= 0) return {location, QString()};
  return {location.left(hash), location.mid(hash + 1)};
}

// A frame's height as the page gave it, kept in its format so that the pass
// below can run again when the text changes size.
constexpr int kDeclaredHeightProperty = QTextFormat::UserProperty + 1;

// Hands every frame of `document` below its root, nested ones too, to `visit`.
template <typename Visit>
void ForEachFrame(QTextDocument& document, Visit visit) {
  std::vector<QTextFrame*> pending{document.rootFrame()};
  while (!pending.empty()) {
    QTextFrame* frame = pending.back();
    pending.pop_back();
    for (QTextFrame* child : frame->childFrames()) pending.push_back(child);
    if (frame != document.rootFrame()) visit(frame);
  }
}

// A browser takes a table's height as the least it may have and lets the
// table grow with its text; the text document takes it as fixed and cuts off
// whatever lies below, hits and anchors included. Free every fixed height,
// then give it back to tables whose text is shorter.
void LetTablesGrowWithTheirText(QTextDocument& document) {
  std::vector<std::pair<QTextFrame*, QTextLength>> fixed;
  ForEachFrame(document, [&fixed](QTextFrame* frame) {
    QTextFrameFormat format = frame->frameFormat();
    QTextLength declared = format.lengthProperty(kDeclaredHeightProperty);
    if (!format.hasProperty(kDeclaredHeightProperty)) {
      if (format.height().type() != QTextLength::FixedLength) return;
      declared = format.height();
      format.setProperty(kDeclaredHeightProperty, declared);
    }
    fixed.emplace_back(frame, declared);
    format.setHeight(QTextLength());
    frame->setFrameFormat(format);
  });
  // Without a width to lay out in, nothing can be measured: the tables grow.
  if (fixed.empty() || document.textWidth() <= 0) return;
  for (const auto& [frame, height] : fixed) {
    if (document.documentLayout()->frameBoundingRect(frame).height() >= height.rawValue()) continue;
    QTextFrameFormat format = frame->frameFormat();
    format.setHeight(height);
    frame->setFrameFormat(format);
  }
}

int CellTextLength(const QTextTable& table, int column) {
  const QTextTableCell cell = table.cellAt(0, column);
  return cell.isValid() ? cell.lastPosition() - cell.firstPosition() : 0;
}

// Hands every table of `document`, nested ones too, to `visit`.
template <typename Visit>
void ForEachTable(QTextDocument& document, Visit visit) {
  ForEachFrame(document, [&visit](QTextFrame* frame) {
    if (auto* table = qobject_cast<QTextTable*>(frame)) visit(table);
  });
}

// The result frame gives its first cell 80 pixels and its second 450, and an
// even page has its text, hits and all, in the first: five characters to a
// line. Where a narrow fixed first column holds more text than the wider one
// beside it, the two columns trade widths, so that the text reads as on odd
// pages; the page's bytes stay as they are.
void GiveTheTextTheWideColumn(QTextDocument& document) {
  ForEachTable(document, [](QTextTable* table) {
    if (table->columns() < 2 || table->rows() < 1) return;
    QTextTableFormat format = table->format();
    QList<QTextLength> widths = format.columnWidthConstraints();
    if (widths.size() < 2 || widths[0].type() != QTextLength::FixedLength ||
        widths[1].type() != QTextLength::FixedLength ||
        widths[0].rawValue() >= widths[1].rawValue())
      return;
    if (CellTextLength(*table, 0) <= CellTextLength(*table, 1)) return;
    std::swap(widths[0], widths[1]);
    format.setColumnWidthConstraints(widths);
    table->setFormat(format);
  });
}

// A stored page declares its margin cell (book, volume, page number) 5em wide
// of the text's size: zoomed in, the margin takes a large part of the width
// and the verses wrap. In a two-cell table without column widths of its own
// (the result pages fix theirs), the margin column is made as wide as its own
// lines need, at the size they are drawn.
void FitMarginColumns(QTextDocument& document) {
  ForEachTable(document, [&document](QTextTable* table) {
    if (table->columns() != 2 || table->rows() < 1) return;
    QTextTableFormat format = table->format();
    QList<QTextLength> widths = format.columnWidthConstraints();
    if (widths.size() != 2) return;
    // Free columns on a page as loaded: the margin is the shorter cell. Fitted
    // once, it is the column of fixed width.
    int margin = -1;
    const bool firstFixed = widths[0].type() == QTextLength::FixedLength;
    const bool secondFixed = widths[1].type() == QTextLength::FixedLength;
    const bool firstFree = widths[0].type() == QTextLength::VariableLength;
    const bool secondFree = widths[1].type() == QTextLength::VariableLength;
    if (firstFree && secondFree)
      margin = CellTextLength(*table, 0) < CellTextLength(*table, 1) ? 0 : 1;
    else if (firstFixed && secondFree)
      margin = 0;
    else if (firstFree && secondFixed)
      margin = 1;
    if (margin < 0) return;
    // Laid out wide enough for no line of the margin to wrap, its lines show
    // the width they need.
    widths[margin] = QTextLength(QTextLength::PercentageLength, 50);
    format.setColumnWidthConstraints(widths);
    table->setFormat(format);
    if (document.textWidth() <= 0) return;
    const QTextTableCell cell = table->cellAt(0, margin);
    qreal needed = 0;
    for (QTextBlock block = document.findBlock(cell.firstPosition());
         block.isValid() && block.position() <= cell.lastPosition(); block = block.next()) {
      document.documentLayout()->blockBoundingRect(block);  // lays it out
      if (QTextLayout* layout = block.layout()) {
        for (int i = 0; i < layout->lineCount(); ++i)
          needed = std::max(needed, layout->lineAt(i).naturalTextWidth());
      }
    }
    // The width of a column takes in its cell's padding.
    const QTextTableCellFormat padding = cell.format().toTableCellFormat();
    needed += padding.leftPadding() + padding.rightPadding() + 2 * format.cellPadding();
    widths[margin] = QTextLength(QTextLength::FixedLength, std::ceil(needed) + 1);
    format.setColumnWidthConstraints(widths);
    table->setFormat(format);
  });
}

// The hit a location's anchor names: the marked text right after the anchor,
// as far as the marker's background reaches and no further than the next
// anchor (a hit of its own). Null when no marked text follows the anchor.
QTextCursor MarkedTextAfterAnchor(QTextDocument& document, const QString& anchor) {
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid() || !fragment.charFormat().anchorNames().contains(anchor)) continue;
      const QBrush marker = fragment.charFormat().background();
      if (marker.style() == Qt::NoBrush) return {};
      int end = fragment.position() + fragment.length();
      for (++it; !it.atEnd(); ++it) {
        const QTextFragment next = it.fragment();
        if (next.position() != end || next.charFormat().background() != marker ||
            !next.charFormat().anchorNames().isEmpty())
          break;
        end += next.length();
      }
      QTextCursor hit(&document);
      hit.setPosition(fragment.position());
      hit.setPosition(end, QTextCursor::KeepAnchor);
      return hit;
    }
  }
  return {};
}

QTextEdit::ExtraSelection Mark(const QTextCursor& cursor, const char* background,
                               const QColor& foreground = QColor()) {
  QTextEdit::ExtraSelection mark;
  mark.cursor = cursor;
  mark.format.setBackground(QColor(QLatin1String(background)));
  if (foreground.isValid()) mark.format.setForeground(foreground);
  return mark;
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
  reading.setPointSize(quillwen::kStandardTextSize);
  browser_->setFont(reading);
  QObject::connect(browser_, &QTextBrowser::anchorClicked, browser_,
                   [this](const QUrl& url) { OnAnchorClicked(url); });
}

TextBrowserControl::~TextBrowserControl() = default;

QWidget* TextBrowserControl::Widget() { return browser_; }

void TextBrowserControl::Navigate(const QString& location) {
  if (location == QLatin1String(kBlankLocation)) {
    currentHit_ = QTextCursor();
    findMatches_.clear();
    UpdateMarks();
    browser_->clear();
    source_.clear();
    currentFile_.clear();
    location_ = kBlankLocation;
    if (onDocumentShown_) onDocumentShown_();
    return;
  }
  const auto [path, anchor] = SplitLocation(location);
  QUrl url = QUrl::fromLocalFile(path);
  if (!anchor.isEmpty()) url.setFragment(anchor);
  location_ = url.toString();

  // A jump within the document shown keeps the document, as a browser does.
  if (!anchor.isEmpty() && path == currentFile_) {
    GoToAnchor(anchor);
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
  // The marks belong to the document they were made in.
  currentHit_ = QTextCursor();
  findMatches_.clear();
  UpdateMarks();
  source_ = DecodeHtml(bytes);
  currentFile_ = file;
  // Relative references in the page resolve against its own file.
  browser_->document()->setBaseUrl(base);
  browser_->setHtml(source_);
  GiveTheTextTheWideColumn(*browser_->document());
  FitMarginColumns(*browser_->document());
  LetTablesGrowWithTheirText(*browser_->document());
  if (!anchor.isEmpty()) {
    GoToAnchor(anchor);
  } else {
    browser_->verticalScrollBar()->setValue(0);
    browser_->horizontalScrollBar()->setValue(0);
  }
  if (onDocumentShown_) onDocumentShown_();
}

void TextBrowserControl::GoToAnchor(const QString& anchor) {
  browser_->scrollToAnchor(anchor);
  currentHit_ = MarkedTextAfterAnchor(*browser_->document(), anchor);
  UpdateMarks();
}

QString TextBrowserControl::CurrentHitText() const {
  return currentHit_.isNull() ? QString() : currentHit_.selectedText();
}

void TextBrowserControl::UpdateMarks() {
  QList<QTextEdit::ExtraSelection> marks;
  if (!currentHit_.isNull()) marks << Mark(currentHit_, kCurrentHitBackground);
  for (int i = 0; i < findMatches_.size(); ++i) {
    if (i != currentFind_) marks << Mark(findMatches_[i], kFindMatchBackground);
  }
  // Drawn last, so that the current match shows above a hit it lies in.
  if (currentFind_ >= 0 && currentFind_ < findMatches_.size())
    marks << Mark(findMatches_[currentFind_], kCurrentFindBackground, Qt::white);
  browser_->setExtraSelections(marks);
}

void TextBrowserControl::SetDocumentShownHandler(std::function<void()> handler) {
  onDocumentShown_ = std::move(handler);
}

void TextBrowserControl::ScrollToStart() {
  browser_->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
}

void TextBrowserControl::ScrollToEnd() {
  browser_->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
}

bool TextBrowserControl::IsAtEnd() const {
  const QScrollBar* bar = browser_->verticalScrollBar();
  return bar->value() >= bar->maximum();
}

int TextBrowserControl::TextSize() const { return browser_->font().pointSize(); }

void TextBrowserControl::SetTextSize(int pointSize) {
  if (pointSize <= 0 || pointSize == TextSize()) return;
  QScrollBar* bar = browser_->verticalScrollBar();
  const double along = bar->maximum() > 0 ? double(bar->value()) / bar->maximum() : 0.0;
  QFont font = browser_->font();
  font.setPointSize(pointSize);
  browser_->setFont(font);
  // The margin's width and which tables outgrow their height depend on the
  // size of their text.
  FitMarginColumns(*browser_->document());
  LetTablesGrowWithTheirText(*browser_->document());
  bar->setValue(qRound(along * bar->maximum()));
}

int TextBrowserControl::FindAll(const QString& text) {
  findMatches_.clear();
  currentFind_ = -1;
  if (!text.isEmpty()) {
    QTextDocument* document = browser_->document();
    for (QTextCursor at = document->find(text); !at.isNull(); at = document->find(text, at))
      findMatches_ << at;
  }
  UpdateMarks();
  return static_cast<int>(findMatches_.size());
}

void TextBrowserControl::ShowFindMatch(int index) {
  if (index < 0 || index >= findMatches_.size()) return;
  currentFind_ = index;
  UpdateMarks();
  // Into the middle of the view, without touching the reader's selection.
  const QRect at = browser_->cursorRect(findMatches_[index]);
  const QRect view = browser_->viewport()->rect();
  if (!view.contains(at)) {
    QScrollBar* bar = browser_->verticalScrollBar();
    bar->setValue(bar->value() + at.center().y() - view.center().y());
  }
}

void TextBrowserControl::ClearFind() {
  findMatches_.clear();
  currentFind_ = -1;
  UpdateMarks();
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

int TextBrowserControl::HeadingsAboveSelection() const {
  const QTextDocument* document = browser_->document();
  const QTextBlock start = document->findBlock(browser_->textCursor().selectionStart());
  int headings = 0;
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() > 0) ++headings;
    if (block == start) break;
  }
  return headings;
}

QPrinter& TextBrowserControl::Printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

bool TextBrowserControl::PrintTo(QPrinter& printer, QString* reason) {
  if (!printer.isValid()) {
    if (reason != nullptr) *reason = QStringLiteral("プリンターが見つかりません。");
    return false;
  }
  browser_->print(&printer);
  // The document prints without telling; the printer keeps what went wrong.
  if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted) {
    if (reason != nullptr) {
      *reason = printer.outputFormat() == QPrinter::PdfFormat
                    ? QStringLiteral("ファイル「%1」に書き込めません。")
                          .arg(QDir::toNativeSeparators(printer.outputFileName()))
                    : QStringLiteral("プリンターが印刷を受け付けませんでした。");
    }
    return false;
  }
  // A PDF must yield the characters shown when searched or copied.
  if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty() &&
      !quillwen::NameIdeographsForRadicalsInFile(printer.outputFileName(), nullptr)) {
    if (reason != nullptr) {
      *reason = QStringLiteral("ファイル「%1」に書き込めません。")
                    .arg(QDir::toNativeSeparators(printer.outputFileName()));
    }
    return false;
  }
  return true;
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
