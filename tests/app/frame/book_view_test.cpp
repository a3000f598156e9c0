#include "app/frame/book_view.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>

#include "app/platform/message_box.h"
#include "app/platform/qt_text.h"
#include "app/platform/text_browser_control.h"
#include "tests/support/temp_dir.h"

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

}  // namespace

class BookViewTest : public QObject {
  Q_OBJECT

 private:
  TempDir folder_;
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
  void init() {
    messages_.clear();
    menusShown_.clear();
    chooseAction_ = -1;
    SetWarningMessageFunction([this](const QString& text) { messages_ << text; });
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
    QTest::addColumn<int>("expectedBytes");
    QTest::addColumn<bool>("browserFormatsKept");
    QTest::newRow("100 Han: 300 bytes, untouched") << 100 << 300 << true;
    QTest::newRow("200 Han: exactly 600 bytes, untouched") << 200 << 600 << true;
    QTest::newRow("201 Han: cut to 600") << 201 << 600 << false;
    QTest::newRow("400 Han: cut to 600") << 400 << 600 << false;
  }

  void copyLimitedCutsALongSelectionToPlainText() {
    QFETCH(int, characters);
    QFETCH(int, expectedBytes);
    QFETCH(bool, browserFormatsKept);
    const auto file = WritePage("copy.html", "<p>" + Repeat("之", characters) + "</p>");
    view_->Navigate(ToQString(file));
    view_->SelectAllText();
    view_->CopyLimited();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data != nullptr);
    QCOMPARE(data->text().toUtf8().size(), expectedBytes);
    QVERIFY(data->text().toUtf8().startsWith(
        QStringLiteral("之").toUtf8().repeated(expectedBytes / 3)));
    if (browserFormatsKept) {
      QVERIFY(data->hasHtml());
    } else {
      QCOMPARE(data->formats(), QStringList{QStringLiteral("text/plain")});
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
    QCOMPARE(data->text(), QString(600, u'x'));
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

  void ctrlKeyShowsTheRightButtonMessageAndGoesNoFurther() {
    const auto file = WritePage("page.html", "<p>學而時習之</p>");
    view_->Navigate(ToQString(file));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyPress(Browser(), Qt::Key_Control);
    QCOMPARE(messages_, QStringList{QString::fromUtf16(kUseRightButtonMessage)});
    // The combination that follows reaches neither the browser nor a shortcut.
    for (Qt::Key key : {Qt::Key_A, Qt::Key_C}) {
      QKeyEvent shortcut(QEvent::ShortcutOverride, key, Qt::ControlModifier);
      QApplication::sendEvent(Browser(), &shortcut);
      QVERIFY(shortcut.isAccepted());  // no shortcut of the main window fires
      QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
      QApplication::sendEvent(Browser(), &press);
    }
    QTest::keyRelease(Browser(), Qt::Key_Control);
    QVERIFY(!Browser()->textCursor().hasSelection());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    QCOMPARE(messages_.size(), 1);
  }

  void ctrlKeyShowsTheMessageAlsoBeforeAnyPage() {
    QTest::keyPress(Browser(), Qt::Key_Control);
    QCOMPARE(messages_, QStringList{QString::fromUtf16(kUseRightButtonMessage)});
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
    QTest::newRow("400 Han: 200 kept, then the citation") << 400 << 200 << true;
    QTest::newRow("a page no record covers: the selection alone") << 5 << 5 << false;
  }
  void copyCitedPutsTheSelectionAndItsPlaceOnTheClipboard() {
    QFETCH(int, characters);
    QFETCH(int, keptCharacters);
    QFETCH(bool, withCitation);
    const QString citation = QStringLiteral("出典：經部・論語・學而・5頁");
    int asked = 0;
    view_->SetCitationSource([&]() -> std::optional<QString> {
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

  void menuCommandsRunOnTheView() {
    const auto file = WritePage("page.html", "<p>" + Repeat("之", 400) + "</p>");
    view_->Navigate(ToQString(file));
    chooseAction_ = 1;  // select all
    QTest::mousePress(Browser()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QVERIFY(Browser()->textCursor().hasSelection());
    chooseAction_ = 0;  // copy, limited
    QTest::mousePress(Browser()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QCOMPARE(QGuiApplication::clipboard()->text().toUtf8().size(), 600);
  }

  void printWritesThePage() {
    const auto file = WritePage("page.html", "<p>學而時習之</p>");
    view_->Navigate(ToQString(file));
    auto& browser = dynamic_cast<TextBrowserControl&>(view_->Browser());
    const std::filesystem::path pdf = folder_ / "page.pdf";
    browser.Printer().setOutputFormat(QPrinter::PdfFormat);
    browser.Printer().setOutputFileName(ToQString(pdf));
    view_->Print();
    QVERIFY(std::filesystem::exists(pdf));
    QVERIFY(std::filesystem::file_size(pdf) > 0);
  }
};

QTEST_MAIN(BookViewTest)
#include "book_view_test.moc"
