#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

#include "app/frame/book_app.h"
#include "app/frame/book_view.h"
#include "app/frame/resume_state.h"
#include "app/panel/left_form.h"
#include "app/platform/qt_text.h"
#include "app/platform/settings_store.h"
#include "tests/app/support/collection_fixture.h"
#include "tests/app/support/reader_harness.h"
#include "tests/support/temp_dir.h"

using quillwen::testing::PagesWithCharacter;
using quillwen::testing::ReaderHarness;
using quillwen::testing::SmallCollection;
using quillwen::testing::TempDir;
using quillwen::testing::WriteCollection;

namespace {

QString Resume(const char* name) {
  return ReadSettingString(QString::fromLatin1(kResumeSection), QString::fromLatin1(name));
}

void WriteResume(const char* name, const QString& value) {
  QVERIFY(
      WriteSettingString(QString::fromLatin1(kResumeSection), QString::fromLatin1(name), value));
}

}  // namespace

class ResumeTest : public QObject, public ReaderHarness {
  Q_OBJECT

 private:
  TempDir collection_;  // records 1 經部, 2 論語, 3 學而 (5-7), 4 爲政 (1-2), 5 孟子, 6 梁惠王 (3)
  TempDir smaller_;  // records 1 史部, 2 史記, 3 本紀 (1-2)

  QTreeWidget* Tree() { return Panel()->Tree(); }
  QTextBrowser* PageBrowser() {
    return static_cast<QTextBrowser*>(Frame()->m_pBookView->Browser().Widget());
  }
  QString PageLabel() { return Frame()->m_wndToolBar.m_wndPageLabel.text(); }
  QSlider& Slider() { return Frame()->m_wndToolBar.m_wndSlider; }

  // As at a first start: nothing selected, nothing shown.
  void VerifyStartsWithNothingShown() {
    QCOMPARE(Model().CurNode(), 0);
    QVERIFY(Tree()->currentItem() == nullptr);
    QCOMPARE(Frame()->m_pBookView->CurrentLocation(), QStringLiteral("about:blank"));
    QCOMPARE(Model().RangeNode(), quillwen::kWholeCollection);
    QVERIFY(messages_.isEmpty());
  }

 private slots:
  void initTestCase() {
    std::string error;
    QVERIFY2(WriteCollection(collection_.path(), SmallCollection(), &error), error.c_str());
    QVERIFY2(WriteCollection(smaller_.path(), PagesWithCharacter(2), &error), error.c_str());
  }

  void cleanup() { Stop(); }

  void reopensAtTheVolumePageKeywordsAndWindowPlace() {
    QVERIFY(Start(collection_.path()));
    Frame()->showNormal();
    const QRect place(120, 90, 900, 640);
    Frame()->setGeometry(place);
    QTRY_COMPARE(Frame()->geometry(), place);
    QVERIFY(Select(3));
    Panel()->StepPage(1);
    Panel()->StepPage(1);
    QCOMPARE(Model().CurPage(), 7);
    // Chinese keywords come from an input method: one committed string.
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("不亦 君子"));
    QApplication::sendEvent(KeywordField(), &typed);
    QCOMPARE(KeywordField()->text(), QStringLiteral("不亦 君子"));
    Stop();

