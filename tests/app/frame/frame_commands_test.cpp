#include "app/frame/frame_commands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include "app/frame/about_dlg.h"
#include "app/frame/book_app.h"
#include "app/frame/book_view.h"
#include "app/frame/command_table.h"
#include "app/frame/help_window.h"
#include "app/frame/page_find_bar.h"
#include "app/panel/html_ctrl.h"
#include "app/panel/left_form.h"
#include "app/panel/sort_list_ctrl.h"
#include "app/platform/limited_copy.h"
#include "app/platform/qt_text.h"
#include "app/platform/settings_store.h"
#include "app/platform/text_browser_control.h"
#include "core/panel_model/panel_layout.h"
#include "tests/app/support/collection_fixture.h"
#include "tests/app/support/reader_harness.h"
#include "tests/support/temp_dir.h"

using quillwen::testing::FixtureCategory;
using quillwen::testing::FixturePage;
using quillwen::testing::MarkedCollection;
using quillwen::testing::ReaderHarness;
using quillwen::testing::ReadFileBytes;
using quillwen::testing::TempDir;
using quillwen::testing::WriteCollection;
using quillwen::testing::WriteFileBytes;

namespace {

// Records: 1 經部, 2 論語, 3 學而 (pages 5-7), 4 爲政 (1-2), 5 孟子, 6 梁惠王 (3),
// 7 史部, 8 史記, 9 本紀 (1-2). 學而 6 says 子曰 four times in the cell that an
// even page's hits are marked in.
std::vector<FixtureCategory> Collection() {
  return {{u"經部",
           {{u"論語",
             {{u"學而",
               5,
               {FixturePage("學而 5", "學而時習之，不亦說乎。"),
                FixturePage("學而 6", "子曰學而時習之子曰不亦說乎子曰有朋子曰"),
                FixturePage("學而 7", "人不知而不慍。")}},
              {u"爲政",
               1,
               {FixturePage("爲政 1", "爲政以德。"), FixturePage("爲政 2", "譬如北辰。")}}}},
            {u"孟子", {{u"梁惠王", 3, {FixturePage("梁惠王 3", "孟子見梁惠王。")}}}}}},
          {u"史部",
           {{u"史記",
             {{u"本紀",
               1,
               {FixturePage("本紀 1", "五帝本紀。"), FixturePage("本紀 2", "夏本紀。")}}}}}}};
}

// Receives what the reader asks the desktop to open.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls << url; }
};

}  // namespace

class FrameCommandsTest : public QObject, public ReaderHarness {
  Q_OBJECT

 private:
  TempDir collection_;
  TempDir reading_;

  MainFrameCommands* Commands() { return Frame()->Commands(); }
  QSlider& Slider() { return Frame()->m_wndToolBar.m_wndSlider; }
  QString Label() { return Frame()->m_wndToolBar.m_wndPageLabel.text(); }
  QString Location() { return Frame()->m_pBookView->CurrentLocation(); }
  int SelectedRecord() {
    QTreeWidgetItem* item = Panel()->Tree()->currentItem();
    return item == nullptr ? 0 : item->data(0, kRecordRole).toInt();
  }
  // The page shown, then the last page of its volume.
  QString ExpectedLabel(int page) {
    return QStringLiteral("%1/%2").arg(page).arg(Model().Slider().maximum);
  }

