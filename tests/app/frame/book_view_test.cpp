#include "app/frame/book_view.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTextTable>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>

#include "app/frame/page_find_bar.h"
#include "app/platform/limited_copy.h"
#include "app/platform/message_box.h"
#include "app/platform/qt_text.h"
#include "app/platform/settings_store.h"
#include "app/platform/text_browser_control.h"
#include "core/store/page_renderer.h"
#include "tests/support/temp_dir.h"

using quillwen::testing::ReadFileBytes;
using quillwen::testing::TempDir;
using quillwen::testing::WriteFileBytes;

namespace {

std::string Page(const std::string& body) {
  return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
         "charset=utf-8\"></head><body>" +
         body + "</body></html>";
}

std::string Repeat(const std::string& unit, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += unit;
  return text;
}

QString FileLocation(const std::filesystem::path& file) {
  return QUrl::fromLocalFile(ToQString(file)).toString();
}

// A stored page as the collection builder lays it out: the text in one cell,
// the margin (book, volume, page number) in the other, the text first on even
// pages and second on odd ones.
std::string StoredPage(int pageNumber, const std::string& text) {
  const std::string cell = "<TD>" + text + "</TD>";
  const std::string margin =
      "<TD class=\"m\">論語<br>學而<br>" + std::to_string(pageNumber) + "</TD>";
  return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"
         "<title>論語 學而 " +
         std::to_string(pageNumber) + "</title></head><body><table width=\"100%\"><tr>" +
         (pageNumber % 2 == 0 ? cell + margin : margin + cell) + "</tr></table></body></html>";
}

// The result page of `pageNumber` with every `term` marked, as the search
// shows it: the cell for the page's parity is the one marked.
std::string ResultPage(int pageNumber, const std::string& text, const std::string& term) {
  int anchors = 0;
  return quillwen::RenderCell(StoredPage(pageNumber, text), term, pageNumber % 2,
                              quillwen::HitScopeFullText, anchors);
}

// How many characters the first line of the text in cell (0, column) holds.
int FirstLineLength(QTextBrowser* browser, int column) {
  QTextDocument* document = browser->document();
  for (QTextFrame* frame : document->rootFrame()->childFrames()) {
    if (auto* table = qobject_cast<QTextTable*>(frame)) {
      const QTextTableCell cell = table->cellAt(0, column);
      const QTextBlock first = document->findBlock(cell.firstPosition());
      document->documentLayout()->blockBoundingRect(first);  // lays it out
      if (first.layout() == nullptr || first.layout()->lineCount() == 0) return 0;
      return first.layout()->lineAt(0).textLength();
    }
  }
  return -1;
}

QList<QTextEdit::ExtraSelection> MarksOf(QTextBrowser* browser, const char* background) {
  QList<QTextEdit::ExtraSelection> marks;
  for (const QTextEdit::ExtraSelection& mark : browser->extraSelections()) {
    if (mark.format.background().color() == QColor(QLatin1String(background))) marks << mark;
  }
  return marks;
}

// Where the n-th (0-based) `text` of the document starts.
int PositionOf(QTextDocument* document, const QString& text, int n) {
  QTextCursor at = document->find(text);
  for (int i = 0; i < n && !at.isNull(); ++i) at = document->find(text, at);
  return at.isNull() ? -1 : at.selectionStart();
}

}  // namespace

class BookViewTest : public QObject {
  Q_OBJECT

 private:
  TempDir folder_;
  TempDir settingsFolder_;
  std::unique_ptr<CBookView> view_;
  QStringList messages_;
  QList<QStringList> menusShown_;
  int chooseAction_ = -1;  // index of the menu action the fake menu returns

  QTextBrowser* Browser() { return static_cast<QTextBrowser*>(view_->Browser().Widget()); }
  std::filesystem::path WritePage(const std::string& name, const std::string& body) {
    const std::filesystem::path file = folder_ / name;
    WriteFileBytes(file, Page(body));
    return file;
  }