    QVERIFY(Start(collection_.path()));
    QCOMPARE(Model().CurNode(), 3);
    QCOMPARE(Model().CurPage(), 7);
    // The tree and the toolbar follow; the search range stays the whole collection.
    QCOMPARE(Tree()->currentItem(), Panel()->ItemOfRecord(3));
    QCOMPARE(Model().RangeNode(), quillwen::kWholeCollection);
    QCOMPARE(Panel()->RangeLabel()->text(), QStringLiteral("全体"));
    QCOMPARE(PageLabel(), QStringLiteral("7/7"));
    QCOMPARE(Slider().minimum(), 5);
    QCOMPARE(Slider().maximum(), 7);
    QCOMPARE(Slider().value(), 7);
    QCOMPARE(PageLabel(), ToQString(Model().PageLabel()));
    QVERIFY(PageBrowser()->toPlainText().contains(QStringLiteral("人不知而不慍")));
    // The keywords are back, but nothing was searched.
    QCOMPARE(KeywordField()->text(), QStringLiteral("不亦 君子"));
    QVERIFY(Model().KeyWords().empty());
    QCOMPARE(Model().SearchNodes().Count(), size_t{0});
    QVERIFY(!Frame()->isMaximized());
    QCOMPARE(Frame()->geometry(), place);
    QVERIFY(messages_.isEmpty());
  }

  void savedPlace_data() {
    QTest::addColumn<QString>("volume");
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("node");  // 0: nothing shown
    QTest::addColumn<int>("shownPage");
    QTest::addColumn<QString>("text");
    QTest::newRow("a page of the volume") << "4"
                                          << "2" << 4 << 2 << "譬如北辰";
    QTest::newRow("page past the volume: its last") << "3"
                                                    << "40" << 3 << 7 << "人不知而不慍";
    QTest::newRow("page before the volume: its first") << "3"
                                                       << "1" << 3 << 5 << "學而時習之";
    QTest::newRow("page not a number: the first") << "6"
                                                  << "x9" << 6 << 3 << "孟子見梁惠王";
    QTest::newRow("record past the catalogue") << "7"
                                               << "1" << 0 << 0 << "";
    QTest::newRow("a book") << "2"
                            << "1" << 0 << 0 << "";
    QTest::newRow("a category") << "1"
                                << "1" << 0 << 0 << "";
    QTest::newRow("record not a number") << "3 "
                                         << "6" << 0 << 0 << "";
    QTest::newRow("record negative") << "-3"
                                     << "6" << 0 << 0 << "";
  }

  void savedPlace() {
    QFETCH(QString, volume);
    QFETCH(QString, page);
    QFETCH(int, node);
    QFETCH(int, shownPage);
    QFETCH(QString, text);
    // A first run makes the store this test's own; then the saved place is set.
    QVERIFY(Start(collection_.path()));
    Stop();
    WriteResume(kResumeVolumeName, volume);
    WriteResume(kResumePageName, page);

    QVERIFY(Start(collection_.path()));
    if (node == 0) {
      VerifyStartsWithNothingShown();
      return;
    }
    QCOMPARE(Model().CurNode(), node);
    QCOMPARE(Model().CurPage(), shownPage);
    QCOMPARE(Tree()->currentItem(), Panel()->ItemOfRecord(node));
    QCOMPARE(Slider().value(), shownPage);
    QCOMPARE(PageLabel(), ToQString(Model().PageLabel()));
    QVERIFY(PageBrowser()->toPlainText().contains(text));
  }

  // The collection was replaced by a smaller one: the place saved in the larger
  // one is passed over, and forgotten at the next close.
  void placeOfAnotherCollectionIsPassedOverAndForgotten() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(Select(6));
    Stop();
    QCOMPARE(Resume(kResumeVolumeName), QStringLiteral("6"));
    QCOMPARE(Resume(kResumePageName), QStringLiteral("3"));

    QVERIFY(Start(smaller_.path()));
    VerifyStartsWithNothingShown();
    Stop();
    QVERIFY(Resume(kResumeVolumeName).isEmpty());

    QVERIFY(Start(collection_.path()));
    VerifyStartsWithNothingShown();
  }

  void damagedGeometryOpensMaximised_data() {
    QTest::addColumn<QString>("geometry");
    QWidget window;
    window.setGeometry(40, 30, 500, 400);
    const QString whole = QString::fromLatin1(window.saveGeometry().toBase64());
    QCOMPARE(whole.size(), 88);  // the 66 bytes of the record's third version
    QTest::newRow("cut after the version") << whole.left(16);
    QTest::newRow("cut in the normal geometry") << whole.left(48);
    QTest::newRow("cut in the last field") << whole.left(72);
    QTest::newRow("another record") << QString(whole).replace(0, 4, QStringLiteral("AAAA"));
    QTest::newRow("not base64") << QStringLiteral("%%%%");
    QTest::newRow("empty") << QString();
  }

  // Qt's restoreGeometry takes a record cut short for a window of no size.
  void damagedGeometryOpensMaximised() {
    QFETCH(QString, geometry);
    QVERIFY(Start(collection_.path()));
    Stop();
    QVERIFY(WriteSettingString(QString::fromLatin1(kMainFrameSection),
                               QString::fromLatin1(kMainFrameGeometryName), geometry));
    QVERIFY(Start(collection_.path()));
    QVERIFY(Frame()->isVisible());
    QVERIFY(Frame()->isMaximized());
    QCOMPARE(Frame()->frameGeometry(), QGuiApplication::primaryScreen()->availableGeometry());
    QCOMPARE(Panel()->width(), FirstPanelWidth());
  }

  void maximisedWindowReopensMaximised() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(Frame()->isMaximized());
    Stop();
    QVERIFY(!ReadSettingString(QString::fromLatin1(kMainFrameSection),
                               QString::fromLatin1(kMainFrameGeometryName))
                 .isEmpty());
    QVERIFY(Start(collection_.path()));
    QVERIFY(Frame()->isMaximized());
    QCOMPARE(Frame()->frameGeometry(), QGuiApplication::primaryScreen()->availableGeometry());
  }

  // A window saved on a screen that is gone comes back on one that is there.
  void windowOffEveryScreenComesBackOnAScreen() {
    QVERIFY(Start(collection_.path()));
    Frame()->showNormal();
    const QRect place(100000, 80000, 700, 500);
    Frame()->setGeometry(place);
    QTRY_COMPARE(Frame()->geometry(), place);
    Stop();

    QVERIFY(Start(collection_.path()));
    QVERIFY(Frame()->isVisible());
    QCOMPARE(Frame()->size(), place.size());
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(available.intersects(Frame()->frameGeometry()),
             qPrintable(QStringLiteral("window at %1,%2")
                            .arg(Frame()->frameGeometry().x())
                            .arg(Frame()->frameGeometry().y())));
  }
};

QTEST_MAIN(ResumeTest)
#include "resume_test.moc"
