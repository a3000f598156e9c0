#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include "app/frame/book_app.h"
#include "app/frame/book_view.h"
#include "app/frame/command_table.h"
#include "app/frame/frame_commands.h"
#include "app/frame/main_frame.h"
#include "app/panel/left_form.h"
#include "app/panel/sort_list_ctrl.h"
#include "app/platform/qt_text.h"
#include "app/platform/settings_store.h"
#include "app/platform/tooltip_button.h"
#include "core/panel_model/panel_layout.h"
#include "tests/app/support/collection_fixture.h"
#include "tests/app/support/reader_harness.h"
#include "tests/support/temp_dir.h"

using quillwen::testing::FixtureCategory;
using quillwen::testing::FixturePage;
using quillwen::testing::FixtureTextPage;
using quillwen::testing::FixtureVolume;
using quillwen::testing::ReaderHarness;
using quillwen::testing::TempDir;
using quillwen::testing::WriteCollection;
using namespace quillwen;

namespace {

// A volume name too long for the 巻 column of a panel 260 pixels wide.
constexpr char16_t kLongVolume[] = u"本紀第一五帝本紀夏本紀";

// Records 1 經部, 2 論語, 3 學而 (pages 1 to 120), 4 史部, 5 史記, 6 kLongVolume
// (pages 1 to 30): 150 pages with "之", more than one list page. 學而 50 holds
// it three times, marked; 本紀 7 twice, in the cell an odd page's hits are not
// marked in, so its places have no anchor.
std::vector<FixtureCategory> ManyRows() {
  FixtureVolume xueEr{u"學而", 1, {}};
  for (int page = 1; page <= 120; ++page) {
    xueEr.pages.push_back(FixtureTextPage("學而 " + std::to_string(page),
                                          page == 50 ? "之天之下之" : "天下之事", page));
  }
  FixtureVolume benJi{kLongVolume, 1, {}};
  for (int page = 1; page <= 30; ++page) {
    const std::string title = "本紀 " + std::to_string(page);
    benJi.pages.push_back(page == 7 ? FixturePage(title, "之事之")
                                    : FixtureTextPage(title, "天下之事", page));
  }
  return {{u"經部", {{u"論語", {xueEr}}}}, {u"史部", {{u"史記", {benJi}}}}};
}

struct Row {
  QString category, volume, page, places;
  bool operator==(const Row&) const = default;
};

}  // namespace

class ResultListTest : public QObject, public ReaderHarness {
  Q_OBJECT

 private:
  TempDir collection_;

  CSortListCtrl* List() { return Panel()->ResultList(); }
  QRadioButton* Radio(int id) { return qobject_cast<QRadioButton*>(Panel()->Control(id)); }
  QString Location() { return Frame()->m_pBookView->CurrentLocation(); }