 private slots:
  void initTestCase() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       ToQString(settingsFolder_.path()));
  }

  void init() {
    // Every view starts at the standard text size.
    WriteSettingString(QLatin1String(kPageViewSection), QLatin1String(kTextSizeName), QString());
    messages_.clear();
    menusShown_.clear();
    chooseAction_ = -1;
    SetWarningMessageFunction([this](const QString& text, const QString&) { messages_ << text; });
    view_ = std::make_unique<CBookView>();
    view_->resize(500, 300);
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    view_->SetPopupMenuRunner([this](QMenu& menu, const QPoint&) -> QAction* {
      QStringList texts;
      for (QAction* action : menu.actions())
        texts << action->text() + (action->isEnabled() ? "" : " (disabled)");
      menusShown_ << texts;
      return chooseAction_ >= 0 ? menu.actions().value(chooseAction_) : nullptr;
    });
    // No test may leave a modal print dialog waiting for a user.
    view_->SetPrintDialogRunner([](QPrinter&, QWidget*) { return false; });
    view_->OnInitialUpdate();
    QGuiApplication::clipboard()->clear();
  }

  void cleanup() {
    view_.reset();
    SetWarningMessageFunction(nullptr);
  }

  void locationIsAboutBlankUntilAPageIsLoaded() {
    CBookView fresh;
    QCOMPARE(fresh.CurrentLocation(), QStringLiteral("about:blank"));
    QCOMPARE(view_->CurrentLocation(), QStringLiteral("about:blank"));
    QVERIFY(!view_->IsPageShown());

    const auto file = WritePage("page.html", "<p>學而時習之</p>");
    view_->Navigate(ToQString(file));
    QCOMPARE(view_->CurrentLocation(), FileLocation(file));
    QVERIFY(view_->IsPageShown());
    QVERIFY(Browser()->toPlainText().contains(QStringLiteral("學而時習之")));

    view_->Navigate(QStringLiteral("about:blank"));
    QCOMPARE(view_->CurrentLocation(), QStringLiteral("about:blank"));
    QVERIFY(Browser()->toPlainText().isEmpty());
  }

  void navigateRereadsAFileWrittenAgainUnderTheSameName() {
    const auto file = WritePage("windows.html", "<p>第一頁</p>");
    view_->Navigate(ToQString(file));
    WritePage("windows.html", "<p>第二頁</p>");
    view_->Navigate(ToQString(file));
    QVERIFY(Browser()->toPlainText().contains(QStringLiteral("第二頁")));
    QVERIFY(!Browser()->toPlainText().contains(QStringLiteral("第一頁")));
  }

  void navigateWithAnchorScrollsToIt() {
    std::string body;
    for (int i = 0; i < 200; ++i) body += "<p>" + std::to_string(i) + "</p>";
    body += "<p><a name=\"0003\"></a>here</p>";
    for (int i = 0; i < 200; ++i) body += "<p>x</p>";
    const auto file = WritePage("windows1.html", body);
    const QString path = ToQString(file);
    view_->Navigate(path + QStringLiteral("#0000"));
    QCOMPARE(Browser()->verticalScrollBar()->value(), 0);
    view_->Navigate(path + QStringLiteral("#0003"));
    QCOMPARE(view_->CurrentLocation(), FileLocation(file) + QStringLiteral("#0003"));
    QVERIFY(Browser()->verticalScrollBar()->value() > 0);
  }

  // The result frame gives its table a height; a longer text makes the table
  // taller, as in a browser, and its last hits can still be scrolled to. A
  // shorter text keeps the given height.
  void tablesGrowWithTheirTextAndKeepTheirHeightAsALeast() {
    const std::string table = "<TABLE border=1 height=477 width=635><tr><TD height=477 width=80>";
    const auto longPage =
        WritePage("windows1.html", table + Repeat("<p>學而時習之</p>", 120) +
                                       "<p><a name=\"0003\"></a>末</p></TD></tr></TABLE>");
    view_->Navigate(ToQString(longPage) + QStringLiteral("#0003"));
    QTextDocument* document = Browser()->document();
    QVERIFY(document->size().height() > 2000);
    QVERIFY(Browser()->verticalScrollBar()->value() > 0);
    const QRect anchorAt = Browser()->cursorRect(document->find(QStringLiteral("末")));
    QVERIFY(Browser()->viewport()->rect().contains(anchorAt.center()));

    const auto shortPage = WritePage("windows2.html", table + "<p>學而</p></TD></tr></TABLE>");
    view_->Navigate(ToQString(shortPage));
    QVERIFY(document->size().height() >= 477);
    QVERIFY(document->size().height() < 520);
  }

  void aMissingFileShowsNothingButIsTheLocation() {
    const auto file = folder_ / "missing.html";
    view_->Navigate(ToQString(file));
    QCOMPARE(view_->CurrentLocation(), FileLocation(file));
    QVERIFY(Browser()->toPlainText().isEmpty());
  }

  void copyLimitedCutsALongSelectionToPlainText_data() {
    QTest::addColumn<int>("characters");
    QTest::addColumn<int>("expectedCharacters");
    QTest::addColumn<bool>("browserFormatsKept");
    QTest::newRow("100 Han, untouched") << 100 << 100 << true;
    QTest::newRow("300 Han, exactly the limit, untouched") << 300 << 300 << true;
    QTest::newRow("301 Han: cut to 300") << 301 << 300 << false;
    QTest::newRow("400 Han: cut to 300") << 400 << 300 << false;
  }

  void copyLimitedCutsALongSelectionToPlainText() {
    QFETCH(int, characters);
    QFETCH(int, expectedCharacters);
    QFETCH(bool, browserFormatsKept);
    QSignalSpy said(view_.get(), &CBookView::statusMessage);
    const auto file = WritePage("copy.html", "<p>" + Repeat("之", characters) + "</p>");
    view_->Navigate(ToQString(file));
    view_->SelectAllText();
    view_->CopyLimited();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data != nullptr);
    QCOMPARE(data->text().trimmed(), QStringLiteral("之").repeated(expectedCharacters));
    if (browserFormatsKept) {
      QVERIFY(data->hasHtml());
      QCOMPARE(said.size(), 0);
    } else {
      QCOMPARE(data->formats(), QStringList{QStringLiteral("text/plain")});
      // The reader is told that the copy holds less than the selection.
      QCOMPARE(said.size(), 1);
      QCOMPARE(said[0][0].toString(), QString::fromUtf16(kCopyCutMessage));
    }
  }

  void copyLimitedWithNothingSelectedShortensWhatTheClipboardHeld() {
    auto* foreign = new QMimeData;
    foreign->setText(QString(1000, u'x'));
    foreign->setHtml(QStringLiteral("<b>x</b>"));
    QGuiApplication::clipboard()->setMimeData(foreign);
    const auto file = WritePage("page.html", "<p>學而</p>");
    view_->Navigate(ToQString(file));
    view_->CopyLimited();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(data->text(), QString(300, u'x'));
    QCOMPARE(data->formats(), QStringList{QStringLiteral("text/plain")});
  }

  void selectAllTextSelectsTheWholePage() {
    const auto file = WritePage("page.html", "<p>學而時習之</p><p>不亦說乎</p>");
    view_->Navigate(ToQString(file));
    QVERIFY(!Browser()->textCursor().hasSelection());
    view_->SelectAllText();
    QCOMPARE(Browser()->textCursor().selection().toPlainText(), Browser()->toPlainText());
    QVERIFY(view_->Browser().QueryCommandEnabled(BrowserCommandQuery::kCopy));
    QVERIFY(!view_->Browser().QueryCommandEnabled(BrowserCommandQuery::kPaste));
  }

  // Typed in the page: the view's own commands before any shortcut of the
  // window, and never the browser's own copy; no Ctrl key is answered with a
  // message box any more.
  void ctrlKeysCopyLimitedAndSelectThePage() {
    const auto file = WritePage("page.html", "<p>" + Repeat("之", 400) + "</p>");
    view_->Navigate(ToQString(file));
    QTest::keyPress(Browser(), Qt::Key_Control);
    for (Qt::Key key : {Qt::Key_A, Qt::Key_C, Qt::Key_Home, Qt::Key_End, Qt::Key_Insert}) {
      QKeyEvent shortcut(QEvent::ShortcutOverride, key, Qt::ControlModifier);
      QApplication::sendEvent(Browser(), &shortcut);
      QVERIFY(shortcut.isAccepted());  // no shortcut of the main window fires
    }
    // The window's page and volume steps and print stay the window's.
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_P}) {
      QKeyEvent shortcut(QEvent::ShortcutOverride, key, Qt::ControlModifier);
      QApplication::sendEvent(Browser(), &shortcut);
      QVERIFY(!shortcut.isAccepted());
    }
    QTest::keyClick(Browser(), Qt::Key_A, Qt::ControlModifier);
    QVERIFY(Browser()->textCursor().hasSelection());
    QTest::keyClick(Browser(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("之").repeated(300));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(Browser(), Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("之").repeated(300));
    QTest::keyRelease(Browser(), Qt::Key_Control);
    QVERIFY(messages_.isEmpty());
  }

  void ctrlKeysDoNothingBeforeAnyPage() {
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyPress(Browser(), Qt::Key_Control);
    QTest::keyClick(Browser(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(Browser(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    QVERIFY(messages_.isEmpty());
  }

  // The find field is a line edit of its own: its Ctrl keys are its own.
  void findFieldKeepsItsOwnCtrlKeys() {
    const auto file = WritePage("page.html", "<p>學而時習之</p>");
    view_->Navigate(ToQString(file));
    view_->OpenFindBar();
    QLineEdit* field = view_->FindBar()->Field();
    field->setText(QStringLiteral("時習"));
    QTest::keyPress(field, Qt::Key_Control);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    QTest::keyRelease(field, Qt::Key_Control);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("時習"));
    QVERIFY(!Browser()->textCursor().hasSelection());
    QVERIFY(messages_.isEmpty());
  }

  // Ctrl+Home and Ctrl+End go to the page's ends; PageDown and Space scroll a
  // screen, and at the bottom ask for the next page.
  void pageKeysScrollAndReadOnAtTheBottom_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("PageDown") << int(Qt::Key_PageDown);
    QTest::newRow("Space") << int(Qt::Key_Space);
  }
  void pageKeysScrollAndReadOnAtTheBottom() {
    QFETCH(int, key);
    QSignalSpy readOn(view_.get(), &CBookView::readOnRequested);
    // Before any page there is nothing to read on from.
    QTest::keyClick(Browser(), Qt::Key(key));
    QCOMPARE(readOn.size(), 0);
    std::string body;
    for (int i = 0; i < 60; ++i) body += "<p>學而時習之 " + std::to_string(i) + "</p>";
    view_->Navigate(ToQString(WritePage("long.html", body)));
    QScrollBar* bar = Browser()->verticalScrollBar();
    QVERIFY(bar->maximum() > bar->pageStep());
    QTest::keyClick(Browser(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(bar->value(), bar->maximum());
    QTest::keyClick(Browser(), Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(bar->value(), bar->minimum());
    int steps = 0;
    while (bar->value() < bar->maximum() && steps < 100) {
      const int before = bar->value();
      QTest::keyClick(Browser(), Qt::Key(key));
      QVERIFY(bar->value() > before);
      QCOMPARE(readOn.size(), 0);
      ++steps;
    }
    QVERIFY(steps >= 2);
    QTest::keyClick(Browser(), Qt::Key(key));
    QCOMPARE(readOn.size(), 1);
    // With Shift, Space goes back up: it never reads on.
    QTest::keyClick(Browser(), Qt::Key_Space, Qt::ShiftModifier);
    QCOMPARE(readOn.size(), 1);
    QVERIFY(bar->value() < bar->maximum());
  }

  void rightButtonShowsNoMenuBeforeAPageIsShown() {
    QTest::mousePress(Browser()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QTest::mouseRelease(Browser()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QVERIFY(menusShown_.isEmpty());
  }

  void rightButtonPressOrDoubleClickShowsTheMenu() {
    const auto file = WritePage("page.html", "<p>學而時習之</p>");
    view_->Navigate(ToQString(file));
    // Copying with the citation needs a selection.
    const QStringList expected{QString::fromUtf16(kCopyLimitedMenuText),
                               QString::fromUtf16(kSelectAllMenuText),
                               QString::fromUtf16(kCopyCitedMenuText) + " (disabled)"};
    QTest::mousePress(Browser()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QCOMPARE(menusShown_, QList<QStringList>{expected});
    QTest::mouseRelease(Browser()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QCOMPARE(menusShown_.size(), 1);  // the release is not the view's
    QTest::mouseDClick(Browser()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QVERIFY(menusShown_.size() >= 2);
    QCOMPARE(menusShown_.last(), expected);
    view_->SelectAllText();
    QTest::mousePress(Browser()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QCOMPARE(menusShown_.last().last(), QString::fromUtf16(kCopyCitedMenuText));
  }

  // The selection, cut as the limited copy cuts it, then a line with the place.
  void copyCitedPutsTheSelectionAndItsPlaceOnTheClipboard_data() {
    QTest::addColumn<int>("characters");
    QTest::addColumn<int>("keptCharacters");
    QTest::addColumn<bool>("withCitation");
    QTest::newRow("short selection") << 5 << 5 << true;
    QTest::newRow("400 Han: 300 kept, then the citation") << 400 << 300 << true;
    QTest::newRow("a page no record covers: the selection alone") << 5 << 5 << false;
  }
  void copyCitedPutsTheSelectionAndItsPlaceOnTheClipboard() {
    QFETCH(int, characters);
    QFETCH(int, keptCharacters);
    QFETCH(bool, withCitation);
    const QString citation = QStringLiteral("出典：經部・論語・學而・5頁");
    int asked = 0;
    view_->SetCitationSource([&](int) -> std::optional<QString> {
      ++asked;
      if (!withCitation) return std::nullopt;
      return citation;
    });
    const auto file = WritePage("cited.html", "<p>" + Repeat("之", characters) + "</p>");
    view_->Navigate(ToQString(file));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QVERIFY(!view_->CanCopyCited());
    QVERIFY(!view_->CopyCited());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

    view_->SelectAllText();
    QVERIFY(view_->CanCopyCited());
    chooseAction_ = 2;  // the menu's cited copy
    QTest::mousePress(Browser()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QCOMPARE(asked, 1);
    const QString kept = QStringLiteral("之").repeated(keptCharacters);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(data->text(), withCitation ? kept + u'\n' + citation : kept);
    QCOMPARE(data->formats(), QStringList{QStringLiteral("text/plain")});
  }

  // The citation names the heading the cited text stands under: the page view
  // counts the headings above the selection's start.
  void headingsAboveTheSelectionAreCounted() {
    const auto file =
        WritePage("headed.html", "<p>序</p><h4>一</h4><p>甲甲</p><h4>二</h4><p>乙乙</p>");
    view_->Navigate(ToQString(file));
    int counted = -1;
    view_->SetCitationSource([&](int headingsAbove) -> std::optional<QString> {
      counted = headingsAbove;
      return QStringLiteral("出典：x");
    });
    const auto select = [&](const QString& text) {
      const QTextCursor found = Browser()->document()->find(text);
      QVERIFY(!found.isNull());
      Browser()->setTextCursor(found);
    };
    const struct {
      const char* text;
      int headings;
    } cases[] = {{"序", 0}, {"一", 1}, {"甲甲", 1}, {"二", 2}, {"乙乙", 2}};
    for (const auto& c : cases) {
      select(QString::fromUtf8(c.text));
      QCOMPARE(view_->Browser().HeadingsAboveSelection(), c.headings);
      QVERIFY(view_->CopyCited());
      QCOMPARE(counted, c.headings);
    }
  }

  void menuCommandsRunOnTheView() {
    const auto file = WritePage("page.html", "<p>" + Repeat("之", 400) + "</p>");
    view_->Navigate(ToQString(file));
    chooseAction_ = 1;  // select all
    QTest::mousePress(Browser()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QVERIFY(Browser()->textCursor().hasSelection());
    chooseAction_ = 0;  // copy, limited
    QTest::mousePress(Browser()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("之").repeated(300));
  }

  void printWritesThePage() {
    const auto file = WritePage("page.html", "<p>學而時習之</p>");
    view_->Navigate(ToQString(file));
    auto& browser = dynamic_cast<TextBrowserControl&>(view_->Browser());
    const std::filesystem::path pdf = folder_ / "page.pdf";
    browser.Printer().setOutputFormat(QPrinter::PdfFormat);
    browser.Printer().setOutputFileName(ToQString(pdf));
    view_->SetPrintDialogRunner([](QPrinter&, QWidget*) { return true; });
    view_->Print();
    QVERIFY(std::filesystem::exists(pdf));
    QVERIFY(std::filesystem::file_size(pdf) > 0);
  }

  // The dialog is asked first; what it chooses is where the page goes.
  void printAsksWithTheDialogAndPrintsWhereItSays_data() {
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("withDialog");
    QTest::newRow("印刷, printed to a PDF file") << true << false;
    QTest::newRow("印刷, cancelled") << false << false;
    QTest::newRow("print with dialog, printed") << true << true;
    QTest::newRow("print with dialog, cancelled") << false << true;
  }
  void printAsksWithTheDialogAndPrintsWhereItSays() {
    QFETCH(bool, accepted);
    QFETCH(bool, withDialog);
    const auto file = WritePage("page.html", "<p>學而時習之</p>");
    view_->Navigate(ToQString(file));
    const std::filesystem::path pdf = folder_ / "chosen.pdf";
    std::filesystem::remove(pdf);
    int asked = 0;
    view_->SetPrintDialogRunner([&](QPrinter& printer, QWidget* parent) {
      ++asked;
      if (parent != view_.get()) return false;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(ToQString(pdf));
      return accepted;
    });
    QCOMPARE(withDialog ? view_->PrintWithDialog() : view_->Print(), accepted);
    QCOMPARE(asked, 1);
    QCOMPARE(std::filesystem::exists(pdf), accepted);
    if (accepted) {
      QVERIFY(std::filesystem::file_size(pdf) > 0);
      QVERIFY(ReadFileBytes(pdf).starts_with("%PDF"));
    }
    QVERIFY(messages_.isEmpty());
  }

  void printThatCannotBeWrittenIsReported() {
    const auto file = WritePage("page.html", "<p>學而時習之</p>");
    view_->Navigate(ToQString(file));
    const std::filesystem::path pdf = folder_ / "no such folder" / "page.pdf";
    view_->SetPrintDialogRunner([&](QPrinter& printer, QWidget*) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(ToQString(pdf));
      return true;
    });
    QVERIFY(!view_->Print());
    QVERIFY(!std::filesystem::exists(pdf));
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].startsWith(QString::fromUtf16(kPrintFailedMessage) + u'\n'),
             qPrintable(messages_[0]));
    QVERIFY2(messages_[0].contains(QStringLiteral("page.pdf")), qPrintable(messages_[0]));
  }

  // As in a browser, while the page has the keyboard; the keys may come to
  // the page view itself as well as to the browser inside it.
  void keysAndTheWheelScrollALongPage_data() {
    QTest::addColumn<bool>("toTheView");
    QTest::newRow("sent to the widget with the focus") << false;
    QTest::newRow("sent to the page view") << true;
  }
  void keysAndTheWheelScrollALongPage() {
    QFETCH(bool, toTheView);
    const auto file = WritePage("long.html", Repeat("<p>學而時習之，不亦說乎。</p>", 300));
    view_->Navigate(ToQString(file));
    view_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view_.get()));
    view_->setFocus();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Browser()));
    QWidget* target = toTheView ? static_cast<QWidget*>(view_.get()) : QApplication::focusWidget();
    QScrollBar* bar = Browser()->verticalScrollBar();
    QVERIFY(bar->maximum() > 2 * bar->pageStep());
    struct Step {
      Qt::Key key;
      Qt::KeyboardModifiers modifiers;
    };
    // Each pair goes down, then back to the top.
    for (const auto& [down, up] :
         {std::pair{Step{Qt::Key_PageDown, {}}, Step{Qt::Key_PageUp, {}}},
          std::pair{Step{Qt::Key_Space, {}}, Step{Qt::Key_Space, Qt::ShiftModifier}},
          std::pair{Step{Qt::Key_Down, {}}, Step{Qt::Key_Up, {}}}}) {
      QTest::keyClick(target, down.key, down.modifiers);
      QVERIFY2(bar->value() > 0, qPrintable(QKeySequence(down.key).toString()));
      QTest::keyClick(target, up.key, up.modifiers);
      QCOMPARE(bar->value(), 0);
    }
    QTest::keyClick(target, Qt::Key_End);
    QCOMPARE(bar->value(), bar->maximum());
    QTest::keyClick(target, Qt::Key_Home);
    QCOMPARE(bar->value(), 0);

    QWidget* wheelTarget = toTheView ? static_cast<QWidget*>(view_.get()) : Browser()->viewport();
    const QPoint at = wheelTarget->rect().center();
    for (const int delta : {-120, 120}) {
      QWheelEvent wheel(at, wheelTarget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(wheelTarget, &wheel);
      if (delta < 0)
        QVERIFY(bar->value() > 0);
      else
        QCOMPARE(bar->value(), 0);
    }
    QVERIFY(messages_.isEmpty());
  }

  // On an even page the result frame's narrow first cell holds the text; the
  // text gets the wide column there, as it has it on odd pages. The margin
  // cell takes the narrow one.
  void theTextOfAResultPageReadsInTheWideColumn_data() {
    QTest::addColumn<int>("pageNumber");
    QTest::addColumn<int>("textColumn");
    QTest::newRow("even page: text in the first cell") << 6 << 0;
    QTest::newRow("odd page: text in the second cell") << 7 << 1;
  }
  void theTextOfAResultPageReadsInTheWideColumn() {
    QFETCH(int, pageNumber);
    QFETCH(int, textColumn);
    view_->resize(900, 600);
    const std::string text = "<p>" + Repeat("學而時習之不亦說乎", 20) + "</p>";
    const std::string rendered = ResultPage(pageNumber, text, "之");
    const auto file = folder_ / "windows1.html";
    WriteFileBytes(file, rendered);
    view_->Navigate(ToQString(file) + QStringLiteral("#0000"));
    // The page is shown from its bytes as they were written.
    QCOMPARE(ReadFileBytes(file), rendered);
    const int textLine = FirstLineLength(Browser(), textColumn);
    QVERIFY2(textLine >= 20, qPrintable(QString::number(textLine)));
    const int marginLine = FirstLineLength(Browser(), 1 - textColumn);
    QVERIFY2(marginLine > 0 && marginLine <= 5, qPrintable(QString::number(marginLine)));
  }

  // A stored page declares its margin 5em wide, which zoomed in took nearly
  // half the view: the margin stays as wide as its lines, at any size, and
  // the file is shown as it was written.
  void theMarginStaysNarrowWhenZoomedIn_data() {
    QTest::addColumn<int>("pageNumber");
    QTest::newRow("odd page: margin first") << 3;
    QTest::newRow("even page: margin second") << 4;
  }
  void theMarginStaysNarrowWhenZoomedIn() {
    QFETCH(int, pageNumber);
    view_->resize(600, 500);
    const std::string cell = "<TD>" + Repeat("關關雎鳩，在河之洲。", 4) + "</TD>";
    const std::string margin =
        "<TD class=\"m\">國風<br>周南<br>" + std::to_string(pageNumber) + "</TD>";
    const std::string page =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"
        "<style>td{vertical-align:top;padding:0 1em}.m{width:5em;color:#8a7f6e;font-size:small}"
        "</style><title>國風 周南 3</title></head><body><table width=\"100%\"><tr>" +
        (pageNumber % 2 == 0 ? cell + margin : margin + cell) + "</tr></table></body></html>";
    const auto file = folder_ / "windows.html";
    WriteFileBytes(file, page);
    view_->Navigate(ToQString(file));
    const int marginColumn = pageNumber % 2 == 0 ? 1 : 0;
    const auto marginWidth = [this, marginColumn] {
      for (QTextFrame* frame : Browser()->document()->rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
          // The width its first line is laid out in.
          QTextDocument* document = Browser()->document();
          const QTextBlock first =
              document->findBlock(table->cellAt(0, marginColumn).firstPosition());
          return document->documentLayout()->blockBoundingRect(first).width();
        }
      }
      return -1.0;
    };
    for (int step = 0; step < 12; ++step) {
      const qreal width = marginWidth();
      // Never more than a fifth of the view, and every margin line whole.
      QVERIFY2(width > 0 && width < Browser()->viewport()->width() / 5.0,
               qPrintable(QString::number(width)));
      // "國風" and its line break on one line.
      QCOMPARE(FirstLineLength(Browser(), marginColumn), 3);
      view_->ZoomIn();
    }
    QVERIFY(view_->TextSize() >= 28);
    QCOMPARE(ReadFileBytes(file), page);
  }

  void aResultPageWithoutTextIsLeftAsItIs() {
    view_->resize(900, 600);
    const auto file = folder_ / "windows2.html";
    WriteFileBytes(file, ResultPage(6, "", "之"));
    view_->Navigate(ToQString(file));
    QTextTable* table = nullptr;
    for (QTextFrame* frame : Browser()->document()->rootFrame()->childFrames())
      if (!table) table = qobject_cast<QTextTable*>(frame);
    QVERIFY(table != nullptr);
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    QCOMPARE(widths.size(), 2);
    QCOMPARE(widths[0].rawValue(), 80.0);
    QCOMPARE(widths[1].rawValue(), 450.0);
  }

  // The hit the view was sent to stands out from the other hits' grey, and
  // moves with the next jump within the page; "之之" are two hits.
  void theHitNavigatedToIsMarked() {
    const std::string text = "<p>" + Repeat("學而時習之，不亦說乎。", 40) + "子曰之之</p>";
    const auto file = folder_ / "windows1.html";
    WriteFileBytes(file, ResultPage(6, text, "之"));
    auto& browser = dynamic_cast<TextBrowserControl&>(view_->Browser());
    QTextDocument* document = Browser()->document();
    const QString hit = QStringLiteral("之");
    for (const int anchor : {0, 3, 39, 40, 41, 2}) {
      view_->Navigate(ToQString(file) + QStringLiteral("#%1").arg(anchor, 4, 10, QLatin1Char('0')));
      const QList<QTextEdit::ExtraSelection> marks = MarksOf(Browser(), kCurrentHitBackground);
      QCOMPARE(marks.size(), 1);
      QCOMPARE(marks[0].cursor.selectedText(), hit);
      QCOMPARE(marks[0].cursor.selectionStart(), PositionOf(document, hit, anchor));
      QCOMPARE(browser.CurrentHitText(), hit);
      QVERIFY(QColor(QLatin1String(kCurrentHitBackground)) != QColor(0xD9, 0xD9, 0xD9));
    }
    // A page opened without an anchor shows no hit as the current one.
    view_->Navigate(ToQString(file));
    QVERIFY(MarksOf(Browser(), kCurrentHitBackground).isEmpty());
    QVERIFY(browser.CurrentHitText().isEmpty());
  }

  // A '?' term places three anchors per hit: each is a hit of its own.
  void aHitOfSeveralMarkersShowsOnlyTheOneNamed() {
    const auto file = folder_ / "windows1.html";
    WriteFileBytes(file, ResultPage(6, "<p>學而時習之</p>", "學?時"));
    for (const auto& [anchor, text] :
         {std::pair{"0000", "學"}, std::pair{"0001", "而"}, std::pair{"0002", "時"}}) {
      view_->Navigate(ToQString(file) + u'#' + QLatin1String(anchor));
      const QList<QTextEdit::ExtraSelection> marks = MarksOf(Browser(), kCurrentHitBackground);
      QCOMPARE(marks.size(), 1);
      QCOMPARE(marks[0].cursor.selectedText(), QString::fromUtf8(text));
    }
  }

  void pageKeysSizeTheTextAndTheSizeIsRemembered() {
    const auto file = WritePage("page.html", "<p>學而時習之</p>");
    view_->Navigate(ToQString(file));
    QCOMPARE(view_->TextSize(), quillwen::kStandardTextSize);
    struct Step {
      char key;
      int expected;
    };
    for (const Step step : {Step{'+', 14}, Step{'=', 16}, Step{'-', 14}, Step{'-', 13},
                            Step{'-', 12}, Step{'0', 13}, Step{'=', 14}}) {
      QTest::keyClick(Browser(), step.key);
      QCOMPARE(view_->TextSize(), step.expected);
      QCOMPARE(Browser()->font().pointSize(), step.expected);
      QCOMPARE(ReadSettingString(QLatin1String(kPageViewSection), QLatin1String(kTextSizeName)),
               QString::number(step.expected));
    }
    // The Ctrl key keeps its message; Ctrl and the wheel are the view's steps.
    const QPoint at = Browser()->viewport()->rect().center();
    QWheelEvent wheel(at, Browser()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Browser()->viewport(), &wheel);
    QCOMPARE(view_->TextSize(), 16);
    QVERIFY(messages_.isEmpty());

    CBookView next;
    QCOMPARE(next.TextSize(), 16);
    next.ZoomReset();
    QCOMPARE(CBookView().TextSize(), quillwen::kStandardTextSize);
  }

  // A table given a height grows when bigger text no longer fits in it.
  void tablesGrowAgainWhenTheTextGetsBigger() {
    const auto file = folder_ / "windows1.html";
    WriteFileBytes(file, ResultPage(7, "<p>" + Repeat("學而時習之", 12) + "</p>", "之"));
    view_->Navigate(ToQString(file));
    QTextDocument* document = Browser()->document();
    QVERIFY(document->size().height() < 520);
    for (int i = 0; i < 20; ++i) view_->ZoomIn();
    QCOMPARE(view_->TextSize(), quillwen::kTextSizes.back());
    QVERIFY2(document->size().height() > 520,
             qPrintable(QString::number(document->size().height())));
    const QTextBlock last = document->lastBlock();
    QVERIFY(document->documentLayout()->blockBoundingRect(last).bottom() <=
            document->size().height());
    view_->ZoomReset();
    QVERIFY(document->size().height() < 520);
  }

  void findBarMarksEveryMatchAndStepsRoundThem() {
    const auto file =
        WritePage("page.html", Repeat("<p>學而時習之，不亦說乎。</p>", 60) + "<p>有朋</p>");
    view_->Navigate(ToQString(file));
    CPageFindBar* bar = view_->FindBar();
    QVERIFY(bar->isHidden());
    QTest::keyClick(Browser(), '/');
    QVERIFY(bar->isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(bar->Field()));

    // Chinese comes from an input method: one committed string.
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("說乎"));
    QApplication::sendEvent(bar->Field(), &typed);
    QCOMPARE(bar->Label(), QStringLiteral("1 / 60"));
    QCOMPARE(MarksOf(Browser(), kFindMatchBackground).size(), 59);
    QList<QTextEdit::ExtraSelection> current = MarksOf(Browser(), kCurrentFindBackground);
    QCOMPARE(current.size(), 1);
    QCOMPARE(current[0].cursor.selectedText(), QStringLiteral("說乎"));
    QCOMPARE(current[0].cursor.selectionStart(), PositionOf(Browser()->document(), "說乎", 0));

    QTest::keyClick(bar->Field(), Qt::Key_Return);
    QCOMPARE(bar->Label(), QStringLiteral("2 / 60"));
    QTest::keyClick(bar->Field(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(bar->Field(), Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(bar->Label(), QStringLiteral("60 / 60"));
    current = MarksOf(Browser(), kCurrentFindBackground);
    QCOMPARE(current[0].cursor.selectionStart(), PositionOf(Browser()->document(), "說乎", 59));
    // The last match was brought into view.
    QVERIFY(Browser()->viewport()->rect().contains(Browser()->cursorRect(current[0].cursor)));
    QTest::mouseClick(bar->findChild<QToolButton*>(QStringLiteral("findNext")), Qt::LeftButton);
    QCOMPARE(bar->Label(), QStringLiteral("1 / 60"));
    QTest::mouseClick(bar->findChild<QToolButton*>(QStringLiteral("findPrevious")), Qt::LeftButton);
    QCOMPARE(bar->Label(), QStringLiteral("60 / 60"));

    bar->Field()->setText(QStringLiteral("有朋"));
    QCOMPARE(bar->Label(), QStringLiteral("1 / 1"));
    bar->Field()->setText(QStringLiteral("孟子"));
    QCOMPARE(bar->Label(), QString::fromUtf16(quillwen::kFindNothingFoundText));
    QVERIFY(MarksOf(Browser(), kFindMatchBackground).isEmpty());
    QVERIFY(MarksOf(Browser(), kCurrentFindBackground).isEmpty());
    bar->Field()->clear();
    QVERIFY(bar->Label().isEmpty());

    bar->Field()->setText(QStringLiteral("學而"));
    QVERIFY(!Browser()->extraSelections().isEmpty());
    QTest::keyClick(bar->Field(), Qt::Key_Escape);
    QVERIFY(bar->isHidden());
    QVERIFY(Browser()->extraSelections().isEmpty());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Browser()));
    // The reader's own selection was never touched.
    QVERIFY(!Browser()->textCursor().hasSelection());
  }

  // With the bar open, another page is searched for the same text; the place
  // it was opened at stays until the reader steps.
  void findBarSearchesTheNextPageShownAgain() {
    const auto first = WritePage("windows1.html", "<p>學而時習之</p>");
    const auto second = WritePage("windows2.html", Repeat("<p>學而</p>", 5) + "<p>之</p>");
    view_->Navigate(ToQString(first));
    view_->OpenFindBar();
    view_->FindBar()->Field()->setText(QStringLiteral("學而"));
    QCOMPARE(view_->FindBar()->Label(), QStringLiteral("1 / 1"));
    view_->Navigate(ToQString(second));
    QCOMPARE(view_->FindBar()->Label(), QStringLiteral("0 / 5"));
    QCOMPARE(MarksOf(Browser(), kFindMatchBackground).size(), 5);
    QVERIFY(MarksOf(Browser(), kCurrentFindBackground).isEmpty());
    view_->FindNext();
    QCOMPARE(view_->FindBar()->Label(), QStringLiteral("1 / 5"));
    view_->CloseFindBar();
    view_->Navigate(ToQString(first));
    QVERIFY(Browser()->extraSelections().isEmpty());
  }
};

QTEST_MAIN(BookViewTest)
#include "book_view_test.moc"
