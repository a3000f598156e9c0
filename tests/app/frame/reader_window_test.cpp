#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>

#include "app/frame/book_app.h"
#include "app/frame/book_view.h"
#include "app/panel/left_form.h"
#include "app/platform/app_titles.h"
#include "app/platform/qt_text.h"
#include "app/platform/settings_store.h"
#include "core/panel_model/panel_layout.h"
#include "tests/app/support/collection_fixture.h"
#include "tests/app/support/reader_harness.h"
#include "tests/support/temp_dir.h"

using quillwen::testing::FixturePage;
using quillwen::testing::ReaderHarness;
using quillwen::testing::ReadFileBytes;
using quillwen::testing::SmallCollection;
using quillwen::testing::TempDir;
using quillwen::testing::WriteCollection;
using quillwen::testing::WriteFileBytes;

class ReaderWindowTest : public QObject, public ReaderHarness {
  Q_OBJECT

 private:
  TempDir collection_;

  QTreeWidget* Tree() { return Panel()->Tree(); }
  QTextBrowser* PageBrowser() {
    return static_cast<QTextBrowser*>(Frame()->m_pBookView->Browser().Widget());
  }
  QString Record() {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromUtf8(kSettingsOrganisation),
                       QString::fromUtf8(kSettingsApplication));
    return settings.value(QStringLiteral("SplitterWnd/Panes_0")).toString();
  }

 private slots:
  void initTestCase() {
    std::string error;
    QVERIFY2(WriteCollection(collection_.path(), SmallCollection(), &error), error.c_str());
  }

  void cleanup() {
    Stop();
    CSplashWnd::HideSplash();
  }

  void startUpBuildsTheMaximisedWindowWithBothPanes() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(messages_.isEmpty());
    QVERIFY(Frame()->isMaximized());
    QCOMPARE(Frame()->windowTitle(), ToQString(quillwen::kMainWindowCaption));
    QCOMPARE(Frame()->centralWidget(), &Frame()->m_wndSplitter);
    QCOMPARE(Frame()->m_wndSplitter.widget(0), Panel());
    QCOMPARE(Frame()->m_wndSplitter.widget(1), Frame()->m_pBookView);
    // The first start gives the panel room for the 文脈 rows, but never more
    // than half the window.
    QVERIFY(Panel()->sizeHint().width() >
            2 * 12 * Panel()->fontMetrics().horizontalAdvance(QChar(u'國')));
    const int first = FirstPanelWidth();
    QCOMPARE(Panel()->width(), first);
    QCOMPARE(Frame()->m_pBookView->width(),
             Frame()->m_wndSplitter.width() - first - Frame()->m_wndSplitter.handleWidth());
    QCOMPARE(Frame()->m_wndSplitter.ActivePane(), 0);
    QCOMPARE(Panel()->Tabs()->count(), 2);
    QCOMPARE(Panel()->Tabs()->tabText(0), QString::fromUtf16(kContentsTabText));
    QCOMPARE(Panel()->Tabs()->tabText(1), QString::fromUtf16(kSearchTabText));
    QCOMPARE(Panel()->Tabs()->currentIndex(), 0);
    QVERIFY(Tree()->isVisible());
    QCOMPARE(Tree()->geometry(), QRect(5, 26, first - 10, Panel()->height() - 30));
    QCOMPARE(Frame()->m_pBookView->CurrentLocation(), QStringLiteral("about:blank"));
    QVERIFY(Tree()->currentItem() == nullptr);
    QCOMPARE(Panel()->Model().CurNode(), 0);
    // Nothing chosen in the tree yet: a search reads the whole collection.
    QCOMPARE(Panel()->Model().RangeNode(), quillwen::kWholeCollection);
    QCOMPARE(Panel()->RangeLabel()->text(), QStringLiteral("全体"));
  }

  void treeHoldsTheCatalogueInFileOrderWithRecordNumbers() {
    QVERIFY(Start(collection_.path()));
    struct Expected {
      QString text;
      int record;
      int depth;
    };
    const QList<Expected> expected{{"經部", 1, 0}, {"論語", 2, 1}, {"學而", 3, 2},
                                   {"爲政", 4, 2}, {"孟子", 5, 1}, {"梁惠王", 6, 2}};
    QList<Expected> actual;
    for (QTreeWidgetItemIterator it(Tree()); *it; ++it) {
      int depth = 0;
      for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent()) ++depth;
      actual.append({(*it)->text(0), (*it)->data(0, kRecordRole).toInt(), depth});
    }
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
      QCOMPARE(actual[i].text, expected[i].text);
      QCOMPARE(actual[i].record, expected[i].record);
      QCOMPARE(actual[i].depth, expected[i].depth);
    }
    QCOMPARE(Tree()->iconSize(), QSize(20, 20));
    const QIcon icon = Tree()->topLevelItem(0)->icon(0);
    const QImage closed = icon.pixmap(20, 20, QIcon::Normal).toImage();
    const QImage open = icon.pixmap(20, 20, QIcon::Selected).toImage();
    QVERIFY(!closed.isNull());
    QVERIFY(closed != open);
  }

  void treeSelection_data() {
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("range");
    QTest::addColumn<int>("curNode");
    QTest::addColumn<int>("curPage");
    QTest::addColumn<QString>("shownText");  // empty: no page shown
    QTest::newRow("category") << 1 << "經部" << 0 << 0 << QString();
    QTest::newRow("book") << 2 << "經部\\論語" << 0 << 0 << QString();
    QTest::newRow("volume from page 5") << 3 << "經部\\論語\\學而" << 3 << 5 << "學而時習之";
    QTest::newRow("volume of the second book")
        << 6 << "經部\\孟子\\梁惠王" << 6 << 3 << "孟子見梁惠王";
  }

  void treeSelection() {
    QFETCH(int, record);
    QFETCH(QString, range);
    QFETCH(int, curNode);
    QFETCH(int, curPage);
    QFETCH(QString, shownText);
    QVERIFY(Start(collection_.path()));
    QSignalSpy shown(Panel(), &CLeftForm::readingChanged);
    QVERIFY(Select(record));
    const quillwen::LeftFormModel& model = Panel()->Model();
    QCOMPARE(model.RangeNode(), record);
    QCOMPARE(Panel()->RangeLabel()->text(), range);
    QCOMPARE(model.CurNode(), curNode);
    QCOMPARE(model.CurPage(), curPage);
    if (shownText.isEmpty()) {
      QCOMPARE(Frame()->m_pBookView->CurrentLocation(), QStringLiteral("about:blank"));
      QCOMPARE(shown.count(), 0);
      return;
    }
    QCOMPARE(Frame()->m_pBookView->CurrentLocation(),
             QUrl::fromLocalFile(ToQString(model.TempPage())).toString());
    QVERIFY(PageBrowser()->toPlainText().contains(shownText));
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.first().first().value<quillwen::ReadingUpdate>().record, record);
  }

  void selectingABookAfterAVolumeKeepsTheVolume() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(Select(4));
    QVERIFY(Select(5));
    QCOMPARE(Panel()->Model().CurNode(), 4);
    QCOMPARE(Panel()->Model().RangeNode(), 5);
    QCOMPARE(Panel()->RangeLabel()->text(), QStringLiteral("經部\\孟子"));
    QVERIFY(PageBrowser()->toPlainText().contains(QStringLiteral("爲政以德")));
  }

  void rangeLabelIsRedAndShownOnTheSearchTab() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(!Panel()->RangeLabel()->isVisible());
    Frame()->setWindowTitle(QStringLiteral("book"));
    Panel()->Tabs()->setCurrentIndex(1);
    QCOMPARE(Frame()->windowTitle(),
             ToQString(quillwen::kMainWindowCaption));  // every layout pass sets it
    // The label leaves the right end of the range group to the "全体" button.
    QCOMPARE(Panel()->RangeLabel()->geometry(), QRect(10, 205, Panel()->width() - 70, 20));
    QVERIFY(Panel()->RangeLabel()->isVisible());
    QVERIFY(!Tree()->isVisible());
    QCOMPARE(Panel()->RangeLabel()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    Panel()->Tabs()->setCurrentIndex(0);
    QVERIFY(Tree()->isVisible());
  }

  void sliderPageWritesTheStoredPageAndNavigates() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(Select(3));
    QSignalSpy reading(Panel(), &CLeftForm::readingChanged);
    Panel()->GoToSliderPage(7);
    const quillwen::LeftFormModel& model = Panel()->Model();
    QCOMPARE(ReadFileBytes(model.TempPage()), FixturePage("學而 7", "人不知而不慍，不亦君子乎。"));
    QVERIFY(PageBrowser()->toPlainText().contains(QStringLiteral("人不知而不慍")));
    QCOMPARE(model.CurPage(), 7);
    QCOMPARE(model.CurNode(), 3);
    QCOMPARE(reading.count(), 1);
    const auto update = reading.first().first().value<quillwen::ReadingUpdate>();
    QCOMPARE(update.page, 7);
    QVERIFY(!update.volumeChanged);
  }

  void pageViewMenuIsAvailableOnceAVolumeIsShown() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(!Frame()->m_pBookView->IsPageShown());
    QVERIFY(Select(3));
    QVERIFY(Frame()->m_pBookView->IsPageShown());
  }

  void aMissingCatalogueLeavesAnEmptyTree() {
    TempDir empty;
    QVERIFY(Start(empty.path()));
    QVERIFY(messages_.contains(QStringLiteral("you delete data file!")));
    QCOMPARE(Tree()->topLevelItemCount(), 0);
    QCOMPARE(Panel()->Model().Catalogue().m_nNodeCount, 1);
    QVERIFY(Frame()->isVisible());
  }

  // Each damage that stops the collection opening (or loading whole) keeps its
  // sentence and says, behind the box's details, which file and what is wrong.
  void aDamagedCollectionSaysWhichFileAndWhy_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("keepBytes");    // -1: remove the file
    QTest::addColumn<int>("nameSizeAt4");  // >= 0: written as the page table's name size
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("details");  // "$D" stands for the data folder
    QTest::newRow("everything missing")
        << "" << -1 << -1 << QStringList{"データを開けませんでした。", "you delete data file!"}
        << QStringList{"$D/Index-idx.h: missing", "$D/mvr.dir: missing"};
    QTest::newRow("catalogue empty") << "mvr.dir" << 0 << -1 << QStringList{"you delete data file!"}
                                     << QStringList{"$D/mvr.dir: empty"};
    // The category left alone is shown as a volume, which its pages do not number.
    QTest::newRow("catalogue cut in its second record")
        << "mvr.dir" << 300 << -1
        << QStringList{"目録の一部を読み込めませんでした。",
                       "目録 mvr.dir に、このコレクションの頁と合わない項目があります。"}
        << QStringList{
               "$D/mvr.dir: the file ends 84 bytes into record 2 of 216 bytes; that record was "
               "not loaded",
               "$D/mvr.dir: record 1 (經部): its first page, entry 0, carries page 5, not 0"};
    QTest::newRow("page table name size zeroed")
        << "Index-fl.h" << -2 << 0 << QStringList{"データを開けませんでした。"}
        << QStringList{"$D/Index-fl.h: name size 0 lies outside 1 to 260"};
    QTest::newRow("index header cut")
        << "Index-idx.h" << 1000 << -1 << QStringList{"データを開けませんでした。"}
        << QStringList{"$D/Index-idx.h: 1000 bytes, shorter than the 1400000 bytes of its tables"};
  }

  void aDamagedCollectionSaysWhichFileAndWhy() {
    QFETCH(QString, file);
    QFETCH(int, keepBytes);
    QFETCH(int, nameSizeAt4);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, details);
    TempDir damaged;
    if (!file.isEmpty()) {
      std::filesystem::copy(collection_.path(), damaged.path(),
                            std::filesystem::copy_options::recursive);
      const std::filesystem::path path = damaged / file.toStdString();
      if (keepBytes >= 0) std::filesystem::resize_file(path, static_cast<uintmax_t>(keepBytes));
      if (nameSizeAt4 >= 0) {
        std::string bytes = ReadFileBytes(path);
        bytes.replace(4, 4, std::string(4, '\0'));
        bytes[4] = static_cast<char>(nameSizeAt4);
        WriteFileBytes(path, bytes);
      }
    }
    QVERIFY(Start(damaged.path()));
    QCOMPARE(messages_, messages);
    details.replaceInStrings(QStringLiteral("$D"), ToQString(damaged.path()));
    QCOMPARE(details_, details);
  }

  // Without --data the reader looks in its own folder, QUILLWEN_DATA and the
  // XDG data folders; `home` stands in for the user's home folder.
  void PointDataFoldersInto(const TempDir& home) {
    qputenv("HOME", ToQString(home.path()).toUtf8());
    qunsetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_DIRS", ToQString(home / "system").toUtf8());
    qunsetenv("QUILLWEN_DATA");
  }

  void withNoCollectionAnywhereTheReaderSaysWhereItLookedAndHowToBuildOne() {
    const QByteArray savedHome = qgetenv("HOME");
    TempDir home;
    PointDataFoldersInto(home);
    const bool started = Start(QString());
    qputenv("HOME", savedHome);
    QVERIFY(started);
    QVERIFY(messages_.contains(QStringLiteral("you delete data file!")));
    QCOMPARE(messages_.last(),
             QString::fromUtf16(kNoCollectionFoundMessage) + u'\n' + QStringLiteral("  ") +
                 QCoreApplication::applicationDirPath() +
                 QStringLiteral("\n  ~/.local/share/quillwen\n  ~/system/quillwen\n\n") +
                 QString::fromUtf16(kBuildCollectionHint) +
                 QStringLiteral("\n  quillwen-build SOURCE ~/.local/share/quillwen"));
    QCOMPARE(Tree()->topLevelItemCount(), 0);
  }

  void aCollectionInTheUsersDataFolderOpensWithoutData() {
    const QByteArray savedHome = qgetenv("HOME");
    TempDir home;
    PointDataFoldersInto(home);
    std::filesystem::create_directories(home / ".local/share/quillwen");
    std::string error;
    QVERIFY2(WriteCollection(home / ".local/share/quillwen", SmallCollection(), &error),
             error.c_str());
    const bool started = Start(QString());
    qputenv("HOME", savedHome);
    QVERIFY(started);
    QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join(u'|')));
    QVERIFY(Tree()->topLevelItemCount() > 0);
    QCOMPARE(Frame()->Environment().dataFolder, ToQString(home / ".local/share/quillwen"));
  }

  void paneRecordIsWrittenAtExitAndItsWidthComesBackAtStart() {
    QVERIFY(Start(collection_.path()));
    ST_SplitterWnd& splitter = Frame()->m_wndSplitter;
    const int total = splitter.width() - splitter.handleWidth();
    splitter.setSizes({300, total - 300});
    QTRY_COMPARE(Panel()->width(), 300);
    QCOMPARE(Tree()->width(), 290);  // the panel lays itself out for its new width
    App().ExitInstance();
    QCOMPARE(Record(), QStringLiteral("-1 300 -1 %1").arg(total - 300));
    QVERIFY(Start(collection_.path()));
    QTRY_COMPARE(Panel()->width(), 300);
    QCOMPARE(Tree()->width(), 290);
  }

  void aDamagedPaneRecordStartsAtTheFirstWidth_data() {
    QTest::addColumn<QString>("record");
    QTest::newRow("empty") << QString();
    QTest::newRow("three numbers") << QStringLiteral("-1 300 -1");
    QTest::newRow("not a number") << QStringLiteral("-1 3x0 -1 900");
    QTest::newRow("zero") << QStringLiteral("-1 0 -1 900");
    QTest::newRow("negative") << QStringLiteral("-1 -300 -1 900");
    QTest::newRow("beyond any screen") << QStringLiteral("-1 99999999 -1 900");
  }

  void aDamagedPaneRecordStartsAtTheFirstWidth() {
    QFETCH(QString, record);
    QVERIFY(Start(collection_.path()));
    App().ExitInstance();
    WriteSettingString(QStringLiteral("SplitterWnd"), QStringLiteral("Panes_0"), record);
    QVERIFY(Start(collection_.path()));
    QCOMPARE(Panel()->width(), FirstPanelWidth());
  }

  void exitRemovesThePageFilesAndStartsTheCompanionProgram() {
    TempDir data;
    std::string error;
    QVERIFY2(WriteCollection(data.path(), SmallCollection(), &error), error.c_str());
    const std::filesystem::path marker = data / "end-ran";
    WriteFileBytes(data / "end.exe", "#!/bin/sh\ntouch '" + marker.string() + "'\n");
    std::filesystem::permissions(data / "end.exe", std::filesystem::perms::owner_all);
    QVERIFY(Start(data.path()));
    QVERIFY(Select(3));
    const std::filesystem::path pageFile = Panel()->Model().TempPage();
    QVERIFY(std::filesystem::exists(pageFile));
    App().ExitInstance();
    QVERIFY(!std::filesystem::exists(pageFile));
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(marker), 10000);
  }

  void splashScreenFollowsTheSwitches_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("splash");
    QTest::newRow("no switch") << QStringList{} << true;
    QTest::newRow("-Automation") << QStringList{"-Automation"} << false;
    QTest::newRow("-Embedding") << QStringList{"-Embedding"} << false;
    QTest::newRow("--no-splash") << QStringList{"--no-splash"} << false;
  }

  void splashScreenFollowsTheSwitches() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, splash);
    QVERIFY(Start(collection_.path(), arguments));
    QCOMPARE(CSplashWnd::Current() != nullptr, splash);
    if (splash) {
      QTest::keyClick(Tree(), Qt::Key_Down);
      QVERIFY(CSplashWnd::Current() == nullptr);
      QVERIFY(Tree()->currentItem() == nullptr);  // the key was swallowed
    }
  }
};

QTEST_MAIN(ReaderWindowTest)
#include "reader_window_test.moc"