  bool StartOnSearchTab() {
    if (!Start(collection_.path())) return false;
    Panel()->Tabs()->setCurrentIndex(1);
    return true;
  }
  Row RowAt(int i) {
    const QTreeWidgetItem* item = List()->topLevelItem(i);
    if (item == nullptr) return {};
    return {item->text(kCategoryColumn), item->text(kVolumeColumn), item->text(kPageColumn),
            item->text(kPlacesColumn)};
  }
  QStringList Headers() {
    QStringList headers;
    for (int column = 0; column < List()->columnCount(); ++column)
      headers << List()->headerItem()->text(column);
    return headers;
  }
  void ClickHeader(int section) {
    QHeaderView* header = List()->header();
    const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  }
  void ClickRow(int row) {
    List()->scrollToItem(List()->topLevelItem(row));
    const QRect at = List()->visualItemRect(List()->topLevelItem(row));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at.center());
  }
  void NextListPage() { QTest::mouseClick(Panel()->NextButton(), Qt::LeftButton); }
  void PreviousListPage() { QTest::mouseClick(Panel()->PreviousButton(), Qt::LeftButton); }

 private slots:
  void initTestCase() {
    std::string error;
    QVERIFY2(WriteCollection(collection_.path(), ManyRows(), &error), error.c_str());
  }
  void cleanup() {
    Stop();
    // Every test starts on the page rows, whatever one left in the store.
    WriteSettingString(QString::fromLatin1(kResultViewSection),
                       QString::fromLatin1(kResultViewName), QString());
  }

  void rangeStartsOnTheWholeCollectionAndTheButtonGoesBackToIt() {
    QVERIFY(StartOnSearchTab());
    auto* whole = qobject_cast<QPushButton*>(Panel()->Control(kWholeCollectionButton));
    QVERIFY(whole != nullptr);
    QVERIFY(whole->isVisible());
    QCOMPARE(whole->text(), QStringLiteral("全体"));
    QCOMPARE(Panel()->RangeLabel()->text(), QStringLiteral("全体"));
    QCOMPARE(Model().RangeNode(), kWholeCollection);

    QVERIFY(Select(5));
    QCOMPARE(Panel()->RangeLabel()->text(), QStringLiteral("史部\\史記"));
    Search(QStringLiteral("之"));
    QCOMPARE(Panel()->SummaryLabel()->text(), QStringLiteral("全部で 30 頁で、31 箇所でした。"));

    QTest::mouseClick(whole, Qt::LeftButton);
    QCOMPARE(Panel()->RangeLabel()->text(), QStringLiteral("全体"));
    QCOMPARE(Model().RangeNode(), kWholeCollection);
    QVERIFY(Panel()->Tree()->currentItem() == nullptr);
    Search(QStringLiteral("之"));
    QCOMPARE(Panel()->SummaryLabel()->text(), QStringLiteral("全部で 150 頁で、153 箇所でした。"));
    // The item chosen before can be chosen again.
    QVERIFY(Select(5));
    QCOMPARE(Panel()->RangeLabel()->text(), QStringLiteral("史部\\史記"));
    QCOMPARE(Model().RangeNode(), 5);
    QVERIFY(messages_.isEmpty());
  }

  void wholeCollectionSearchListsEveryCategoryInReadingOrder() {
    QVERIFY(StartOnSearchTab());
    Search(QStringLiteral("之"));
    QVERIFY(messages_.isEmpty());
    QCOMPARE(Panel()->SummaryLabel()->text(), QStringLiteral("全部で 150 頁で、153 箇所でした。"));
    QCOMPARE(List()->topLevelItemCount(), 100);
    for (int i = 0; i < 100; ++i) {
      const Row row = RowAt(i);
      QCOMPARE(row.category, QStringLiteral("經部"));
      QCOMPARE(row.page, QString::number(i + 1));
    }
    QCOMPARE(RowAt(49), (Row{"經部", "學而", "50", "3"}));
    NextListPage();
    QCOMPARE(List()->topLevelItemCount(), 50);
    QCOMPARE(RowAt(19), (Row{"經部", "學而", "120", "1"}));
    for (int i = 20; i < 50; ++i) {
      QCOMPARE(RowAt(i).category, QStringLiteral("史部"));
      QCOMPARE(RowAt(i).page, QString::number(i - 19));
    }
    QCOMPARE(RowAt(26), (Row{"史部", ToQString(kLongVolume), "7", "2"}));
  }

  // A header orders the whole result, not the list page shown; the order stays
  // while the list pages change and for the next search.
  void headerClickOrdersTheWholeResultAcrossListPages() {
    QVERIFY(StartOnSearchTab());
    Search(QStringLiteral("之"));
    QHeaderView* header = List()->header();

    // 頁: page 1 of every volume, then page 2, ...; ties in reading order.
    ClickHeader(kPageColumn);
    QCOMPARE(Model().PageOrder(), PageRowOrder::kVolumePage);
    QCOMPARE(Model().Paging().m_nCurResultPage, 1);
    QCOMPARE(RowAt(0), (Row{"經部", "學而", "1", "1"}));
    QCOMPARE(RowAt(1), (Row{"史部", ToQString(kLongVolume), "1", "1"}));
    QCOMPARE(RowAt(59), (Row{"史部", ToQString(kLongVolume), "30", "1"}));
    QCOMPARE(RowAt(60), (Row{"經部", "學而", "31", "1"}));
    QCOMPARE(header->sortIndicatorSection(), kPageColumn);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    NextListPage();
    QCOMPARE(RowAt(0), (Row{"經部", "學而", "71", "1"}));
    QCOMPARE(RowAt(49), (Row{"經部", "學而", "120", "1"}));
    QCOMPARE(header->sortIndicatorSection(), kPageColumn);

    // 箇所: most places first, from list page 1.
    ClickHeader(kPlacesColumn);
    QCOMPARE(Model().Paging().m_nCurResultPage, 1);
    QCOMPARE(RowAt(0), (Row{"經部", "學而", "50", "3"}));
    QCOMPARE(RowAt(1), (Row{"史部", ToQString(kLongVolume), "7", "2"}));
    QCOMPARE(RowAt(2), (Row{"經部", "學而", "1", "1"}));
    QCOMPARE(header->sortIndicatorSection(), kPlacesColumn);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    NextListPage();
    PreviousListPage();
    QCOMPARE(RowAt(0), (Row{"經部", "學而", "50", "3"}));

    // A new search lists in the order chosen.
    Search(QStringLiteral("之"));
    QCOMPARE(RowAt(1), (Row{"史部", ToQString(kLongVolume), "7", "2"}));
    QCOMPARE(header->sortIndicatorSection(), kPlacesColumn);

    // 書名: reading order again.
    ClickHeader(kBookColumn);
    QCOMPARE(Model().PageOrder(), PageRowOrder::kReading);
    QCOMPARE(RowAt(0), (Row{"經部", "學而", "1", "1"}));
    QCOMPARE(RowAt(49), (Row{"經部", "學而", "50", "3"}));
    QCOMPARE(header->sortIndicatorSection(), kBookColumn);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
  }

  void columnsFitThePanelAndACutOffCellShowsItsTextAsToolTip() {
    QVERIFY(StartOnSearchTab());
    Search(QStringLiteral("之"));
    NextListPage();
    // A panel as narrow as the first versions started with.
    ST_SplitterWnd& splitter = Frame()->m_wndSplitter;
    splitter.setSizes({260, splitter.width() - splitter.handleWidth() - 260});
    QTRY_COMPARE(Panel()->width(), 260);
    // Every column fits beside the others once the header has laid them out.
    auto widths = [this] {
      int sum = 0;
      for (int column = 0; column < List()->columnCount(); ++column)
        sum += List()->columnWidth(column);
      return sum;
    };
    QTRY_VERIFY2(widths() <= List()->viewport()->width(), qPrintable(QString::number(widths())));

    // 學而 120 and the long volume's page 7 (two places).
    const QTreeWidgetItem* shortRow = List()->topLevelItem(19);
    const QTreeWidgetItem* longRow = List()->topLevelItem(26);
    QCOMPARE(longRow->text(kPlacesColumn), QStringLiteral("2"));
    for (int column = 0; column < List()->columnCount(); ++column) {
      const QModelIndex cell = List()->model()->index(19, column);
      QVERIFY2(List()->TruncatedCellText(cell).isEmpty(),
               qPrintable(shortRow->text(column) + " is cut off"));
    }
    const QModelIndex cutOff = List()->model()->index(26, kVolumeColumn);
    QCOMPARE(List()->TruncatedCellText(cutOff), ToQString(kLongVolume));
    QCOMPARE(List()->TruncatedCellText(List()->model()->index(26, kPlacesColumn)), QString());

    // The tool tip, as the mouse asks for it.
    List()->scrollToItem(longRow);
    const QPoint at = List()->visualRect(cutOff).center();
    QHelpEvent ask(QEvent::ToolTip, at, List()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(List()->viewport(), &ask);
    QTRY_COMPARE(QToolTip::text(), ToQString(kLongVolume));
    QToolTip::hideText();

    // A wider panel shows the whole name.
    Frame()->m_wndSplitter.setSizes({700, 600});
    QTRY_COMPARE(Panel()->width(), 700);
    QTRY_COMPARE(List()->TruncatedCellText(cutOff), QString());
  }

  void viewRadiosSwitchTheListAndTheChoiceSurvivesARestart() {
    QVERIFY(StartOnSearchTab());
    QVERIFY(Radio(kViewPages)->isChecked());
    Search(QStringLiteral("之"));
    QCOMPARE(Headers(), (QStringList{"類別", "書名", "巻", "頁", "箇所"}));

    QTest::mouseClick(Radio(kViewHits), Qt::LeftButton);
    QCOMPARE(Model().View(), ResultView::kHits);
    QCOMPARE(Headers(), (QStringList{"類別・書名・巻・頁", "左文脈", "語", "右文脈"}));
    QCOMPARE(List()->topLevelItemCount(), 100);
    QCOMPARE(Panel()->PageCountLabel()->text(), QStringLiteral("/2"));  // 153 hits
    QCOMPARE(List()->topLevelItem(0)->text(kWhereColumn), QStringLiteral("經部 · 論語 · 學而 · 1"));
    QCOMPARE(ReadSettingString(QString::fromLatin1(kResultViewSection),
                               QString::fromLatin1(kResultViewName)),
             QString::fromLatin1(kResultViewHits));

    Stop();
    QVERIFY(StartOnSearchTab());
    QVERIFY(Radio(kViewHits)->isChecked());
    QVERIFY(!Radio(kViewPages)->isChecked());
    QCOMPARE(Model().View(), ResultView::kHits);
    QCOMPARE(Headers(), (QStringList{"類別・書名・巻・頁", "左文脈", "語", "右文脈"}));
    Search(QStringLiteral("之"));
    QCOMPARE(Model().HitRowCount(), 153u);
    QCOMPARE(List()->topLevelItem(0)->text(kHitColumn), QStringLiteral("之"));

    QTest::mouseClick(Radio(kViewPages), Qt::LeftButton);
    QCOMPARE(Headers(), (QStringList{"類別", "書名", "巻", "頁", "箇所"}));
    QCOMPARE(RowAt(0), (Row{"經部", "學而", "1", "1"}));
    Stop();
    QVERIFY(StartOnSearchTab());
    QVERIFY(Radio(kViewPages)->isChecked());
    QCOMPARE(Model().View(), ResultView::kPages);
    QCOMPARE(Headers(), (QStringList{"類別", "書名", "巻", "頁", "箇所"}));
  }

  // A hit row shows its hit between its contexts as the result page marks it,
  // opens the result page at that hit, and the hit commands go on from there.
  void hitRowOpensItsAnchorAndTheHitCommandsGoOn() {
    QVERIFY(StartOnSearchTab());
    QTest::mouseClick(Radio(kViewHits), Qt::LeftButton);
    Search(QStringLiteral("之"));
    // Rows 49 to 51: the three hits of 學而 50, "之天之下之".
    const QTreeWidgetItem* middle = List()->topLevelItem(50);
    QCOMPARE(middle->text(kWhereColumn), QStringLiteral("經部 · 論語 · 學而 · 50"));
    QCOMPARE(middle->text(kLeftContextColumn), QStringLiteral("之天"));
    QCOMPARE(middle->text(kHitColumn), QStringLiteral("之"));
    QCOMPARE(middle->text(kRightContextColumn), QStringLiteral("下之"));
    QVERIFY(middle->textAlignment(kLeftContextColumn) & Qt::AlignRight);
    QCOMPARE(middle->foreground(kHitColumn).color(), QColor(255, 0, 0));
    QCOMPARE(middle->background(kHitColumn).color(), QColor(0xD9, 0xD9, 0xD9));

    ClickRow(50);
    QVERIFY2(Location().endsWith(QStringLiteral("#0001")), qPrintable(Location()));
    QCOMPARE(Model().HitCount(), 3);
    QCOMPARE(Model().CurHit(), 1);
    // The hit keys work as soon as the page is shown.
    QVERIFY(Frame()->Commands()->Action(ID_NEXT_HIT)->isEnabled());
    QVERIFY(Frame()->Commands()->Action(ID_PREVIOUS_HIT)->isEnabled());
    Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Frame()));
    QTest::keyClick(Frame(), Qt::Key_F3);
    QVERIFY2(Location().endsWith(QStringLiteral("#0002")), qPrintable(Location()));
    for (const char* anchor : {"#0001", "#0000"}) {
      QTest::keyClick(Frame(), Qt::Key_F3, Qt::AltModifier);
      QVERIFY2(Location().endsWith(QLatin1String(anchor)), qPrintable(Location()));
    }

    // The long volume's page 7: places the marker could not mark, on list page 2.
    NextListPage();
    const QTreeWidgetItem* unmarked = List()->topLevelItem(28);
    QCOMPARE(unmarked->text(kWhereColumn), QStringLiteral("史部 · 史記 · %1 · 7").arg(kLongVolume));
    QCOMPARE(unmarked->text(kHitColumn), QStringLiteral("（印なし）"));
    QCOMPARE(unmarked->foreground(kHitColumn).color(), QColor(Qt::gray));
    QCOMPARE(List()->topLevelItem(29)->text(kHitColumn), QStringLiteral("（印なし）"));
    QCOMPARE(List()->TruncatedCellText(List()->model()->index(28, kWhereColumn)),
             unmarked->text(kWhereColumn));
    ClickRow(28);
    QVERIFY2(Location().endsWith(QStringLiteral("#0000")), qPrintable(Location()));
    QCOMPARE(Model().CurHit(), 0);
    QVERIFY(messages_.isEmpty());
  }

  // The hit rows' headers order every hit of the result.
  void hitHeadersOrderTheWholeResult() {
    QVERIFY(StartOnSearchTab());
    QTest::mouseClick(Radio(kViewHits), Qt::LeftButton);
    Search(QStringLiteral("之"));
    ClickHeader(kRightContextColumn);
    QCOMPARE(Model().HitOrder(), HitRowOrder::kRightContext);
    QCOMPARE(List()->header()->sortIndicatorSection(), kRightContextColumn);
    QCOMPARE(Model().Paging().m_nCurResultPage, 1);
    // Empty right contexts first, in reading order (the last hit of 學而 50,
    // then the two unmarked places of page 7), then "下之", "事" and "天之下之".
    QCOMPARE(List()->topLevelItem(0)->text(kWhereColumn),
             QStringLiteral("經部 · 論語 · 學而 · 50"));
    QCOMPARE(List()->topLevelItem(0)->text(kRightContextColumn), QString());
    QCOMPARE(List()->topLevelItem(1)->text(kHitColumn), QStringLiteral("（印なし）"));
    QCOMPARE(List()->topLevelItem(2)->text(kHitColumn), QStringLiteral("（印なし）"));
    QCOMPARE(List()->topLevelItem(3)->text(kRightContextColumn), QStringLiteral("下之"));
    QCOMPARE(List()->topLevelItem(4)->text(kRightContextColumn), QStringLiteral("事"));
    NextListPage();
    QCOMPARE(List()->topLevelItem(51)->text(kRightContextColumn), QStringLiteral("事"));
    QCOMPARE(List()->topLevelItem(52)->text(kRightContextColumn), QStringLiteral("天之下之"));
    QCOMPARE(Model().HitOrder(), HitRowOrder::kRightContext);
    ClickHeader(kWhereColumn);
    QCOMPARE(Model().HitOrder(), HitRowOrder::kReading);
    QCOMPARE(List()->topLevelItem(0)->text(kWhereColumn), QStringLiteral("經部 · 論語 · 學而 · 1"));
  }
};

QTEST_MAIN(ResultListTest)
#include "result_list_test.moc"