  // The page file shown holds the stored page titled `title`.
  void VerifyShows(const char* title) {
    const QString file = QUrl(Location()).toLocalFile().section(QLatin1Char('#'), 0, 0);
    QFile page(file.isEmpty() ? Location() : file);
    QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(Location()));
    QVERIFY2(QString::fromUtf8(page.readAll()).contains(QString::fromUtf8(title)), title);
  }
  QList<int> AvailableOf(const QList<int>& ids) {
    Commands()->UpdateCommandUI();
    QList<int> available;
    for (int id : ids) {
      if (Commands()->IsAvailable(id)) available << id;
      // The greyed state agrees with the rule.
      if (Commands()->Action(id)->isEnabled() != Commands()->IsAvailable(id)) available << -id;
    }
    return available;
  }

 private slots:
  void initTestCase() {
    std::string error;
    QVERIFY2(WriteCollection(collection_.path(), Collection(), &error), error.c_str());
    QVERIFY2(WriteCollection(reading_.path(), MarkedCollection(), &error), error.c_str());
  }
  void cleanup() {
    Stop();
    // The next test starts on the page rows, whatever view one chose.
    WriteSettingString(QString::fromLatin1(kResultViewSection),
                       QString::fromLatin1(kResultViewName), QString());
    WriteSettingString(QString::fromLatin1(kPageViewSection), QString::fromLatin1(kTextSizeName),
                       QString());
  }

  void menusHoldTheCommandsInOrderWithSeparators() {
    QVERIFY(Start(collection_.path()));
    const QList<QAction*> menus = Frame()->menuBar()->actions();
    QStringList titles;
    for (QAction* menu : menus) titles << menu->text();
    QCOMPARE(titles, (QStringList{"ファイル(&F)", "編集(&E)", "表示(&V)", "一覧", "ヘルプ(&H)"}));
    QStringList list;
    for (QAction* item : menus[3]->menu()->actions())
      list << (item->isSeparator() ? QStringLiteral("|") : item->text());
    QCOMPARE(list, (QStringList{"上の頁へ(&P)", "次の頁へ(&N)", "|", "上の巻へ", "次の巻へ", "|",
                                "上の検索結果", "次の検索結果", "|", "戻る", "進む"}));
    QStringList view;
    for (QAction* item : menus[2]->menu()->actions())
      view << (item->isSeparator() ? QStringLiteral("|") : item->text());
    QCOMPARE(view, (QStringList{"ツールバー(&T)", "状態バー(&S)", "全表示(&p)", "|", "拡大\t+",
                                "縮小\t-", "標準の大きさ\t0"}));
    QStringList file;
    for (QAction* item : menus[0]->menu()->actions())
      file << (item->isSeparator() ? QStringLiteral("|") : item->text());
    QCOMPARE(file, (QStringList{"結果を保存…", "|", "印刷設定(&S)", "印刷(&P)", "終了(&X)"}));
    QStringList edit;
    for (QAction* item : menus[1]->menu()->actions()) edit << item->text();
    QCOMPARE(edit, (QStringList{"コピー(&C)", "出典付きでコピー", "すべて選択(&Q)", "頁内検索"}));
    QCOMPARE(Commands()->Action(ID_FILE_SAVE_RESULT)->toolTip(), QStringLiteral("結果を保存"));
    QCOMPARE(Commands()->Action(ID_EDIT_COPY_CITED)->toolTip(), QStringLiteral("出典付きでコピー"));
    QCOMPARE(Commands()->Action(ID_NEXT_PAGE)->toolTip(), QStringLiteral("次の頁"));
    QCOMPARE(Commands()->Action(ID_APP_ABOUT)->toolTip(), QStringLiteral("情報"));
    QCOMPARE(Commands()->Action(ID_APP_ABOUT)->text(), QStringLiteral("バージョン(&A)..."));
  }

  void acceleratorsReachTheirCommands_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("id");
    for (const Accelerator& accelerator : kAccelerators) {
      const QString keys =
          QString::fromLatin1(accelerator.keys.data(), qsizetype(accelerator.keys.size()));
      QTest::newRow(qPrintable(keys)) << keys << accelerator.id;
    }
  }
  void acceleratorsReachTheirCommands() {
    QFETCH(QString, keys);
    QFETCH(int, id);
    QVERIFY(Start(collection_.path()));
    QVERIFY(Commands()->Action(id) != nullptr);
    QVERIFY(Commands()->Action(id)->shortcuts().contains(QKeySequence(keys)));
  }

  void toolbarHoldsTenButtonsThenSliderAndLabel() {
    QVERIFY(Start(collection_.path()));
    CSCrollToolBar& toolbar = Frame()->m_wndToolBar;
    QVERIFY(toolbar.isVisible());
    QStringList layout;
    for (QAction* action : toolbar.actions()) {
      if (action->isSeparator())
        layout << QStringLiteral("|");
      else if (QWidget* widget = toolbar.widgetForAction(action); widget == &toolbar.m_wndSlider)
        layout << "slider";
      else if (widget == &toolbar.m_wndPageLabel)
        layout << "label";
      else
        layout << action->objectName().mid(7);
    }
    QCOMPARE(layout,
             (QStringList{"32778", "57634", "|", "32777", "|", "32791", "32780", "32781", "32790",
                          "|", "32805", "32806", "|", "57664", "|", "slider", "label"}));
    QCOMPARE(toolbar.iconSize(), QSize(40, 40));
    QCOMPARE(toolbar.m_wndSlider.width(), 300);
    QCOMPARE(toolbar.m_wndSlider.tickPosition(), QSlider::TicksBelow);
    QVERIFY(toolbar.m_wndPageLabel.isReadOnly());
    QCOMPARE(toolbar.m_wndSlider.minimum(), 0);
    QCOMPARE(toolbar.m_wndSlider.maximum(), 0);
    QVERIFY(Label().isEmpty());
    // An unavailable command's button is greyed.
    auto* next = toolbar.findChild<QToolButton*>(QStringLiteral("button32781"));
    QVERIFY(next != nullptr);
    QVERIFY(!next->isEnabled());
  }

  void availabilityRightAfterStart() {
    QVERIFY(Start(collection_.path()));
    const QList<int> all{ID_FILE_PRINT_SETUP_PAGE,
                         ID_FILE_PRINT_PAGE,
                         ID_APP_EXIT,
                         ID_EDIT_COPY,
                         ID_EDIT_SELECT_ALL_PAGE,
                         ID_VIEW_TOOLBAR,
                         ID_VIEW_STATUS_BAR,
                         ID_VIEW_FULL_DISPLAY,
                         ID_PREVIOUS_PAGE,
                         ID_NEXT_PAGE,
                         ID_PREVIOUS_VOLUME,
                         ID_NEXT_VOLUME,
                         ID_PREVIOUS_HIT,
                         ID_NEXT_HIT,
                         ID_APP_ABOUT,
                         ID_HELP_FILE,
                         ID_EDIT_CUT,
                         ID_EDIT_PASTE,
                         ID_EDIT_UNDO,
                         ID_FILE_NEW,
                         ID_FILE_OPEN,
                         ID_FILE_SAVE,
                         ID_FILE_PRINT,
                         ID_NEXT_PANE,
                         ID_PREV_PANE,
                         ID_FILE_SAVE_RESULT,
                         ID_EDIT_COPY_CITED};
    QCOMPARE(AvailableOf(all),
             (QList<int>{ID_APP_EXIT, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_FULL_DISPLAY,
                         ID_APP_ABOUT, ID_HELP_FILE, ID_FILE_SAVE, ID_NEXT_PANE, ID_PREV_PANE}));
    QVERIFY(Commands()->Action(ID_VIEW_TOOLBAR)->isChecked());
    QVERIFY(Commands()->Action(ID_VIEW_STATUS_BAR)->isChecked());
  }

  void availabilityAtTheVolumesPages_data() {
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("page");
    QTest::addColumn<QList<int>>("available");
    QTest::newRow("first page 5") << 0 << 5 << QList<int>{ID_NEXT_PAGE, ID_NEXT_VOLUME};
    QTest::newRow("middle page 6")
        << 1 << 6 << QList<int>{ID_PREVIOUS_PAGE, ID_NEXT_PAGE, ID_NEXT_VOLUME};
    QTest::newRow("last page 7") << 2 << 7 << QList<int>{ID_PREVIOUS_PAGE, ID_NEXT_VOLUME};
  }
  void availabilityAtTheVolumesPages() {
    QFETCH(int, steps);
    QFETCH(int, page);
    QFETCH(QList<int>, available);
    QVERIFY(Start(collection_.path()));
    QVERIFY(Select(3));
    for (int i = 0; i < steps; ++i) QVERIFY(Commands()->Run(ID_NEXT_PAGE));
    QCOMPARE(Model().CurPage(), page);
    QCOMPARE(AvailableOf({ID_PREVIOUS_PAGE, ID_NEXT_PAGE, ID_PREVIOUS_VOLUME, ID_NEXT_VOLUME,
                          ID_PREVIOUS_HIT, ID_NEXT_HIT}),
             available);
    // A page is shown: the page view's commands are available.
    QCOMPARE(AvailableOf({ID_FILE_PRINT_SETUP_PAGE, ID_FILE_PRINT_PAGE, ID_EDIT_COPY,
                          ID_EDIT_SELECT_ALL_PAGE}),
             (QList<int>{ID_FILE_PRINT_SETUP_PAGE, ID_FILE_PRINT_PAGE, ID_EDIT_COPY,
                         ID_EDIT_SELECT_ALL_PAGE}));
  }

  void availabilityAtTheFirstAndLastVolume() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(Select(3));
    QCOMPARE(AvailableOf({ID_PREVIOUS_VOLUME, ID_NEXT_VOLUME}), QList<int>{ID_NEXT_VOLUME});
    QVERIFY(Select(9));
    QCOMPARE(AvailableOf({ID_PREVIOUS_VOLUME, ID_NEXT_VOLUME, ID_NEXT_PAGE}),
             (QList<int>{ID_PREVIOUS_VOLUME, ID_NEXT_PAGE}));
    // Unavailable commands are not run.
    QVERIFY(!Commands()->Run(ID_NEXT_VOLUME));
    QVERIFY(messages_.isEmpty());
    QCOMPARE(Model().CurNode(), 9);
  }

  void pagesStepWithSliderAndLabelFollowing() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(Select(3));
    QCOMPARE(Slider().minimum(), 5);
    QCOMPARE(Slider().maximum(), 7);
    QCOMPARE(Slider().value(), 5);
    QCOMPARE(Label(), ExpectedLabel(5));
    QVERIFY(Commands()->Run(ID_NEXT_PAGE));
    QVERIFY(Commands()->Run(ID_NEXT_PAGE));
    QCOMPARE(Model().CurPage(), 7);
    QCOMPARE(Slider().value(), 7);
    QCOMPARE(Label(), ExpectedLabel(7));
    VerifyShows("學而 7");
    QVERIFY(!Commands()->Run(ID_NEXT_PAGE));
    QCOMPARE(Model().CurPage(), 7);
    QVERIFY(Commands()->Run(ID_PREVIOUS_PAGE));
    QCOMPARE(Slider().value(), 6);
    QCOMPARE(Slider().minimum(), 5);
    QCOMPARE(Label(), ExpectedLabel(6));
    VerifyShows("學而 6");
  }

  void volumesStepAcrossBooksWithTheTreeFollowing() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(Select(3));
    QVERIFY(Commands()->Run(ID_NEXT_PAGE));
    struct Step {
      int id;
      int record;
      int first;
      int last;
      const char* title;
    };
    // 學而 → 爲政 (sibling) → 梁惠王 (first volume of the next book) → back to
    // 爲政 (last volume of the previous book) → 學而.
    const Step steps[] = {{ID_NEXT_VOLUME, 4, 1, 2, "爲政 1"},
                          {ID_NEXT_VOLUME, 6, 3, 3, "梁惠王 3"},
                          {ID_PREVIOUS_VOLUME, 4, 1, 2, "爲政 1"},
                          {ID_PREVIOUS_VOLUME, 3, 5, 7, "學而 5"}};
    for (const Step& step : steps) {
      QVERIFY(Commands()->Run(step.id));
      QCOMPARE(Model().CurNode(), step.record);
      QCOMPARE(SelectedRecord(), step.record);
      QCOMPARE(Model().CurPage(), step.first);
      QCOMPARE(Slider().minimum(), step.first);
      QCOMPARE(Slider().maximum(), step.last);
      QCOMPARE(Slider().value(), step.first);
      QCOMPARE(Label(), ExpectedLabel(step.first));
      VerifyShows(step.title);
    }
    QVERIFY(messages_.isEmpty());
  }

  void volumeStepAcrossACategorySelectsTheShownVolume() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(Select(6));
    // The book 孟子 has no next sibling in its category: the tree's own order
    // has no answer, so the shown volume's item is selected.
    QVERIFY(Commands()->Run(ID_NEXT_VOLUME));
    QCOMPARE(Model().CurNode(), 9);
    QCOMPARE(SelectedRecord(), 9);
    QVERIFY(Panel()->ItemOfRecord(9)->parent()->isExpanded());
    QVERIFY(Commands()->Run(ID_PREVIOUS_VOLUME));
    QCOMPARE(Model().CurNode(), 6);
    QCOMPARE(SelectedRecord(), 6);
  }

  void volumeStepFromASelectedBookFollowsTheTreeFromThatBook() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(Select(3));
    QVERIFY(Select(2));  // the book item: the volume stays the one shown
    QCOMPARE(Model().CurNode(), 3);
    QVERIFY(Commands()->Run(ID_NEXT_VOLUME));
    // The record scan shows 爲政; the tree moves from 論語 to its next sibling
    // 孟子, a book, which shows nothing.
    QCOMPARE(Model().CurNode(), 4);
    QCOMPARE(SelectedRecord(), 5);
    VerifyShows("爲政 1");
  }

  void sliderShowsThePageWhenTheScrollEnds() {
    QVERIFY(Start(collection_.path()));
    // Before any volume the slider changes no page.
    Slider().setValue(0);
    QCOMPARE(Location(), QStringLiteral("about:blank"));
    QVERIFY(Select(3));
    Slider().setSliderDown(true);
    Slider().setValue(7);
    QCOMPARE(Model().CurPage(), 5);  // dragging moves only the thumb
    VerifyShows("學而 5");
    Slider().setSliderDown(false);
    QCOMPARE(Model().CurPage(), 7);
    QCOMPARE(Label(), ExpectedLabel(7));
    VerifyShows("學而 7");
    // A key moves one page and shows it at once; the range holds the thumb.
    Slider().setFocus();
    QTest::keyClick(&Slider(), Qt::Key_Left);
    QCOMPARE(Model().CurPage(), 6);
    Slider().setValue(99);
    QCOMPARE(Slider().value(), 7);
    Slider().setValue(1);
    QCOMPARE(Slider().value(), 5);
    QCOMPARE(Model().CurPage(), 5);
  }

  void hitsStepThroughTheResultPageAndStopAtItsEnds() {
    QVERIFY(Start(collection_.path()));
    Panel()->Tabs()->setCurrentIndex(1);
    Search(QStringLiteral("子曰"));
    // The page table entry of 學而 6, the volume's second page.
    const int entry = Model().Catalogue().Record(3).docID;
    QTreeWidget* list = Panel()->ResultList();
    QTreeWidgetItem* row = nullptr;
    for (int i = 0; i < list->topLevelItemCount() && row == nullptr; ++i) {
      if (list->topLevelItem(i)->data(0, kResultPageRole).toInt() == entry)
        row = list->topLevelItem(i);
    }
    QVERIFY(row != nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row).center());
    QCOMPARE(Model().HitCount(), 4);
    QCOMPARE(Model().CurHit(), 0);
    QVERIFY(Location().endsWith(QStringLiteral("#0000")));
    QCOMPARE(AvailableOf({ID_PREVIOUS_HIT, ID_NEXT_HIT}), QList<int>{ID_NEXT_HIT});

    // F3 and Alt+F3, from the keyboard.
    Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Frame()));
    Panel()->Tree()->setFocus();
    // The hit stepped to is the one set apart in the page, and it moves on.
    auto& browser = dynamic_cast<TextBrowserControl&>(Frame()->m_pBookView->Browser());
    const auto currentHitAt = [&browser] {
      for (const QTextEdit::ExtraSelection& mark : browser.Browser()->extraSelections()) {
        if (mark.format.background().color() == QColor(QLatin1String(kCurrentHitBackground)))
          return mark.cursor.selectionStart();
      }
      return -1;
    };
    QCOMPARE(browser.CurrentHitText(), QStringLiteral("子曰"));
    int hitAt = currentHitAt();
    QVERIFY(hitAt >= 0);
    for (const char* anchor : {"#0001", "#0002", "#0003"}) {
      QTest::keyClick(Frame(), Qt::Key_F3);
      QVERIFY2(Location().endsWith(QLatin1String(anchor)), qPrintable(Location()));
      QCOMPARE(browser.CurrentHitText(), QStringLiteral("子曰"));
      QVERIFY(currentHitAt() > hitAt);
      hitAt = currentHitAt();
    }
    QCOMPARE(AvailableOf({ID_PREVIOUS_HIT, ID_NEXT_HIT}), QList<int>{ID_PREVIOUS_HIT});
    QTest::keyClick(Frame(), Qt::Key_F3);
    QCOMPARE(Model().CurHit(), 3);
    for (const char* anchor : {"#0002", "#0001", "#0000"}) {
      QTest::keyClick(Frame(), Qt::Key_F3, Qt::AltModifier);
      QVERIFY2(Location().endsWith(QLatin1String(anchor)), qPrintable(Location()));
    }
    QVERIFY(!Commands()->Run(ID_PREVIOUS_HIT));
    QCOMPARE(Model().CurHit(), 0);
    // The slider and the label follow the result page into its volume.
    QCOMPARE(Slider().minimum(), 5);
    QCOMPARE(Slider().maximum(), 7);
    QCOMPARE(Slider().value(), 6);
    QCOMPARE(Label(), QStringLiteral("6/7"));
  }

  void hitsGoOnAcrossResultPagesAndTheReaderReadsOnFromOne() {
    QVERIFY(Start(reading_.path()));
    Panel()->Tabs()->setCurrentIndex(1);
    Search(QStringLiteral("不亦"));
    QCOMPARE(Model().SearchNodes().Count(), size_t{3});
    Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Frame()));
    Panel()->Tree()->setFocus();
    QCOMPARE(AvailableOf({ID_PREVIOUS_HIT, ID_NEXT_HIT}), QList<int>{ID_NEXT_HIT});
    struct Step {
      bool forward;
      const char* title;
      const char* anchor;
      int row;
    };
    // Before any row is shown F3 opens the first; past a page's hits it goes
    // on to the next row's first hit, back to the previous row's last hit.
    const Step steps[] = {{true, "學而 5", "#0000", 0},  {true, "學而 7", "#0000", 1},
                          {true, "學而 7", "#0001", 1},  {true, "爲政 2", "#0000", 2},
                          {false, "學而 7", "#0001", 1}, {false, "學而 7", "#0000", 1},
                          {false, "學而 5", "#0000", 0}};
    QTreeWidget* list = Panel()->ResultList();
    for (const Step& step : steps) {
      QTest::keyClick(Frame(), Qt::Key_F3, step.forward ? Qt::NoModifier : Qt::AltModifier);
      VerifyShows(step.title);
      QVERIFY2(Location().endsWith(QLatin1String(step.anchor)),
               qPrintable(Location() + u' ' + QString::fromUtf8(step.title)));
      // The list marks the row whose page is shown.
      QCOMPARE(list->currentItem(), list->topLevelItem(step.row));
    }
    QCOMPARE(AvailableOf({ID_PREVIOUS_HIT, ID_NEXT_HIT}), QList<int>{ID_NEXT_HIT});

    // From the result page of 學而 5 the reader reads on in plain pages.
    QCOMPARE(Label(), QStringLiteral("5/7"));
    QVERIFY(Commands()->Run(ID_NEXT_PAGE));
    VerifyShows("學而 6");
    QCOMPARE(Location(), QUrl::fromLocalFile(ToQString(Model().TempPage())).toString());
    QCOMPARE(Label(), QStringLiteral("6/7"));
    QCOMPARE(SelectedRecord(), 3);
    QCOMPARE(Model().RangeNode(), quillwen::kWholeCollection);

    // Back and forward, from the keyboard: the result pages come back at the
    // hit they showed.
    QTest::keyClick(Frame(), Qt::Key_Left, Qt::AltModifier);
    VerifyShows("學而 5");
    QVERIFY(Location().endsWith(QStringLiteral("#0000")));
    QTest::keyClick(Frame(), Qt::Key_Left, Qt::AltModifier);
    VerifyShows("學而 7");
    QVERIFY(Location().endsWith(QStringLiteral("#0000")));
    QCOMPARE(Label(), QStringLiteral("7/7"));
    QTest::keyClick(Frame(), Qt::Key_Right, Qt::AltModifier);
    QTest::keyClick(Frame(), Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(Location(), QUrl::fromLocalFile(ToQString(Model().TempPage())).toString());
    QCOMPARE(AvailableOf({ID_GO_BACK, ID_GO_FORWARD}), QList<int>{ID_GO_BACK});
  }

  void saveResultWritesTheListAsCsvAndReportsAFailure() {
    QVERIFY(Start(collection_.path()));
    Panel()->Tabs()->setCurrentIndex(1);
    QCOMPARE(AvailableOf({ID_FILE_SAVE_RESULT}), QList<int>{});
    Search(QStringLiteral("之"));
    QCOMPARE(AvailableOf({ID_FILE_SAVE_RESULT}), QList<int>{ID_FILE_SAVE_RESULT});

    TempDir out;
    std::filesystem::path answer;
    QStringList asked;
    Commands()->SetSaveFileChooser([&](QWidget* parent, const QString& caption,
                                       const QString& proposed, const QString& filter) {
      asked << caption << QFileInfo(proposed).fileName() << filter;
      if (parent != Frame()) asked << QStringLiteral("not over the main window");
      return answer.empty() ? QString() : ToQString(answer);
    });

    // The user cancels: nothing written, nothing said.
    QVERIFY(Commands()->Run(ID_FILE_SAVE_RESULT));
    QCOMPARE(asked, (QStringList{"結果を保存", "検索結果.csv", "CSV (*.csv)"}));
    QVERIFY(std::filesystem::is_empty(out.path()));

    answer = out / "結果.csv";
    QVERIFY(Commands()->Run(ID_FILE_SAVE_RESULT));
    QVERIFY(messages_.isEmpty());
    QCOMPARE(ReadFileBytes(answer), std::string("\xEF\xBB\xBF"
                                                "類別,書名,巻,頁,箇所\r\n"
                                                "經部,論語,學而,5,1\r\n"
                                                "經部,論語,學而,6,1\r\n"));
    // The hit rows, when the list shows them.
    QTest::mouseClick(Panel()->Control(quillwen::kViewHits), Qt::LeftButton);
    QVERIFY(Commands()->Run(ID_FILE_SAVE_RESULT));
    const std::string hits = ReadFileBytes(answer);
    QVERIFY2(hits.starts_with("\xEF\xBB\xBF類別,書名,巻,頁,左文脈,語,右文脈\r\n"), hits.c_str());
    QVERIFY2(hits.ends_with("經部,論語,學而,6,子曰學而時習,之,子曰不亦說乎子曰有朋子曰\r\n"),
             hits.c_str());

    // A folder that does not exist: the message, and no file under any name.
    answer = out / "無い" / "結果.csv";
    QVERIFY(Commands()->Run(ID_FILE_SAVE_RESULT));
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].startsWith(ToQString(kSaveResultFailedMessage)),
             qPrintable(messages_[0]));
    QVERIFY(!std::filesystem::exists(out / "無い"));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out.path())) {
      QCOMPARE(entry.path().filename(), std::filesystem::path("結果.csv"));
      ++files;
    }
    QCOMPARE(files, 1);
  }

  void saveResultAsksWithTheFileDialog() {
    QVERIFY(Start(collection_.path()));
    Panel()->Tabs()->setCurrentIndex(1);
    Search(QStringLiteral("之"));
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      seen = true;
      QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
      QCOMPARE(dialog->windowTitle(), QStringLiteral("結果を保存"));
      QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("CSV (*.csv)")});
      QCOMPARE(dialog->defaultSuffix(), QStringLiteral("csv"));
      QCOMPARE(QFileInfo(dialog->selectedFiles().value(0)).fileName(),
               QStringLiteral("検索結果.csv"));
      dialog->reject();
    });
    QVERIFY(Commands()->Run(ID_FILE_SAVE_RESULT));
    QVERIFY(seen);
    QVERIFY(messages_.isEmpty());
  }

  void citedCopyAddsWhereTheShownPageStands() {
    QVERIFY(Start(collection_.path()));
    QCOMPARE(AvailableOf({ID_EDIT_COPY_CITED}), QList<int>{});
    QVERIFY(Select(3));                                         // 學而 5
    QCOMPARE(AvailableOf({ID_EDIT_COPY_CITED}), QList<int>{});  // nothing selected
    QVERIFY(Commands()->Run(ID_EDIT_SELECT_ALL_PAGE));
    QCOMPARE(AvailableOf({ID_EDIT_COPY_CITED}), QList<int>{ID_EDIT_COPY_CITED});
    // The page's two cells, then the place on a line of its own.
    QCOMPARE(Frame()->m_pBookView->Browser().SelectedText(),
             QStringLiteral("\n學而時習之，不亦說乎。\n學而 5\n"));
    QVERIFY(Commands()->Run(ID_EDIT_COPY_CITED));
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("\n學而時習之，不亦說乎。\n學而 5\n出典：經部・論語・學而・5頁"));

    // A result page: the place of the page it shows.
    Panel()->Tabs()->setCurrentIndex(1);
    Search(QStringLiteral("子曰"));
    QTreeWidget* list = Panel()->ResultList();
    QCOMPARE(list->topLevelItemCount(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    QCOMPARE(AvailableOf({ID_EDIT_COPY_CITED}), QList<int>{});  // a new page, nothing selected
    QVERIFY(Commands()->Run(ID_EDIT_SELECT_ALL_PAGE));
    QVERIFY(Commands()->Run(ID_EDIT_COPY_CITED));
    QVERIFY2(QGuiApplication::clipboard()->text().endsWith(
                 QStringLiteral("學而 6\n出典：經部・論語・學而・6頁")),
             qPrintable(QGuiApplication::clipboard()->text()));
  }

  void fullDisplayTwiceRestoresThePanel() {
    QVERIFY(Start(collection_.path()));
    Frame()->m_wndSplitter.setSizes({300, Frame()->m_wndSplitter.width() - 300});
    QCOMPARE(Panel()->width(), 300);
    QVERIFY(Commands()->Run(ID_VIEW_FULL_DISPLAY));
    QVERIFY(!Panel()->isVisible());
    QCOMPARE(AvailableOf({ID_NEXT_PANE, ID_PREV_PANE}), QList<int>{});
    QVERIFY(Commands()->Run(ID_VIEW_FULL_DISPLAY));
    QVERIFY(Panel()->isVisible());
    QCOMPARE(Panel()->width(), 300);
    QVERIFY(!Commands()->Action(ID_VIEW_FULL_DISPLAY)->isCheckable());
  }

  // The copy is the limited one from either pane: the browser's own would
  // put the whole page on the clipboard. A cut copy is told in the status bar.
  void copyIsLimitedFromEitherPane_data() {
    QTest::addColumn<int>("pane");
    QTest::addColumn<bool>("withKeys");
    QTest::newRow("panel, command") << 0 << false;
    QTest::newRow("page view, command") << 1 << false;
    QTest::newRow("panel, Ctrl+C") << 0 << true;
    QTest::newRow("page view, Ctrl+C") << 1 << true;
  }
  void copyIsLimitedFromEitherPane() {
    QFETCH(int, pane);
    QFETCH(bool, withKeys);
    TempDir data;
    std::string error;
    std::string longText;
    for (int i = 0; i < 320; ++i) longText += "學";
    QVERIFY2(WriteCollection(
                 data.path(),
                 {{u"經部", {{u"論語", {{u"學而", 1, {FixturePage("長", longText)}}}}}}}, &error),
             error.c_str());
    QVERIFY(Start(data.path()));
    Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Frame()));
    QCOMPARE(AvailableOf({ID_EDIT_COPY}), QList<int>{});
    QVERIFY(Select(3));
    QCOMPARE(AvailableOf({ID_EDIT_COPY}), QList<int>{ID_EDIT_COPY});
    QVERIFY(Commands()->Run(ID_EDIT_SELECT_ALL_PAGE));
    Frame()->m_wndSplitter.SetActivePane(pane);
    QCOMPARE(Frame()->m_wndSplitter.ActivePane(), pane);
    if (withKeys)
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    else
      QVERIFY(Commands()->Run(ID_EDIT_COPY));
    const QString copied = QGuiApplication::clipboard()->text();
    QCOMPARE(copied.size(), 300);
    QVERIFY2(QString::fromUtf8(longText.c_str()).startsWith(copied.trimmed()), qPrintable(copied));
    QCOMPARE(Frame()->statusBar()->currentMessage(), QString::fromUtf16(kCopyCutMessage));
    QVERIFY(messages_.isEmpty());
  }

  void paneSwitchMakesThePageViewActive() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(Select(3));
    QCOMPARE(Frame()->m_wndSplitter.ActivePane(), 0);
    QVERIFY(!Commands()->IsAvailable(ID_FILE_PRINT));
    QVERIFY(Commands()->Run(ID_NEXT_PANE));
    QCOMPARE(Frame()->m_wndSplitter.ActivePane(), 1);
    QVERIFY(Commands()->IsAvailable(ID_FILE_PRINT));
    QVERIFY(Commands()->Run(ID_PREV_PANE));
    QCOMPARE(Frame()->m_wndSplitter.ActivePane(), 0);
  }

  // Pages and volumes turn from the keyboard wherever the focus is; PageDown
  // at the bottom of a page reads on into the next.
  void keysTurnPagesAndVolumes_data() {
    QTest::addColumn<bool>("inPage");
    QTest::newRow("focus in the contents tree") << false;
    QTest::newRow("focus in the page") << true;
  }
  void keysTurnPagesAndVolumes() {
    QFETCH(bool, inPage);
    QVERIFY(Start(collection_.path()));
    Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Frame()));
    QVERIFY(Select(3));  // 學而 5
    QWidget* focus =
        inPage ? Frame()->m_pBookView->Browser().Widget() : static_cast<QWidget*>(Panel()->Tree());
    focus->setFocus();
    QCOMPARE(Commands()->Action(ID_NEXT_PAGE)->shortcuts().value(0),
             QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    struct Step {
      Qt::KeyboardModifiers modifiers;
      Qt::Key key;
      int record;
      int page;
    };
    const Step steps[] = {{Qt::ControlModifier, Qt::Key_PageDown, 3, 6},
                          {Qt::ControlModifier, Qt::Key_PageDown, 3, 7},
                          {Qt::ControlModifier, Qt::Key_PageUp, 3, 6},
                          {Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_PageDown, 4, 1},
                          {Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_PageDown, 6, 3},
                          {Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_PageUp, 4, 1}};
    for (const Step& step : steps) {
      QTest::keyClick(QApplication::focusWidget(), step.key, step.modifiers);
      QCOMPARE(Model().CurNode(), step.record);
      QCOMPARE(Model().CurPage(), step.page);
      QCOMPARE(Slider().value(), step.page);
    }
    QVERIFY(messages_.isEmpty());
    if (!inPage) return;
    // 爲政 1 is short: its bottom is in view, so PageDown reads on to page 2,
    // the volume's last, where it stays.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    QCOMPARE(Model().CurPage(), 2);
    VerifyShows("爲政 2");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(Model().CurNode(), 4);
    QCOMPARE(Model().CurPage(), 2);
    QVERIFY(messages_.isEmpty());
  }

  // The keyboard needs no mouse to begin: at start the contents tree has the
  // focus; F6 moves it to the page and back to the control that had it.
  void keyboardFocusStartsInTheTreeAndFollowsThePaneSwitch() {
    QVERIFY(Start(collection_.path()));
    Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Frame()));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Panel()->Tree()));
    // Taking the focus selects nothing; the first Down selects the first item.
    QCOMPARE(SelectedRecord(), 0);
    QTest::keyClick(Panel()->Tree(), Qt::Key_Down);
    QCOMPARE(SelectedRecord(), 1);
    QTest::keyClick(Panel()->Tree(), Qt::Key_Down);
    QCOMPARE(SelectedRecord(), 7);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    QCOMPARE(Frame()->m_wndSplitter.ActivePane(), 1);
    QVERIFY(Frame()->m_pBookView->isAncestorOf(QApplication::focusWidget()) ||
            QApplication::focusWidget() == Frame()->m_pBookView);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    QCOMPARE(Frame()->m_wndSplitter.ActivePane(), 0);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Panel()->Tree()));

    // On the search tab the panel's focus goes to the keywords.
    Panel()->Tabs()->setCurrentIndex(1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    QCOMPARE(QApplication::focusWidget(),
             static_cast<QWidget*>(Panel()->QueryPage()->Field(QStringLiteral("textfield"))));
  }

  void toolbarCommandHidesAndShowsTheToolbar() {
    QVERIFY(Start(collection_.path()));
    QVERIFY(Commands()->Run(ID_VIEW_TOOLBAR));
    QVERIFY(!Frame()->m_wndToolBar.isVisible());
    QVERIFY(!Commands()->Action(ID_VIEW_TOOLBAR)->isChecked());
    QVERIFY(Commands()->Run(ID_VIEW_TOOLBAR));
    QVERIFY(Frame()->m_wndToolBar.isVisible());
    QVERIFY(Commands()->Action(ID_VIEW_TOOLBAR)->isChecked());
    // The status bar, likewise.
    QVERIFY(Frame()->statusBar()->isVisible());
    QVERIFY(Commands()->Run(ID_VIEW_STATUS_BAR));
    QVERIFY(!Frame()->statusBar()->isVisible());
    QVERIFY(!Commands()->Action(ID_VIEW_STATUS_BAR)->isChecked());
    QVERIFY(Commands()->Run(ID_VIEW_STATUS_BAR));
    QVERIFY(Frame()->statusBar()->isVisible());
    QVERIFY(Commands()->Action(ID_VIEW_STATUS_BAR)->isChecked());
  }

  // The sizes are the page view's, remembered across runs; they need no page.
  void textSizeCommandsSizeThePageText() {
    QVERIFY(Start(collection_.path()));
    CBookView* view = Frame()->m_pBookView;
    QCOMPARE(AvailableOf({ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_RESET}),
             (QList<int>{ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_RESET}));
    QVERIFY(Commands()->Run(ID_VIEW_ZOOM_IN));
    QVERIFY(Commands()->Run(ID_VIEW_ZOOM_IN));
    QCOMPARE(view->TextSize(), 16);
    QVERIFY(Select(3));
    QVERIFY(Commands()->Run(ID_VIEW_ZOOM_OUT));
    QCOMPARE(view->TextSize(), 14);
    Stop();
    QVERIFY(Start(collection_.path()));
    QCOMPARE(Frame()->m_pBookView->TextSize(), 14);
    QVERIFY(Commands()->Run(ID_VIEW_ZOOM_RESET));
    QCOMPARE(Frame()->m_pBookView->TextSize(), quillwen::kStandardTextSize);
    QCOMPARE(ReadSettingString(QString::fromLatin1(kPageViewSection),
                               QString::fromLatin1(kTextSizeName)),
             QString::number(quillwen::kStandardTextSize));
  }

  void findInPageOpensTheBarFromTheMenuAndF4() {
    QVERIFY(Start(collection_.path()));
    Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Frame()));
    CPageFindBar* bar = Frame()->m_pBookView->FindBar();
    QCOMPARE(AvailableOf({ID_EDIT_FIND_IN_PAGE}), QList<int>{});
    QVERIFY(Select(3));
    QCOMPARE(AvailableOf({ID_EDIT_FIND_IN_PAGE}), QList<int>{ID_EDIT_FIND_IN_PAGE});
    QVERIFY(Commands()->Run(ID_EDIT_FIND_IN_PAGE));
    QVERIFY(bar->isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(bar->Field()));
    bar->Field()->setText(QStringLiteral("時習"));
    QCOMPARE(bar->Label(), QStringLiteral("1 / 1"));
    QTest::keyClick(bar->Field(), Qt::Key_Escape);
    QVERIFY(bar->isHidden());

    // F4 from the panel, too: the page view's find is the window's only one.
    Panel()->Tree()->setFocus();
    QTest::keyClick(Frame(), Qt::Key_F4);
    QVERIFY(bar->isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(bar->Field()));
    QCOMPARE(Frame()->m_wndSplitter.ActivePane(), 1);
  }

  // 印刷 asks with the print dialog; a page that cannot be printed is told.
  void printCommandAsksWithTheDialogAndTellsAFailure() {
    TempDir output;
    QVERIFY(Start(collection_.path()));
    QVERIFY(Select(3));
    CBookView* view = Frame()->m_pBookView;
    std::filesystem::path target;
    bool accept = false;
    int asked = 0;
    view->SetPrintDialogRunner([&](QPrinter& printer, QWidget*) {
      ++asked;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(ToQString(target));
      return accept;
    });
    target = output / "cancelled.pdf";
    QVERIFY(Commands()->Run(ID_FILE_PRINT_PAGE));
    QCOMPARE(asked, 1);
    QVERIFY(!std::filesystem::exists(target));

    accept = true;
    target = output / "page.pdf";
    QVERIFY(Commands()->Run(ID_FILE_PRINT_PAGE));
    QCOMPARE(asked, 2);
    QVERIFY(std::filesystem::exists(target) && std::filesystem::file_size(target) > 0);
    QVERIFY(messages_.isEmpty());

    target = output / "missing" / "page.pdf";
    QVERIFY(Commands()->Run(ID_FILE_PRINT_PAGE));
    QCOMPARE(asked, 3);
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].startsWith(QString::fromUtf16(kPrintFailedMessage)),
             qPrintable(messages_[0]));
  }

  void helpAsksTheDesktopToOpenTheShippedFile() {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    QVERIFY(Start(collection_.path()));
    QVERIFY(Commands()->Run(ID_HELP_FILE));
    QVERIFY(recorder.urls.isEmpty());  // no help file: nothing, and nothing said
    QVERIFY(messages_.isEmpty());
    WriteFileBytes(collection_ / kHelpFileName, "<html></html>");
    QVERIFY(Commands()->Run(ID_HELP_FILE));
    QCOMPARE(recorder.urls.size(), 1);
    QCOMPARE(recorder.urls[0].toLocalFile(), ToQString(collection_ / kHelpFileName));
    std::filesystem::remove(collection_ / kHelpFileName);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  }

  // No web browser takes the file (the offscreen platform opens nothing): the
  // reader shows it in a window of its own, once however often asked.
  void helpOpensInsideTheReaderWithoutABrowser() {
    WriteFileBytes(
        collection_ / kHelpFileName,
        "<html><head><meta charset=\"utf-8\"></head><body><h1>使い方</h1></body></html>");
    QVERIFY(Start(collection_.path()));
    QVERIFY(Commands()->Run(ID_HELP_FILE));
    auto* help = Frame()->findChild<CHelpWindow*>();
    QVERIFY(help != nullptr);
    QVERIFY(help->isVisible());
    QVERIFY(!help->isModal());
    QCOMPARE(help->windowTitle(), QStringLiteral("ヘルプ"));
    QVERIFY(help->Browser()->toPlainText().contains(QStringLiteral("使い方")));
    QVERIFY(Commands()->Run(ID_HELP_FILE));
    QCOMPARE(Frame()->findChildren<CHelpWindow*>().size(), 1);
    QVERIFY(messages_.isEmpty());
    help->close();
    std::filesystem::remove(collection_ / kHelpFileName);
  }

  void helpFileComesFromTheDataFolderElseFromTheInstalledFiles() {
    TempDir data;
    TempDir share;
    QCOMPARE(FindHelpFile(ToQString(data.path()), ToQString(share.path())), QString());
    WriteFileBytes(share / kHelpFileName, "<html></html>");
    QCOMPARE(FindHelpFile(ToQString(data.path()), ToQString(share.path())),
             ToQString(share / kHelpFileName));
    WriteFileBytes(data / kHelpFileName, "<html></html>");
    QCOMPARE(FindHelpFile(ToQString(data.path()), ToQString(share.path())),
             ToQString(data / kHelpFileName));
    std::filesystem::create_directories(data / "other" / kHelpFileName);  // a folder is no file
    QCOMPARE(FindHelpFile(ToQString(data / "other"), QString()), QString());
  }

  void aboutBoxClosesOnALeftButtonRelease() {
    QVERIFY(Start(collection_.path()));
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
      auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
      if (about == nullptr) return;
      seen = true;
      QVERIFY(about->windowFlags() & Qt::FramelessWindowHint);
      QCOMPARE(about->size(), CAboutDlg::kSize);
      // The version stands over the picture.
      auto* version = about->findChild<QLabel*>(QStringLiteral("version"));
      QVERIFY(version != nullptr && version->isVisible());
      QCOMPARE(version->text(), QStringLiteral("バージョン " QUILLWEN_VERSION));
      QTest::mouseRelease(about, Qt::LeftButton, {}, QPoint(100, 100));
    });
    QVERIFY(Commands()->Run(ID_APP_ABOUT));
    QVERIFY(seen);
  }

  void aboutBoxClosesOnEnterAndEscOnly_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Enter") << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << true;
    QTest::newRow("Esc") << int(Qt::Key_Escape) << true;
    QTest::newRow("Space") << int(Qt::Key_A) << false;
  }
  void aboutBoxClosesOnEnterAndEscOnly() {
    QFETCH(int, key);
    QFETCH(bool, closes);
    CAboutDlg about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTest::keyClick(&about, Qt::Key(key));
    QCOMPARE(about.isVisible(), !closes);
    if (about.isVisible()) {
      QTest::mouseRelease(&about, Qt::RightButton, {}, QPoint(5, 5));
      QVERIFY(about.isVisible());
    }
  }
};

QTEST_MAIN(FrameCommandsTest)
#include "frame_commands_test.moc"
