#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <memory>

#include "app/frame/book_app.h"
#include "app/frame/book_view.h"
#include "app/frame/command_table.h"
#include "app/frame/frame_commands.h"
#include "app/panel/html_ctrl.h"
#include "app/panel/left_form.h"
#include "app/panel/sort_list_ctrl.h"
#include "app/platform/qt_text.h"
#include "app/platform/tooltip_button.h"
#include "core/panel_model/panel_layout.h"
#include "tests/app/support/collection_fixture.h"
#include "tests/app/support/reader_harness.h"
#include "tests/support/temp_dir.h"

using quillwen::testing::MarkedCollection;
using quillwen::testing::PagesWithCharacter;
using quillwen::testing::ReaderHarness;
using quillwen::testing::ReadFileBytes;
using quillwen::testing::TempDir;
using quillwen::testing::WriteCollection;
using namespace quillwen;

namespace {

// MarkedCollection: 經部 (1) → 論語 (2) → 學而 (3, pages 5 to 7) and 爲政 (4,
// pages 1 and 2); 孟子 (5) → 梁惠王 (6, page 3). "不亦" stands on 學而 5 and 7
// (twice on 7) and 爲政 2; "之" on 學而 5 and 梁惠王 3.
struct RowText {
  QString category, book, volume, page, places;
  bool operator==(const RowText&) const = default;
};

}  // namespace

class SearchTabTest : public QObject, public ReaderHarness {
  Q_OBJECT

 private:
  TempDir order_;
  TempDir rows100_;
  TempDir rows101_;
  TempDir rows250_;

  template <typename T>
  T* ControlAs(int id) {
    return qobject_cast<T*>(Panel()->Control(id));
  }

  bool StartOnSearchTab(const std::filesystem::path& data) {
    if (!Start(data)) return false;
    Panel()->Tabs()->setCurrentIndex(1);
    return true;
  }
  QList<RowText> Rows() {
    QList<RowText> rows;
    QTreeWidget* list = Panel()->ResultList();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = list->topLevelItem(i);
      rows.append({item->text(0), item->text(1), item->text(2), item->text(3), item->text(4)});
    }
    return rows;
  }
  bool PagingRowVisible() {
    const bool previous = Panel()->PreviousButton()->isVisible();
    const bool next = Panel()->NextButton()->isVisible();
    const bool edit = Panel()->PageEdit()->isVisible();
    const bool count = Panel()->PageCountLabel()->isVisible();
    if (previous != next || next != edit || edit != count) qWarning("paging row partly shown");
    return previous && next && edit && count;
  }
  void EditPage(const QString& text) {
    QLineEdit* edit = Panel()->PageEdit();
    edit->selectAll();
    edit->del();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }

 private slots:
  void initTestCase() {
    std::string error;
    QVERIFY2(WriteCollection(order_.path(), MarkedCollection(), &error), error.c_str());
    QVERIFY2(WriteCollection(rows100_.path(), PagesWithCharacter(100), &error), error.c_str());
    QVERIFY2(WriteCollection(rows101_.path(), PagesWithCharacter(101), &error), error.c_str());
    QVERIFY2(WriteCollection(rows250_.path(), PagesWithCharacter(250), &error), error.c_str());
  }
  void cleanup() { Stop(); }

  void searchTabShowsItsControlsWithTheirStartingValues() {
    QVERIFY(StartOnSearchTab(order_.path()));
    struct Text {
      int id;
      const char* text;
    };
    for (const Text& c :
         {Text{kPromptLabel, "キーワードを入力して下さい。"}, Text{kSummaryLabel, "検索集計："}}) {
      QCOMPARE(ControlAs<QLabel>(c.id)->text(), QString::fromUtf8(c.text));
    }
    QCOMPARE(ControlAs<QPushButton>(kSearchButton)->text(), QStringLiteral("検索"));
    QCOMPARE(ControlAs<QPushButton>(kWholeCollectionButton)->text(), QStringLiteral("全体"));
    QCOMPARE(Panel()->RangeLabel()->text(), QStringLiteral("全体"));
    for (const Text& c : {Text{kMethodGroup, "検索方法："}, Text{kTargetGroup, "検索対象："},
                          Text{kRangeGroup, "検索範囲："}}) {
      QCOMPARE(ControlAs<QGroupBox>(c.id)->title(), QString::fromUtf8(c.text));
    }
    for (const Text& c :
         {Text{kMethodAnd, "and"}, Text{kMethodOr, "or"}, Text{kTargetFullText, "全文"},
          Text{kTargetMainText, "正文"}, Text{kTargetAnnotations, "注釈"}, Text{kViewPages, "頁"},
          Text{kViewHits, "文脈"}}) {
      QCOMPARE(ControlAs<QRadioButton>(c.id)->text(), QString::fromUtf8(c.text));
    }
    QVERIFY(ControlAs<QRadioButton>(kViewPages)->isChecked());
    QCOMPARE(ControlAs<QCheckBox>(kVariantCheckBox)->text(),
             QStringLiteral("簡繁・中日等の異体字の関連"));
    QVERIFY(ControlAs<QCheckBox>(kVariantCheckBox)->isChecked());
    QVERIFY(ControlAs<QRadioButton>(kMethodAnd)->isChecked());
    QVERIFY(ControlAs<QRadioButton>(kTargetFullText)->isChecked());
    QCOMPARE(Panel()->RangeLabel()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(Panel()->Control(kSeparatorLine)->isVisible());
    QVERIFY(!Panel()->Control(kUnusedEdit)->isVisible());
    QVERIFY(!PagingRowVisible());

    // The query page: the body's colour and one field "textfield" at the top left.
    CHtmlCtrl* page = Panel()->QueryPage();
    QCOMPARE(page->palette().color(QPalette::Window), QColor(0xEC, 0xE9, 0xD8));
    QCOMPARE(page->palette().color(QPalette::WindowText), QColor(0x66, 0x66, 0x66));
    QVERIFY(KeywordField() != nullptr);
    QCOMPARE(KeywordField()->pos(), QPoint(0, 0));
    QCOMPARE(KeywordField()->height(), 27);
    QCOMPARE(KeywordField()->font().pixelSize(), 14);
    QCOMPARE(KeywordField()->font().families().front(),
             QStringLiteral("Simsun (Founder Extended)"));

    QTreeWidget* list = Panel()->ResultList();
    QCOMPARE(list->columnCount(), 5);
    const QStringList headers{"類別", "書名", "巻", "頁", "箇所"};
    int widths = 0;
    for (int column = 0; column < 5; ++column) {
      QCOMPARE(list->headerItem()->text(column), headers[column]);
      QVERIFY(list->columnWidth(column) > 0);
      widths += list->columnWidth(column);
    }
    // At the panel's width at start every column fits beside the others.
    QCOMPARE(Panel()->width(), FirstPanelWidth());
    QVERIFY2(widths <= list->viewport()->width(), qPrintable(QString::number(widths)));
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(Panel()->PreviousButton()->toolTip(), QStringLiteral("Previous Page"));
    QCOMPARE(Panel()->NextButton()->toolTip(), QStringLiteral("Next Page"));
    QCOMPARE(Panel()->PreviousButton()->size(), QSize(32, 32));
    QCOMPARE(Panel()->NextButton()->size(), QSize(32, 32));
  }

  void searchListsOneRowPerPageInReadingOrder_data() {
    QTest::addColumn<bool>("withEnter");
    QTest::newRow("search button") << false;
    QTest::newRow("Enter in the query page") << true;
  }
  void searchListsOneRowPerPageInReadingOrder() {
    QFETCH(bool, withEnter);
    QVERIFY(StartOnSearchTab(order_.path()));
    QVERIFY(Select(1));
    Search(QStringLiteral("不亦"), withEnter);
    QVERIFY(messages_.isEmpty());
    QCOMPARE(Panel()->SummaryLabel()->text(), QStringLiteral("全部で 3 頁で、4 箇所でした。"));
    // The volumes as the collection has them (學而 before 爲政), each row with
    // its places.
    const QList<RowText> expected{{"經部", "論語", "學而", "5", "1"},
                                  {"經部", "論語", "學而", "7", "2"},
                                  {"經部", "論語", "爲政", "2", "1"}};
    QCOMPARE(Rows(), expected);
    // Item data: the index page of each row (學而 5 and 7 are 0 and 2, 爲政 2 is entry 4).
    QTreeWidget* list = Panel()->ResultList();
    QCOMPARE(list->topLevelItem(0)->data(0, kResultPageRole).toInt(), 0);
    QCOMPARE(list->topLevelItem(2)->data(0, kResultPageRole).toInt(), 4);
    QVERIFY(PagingRowVisible());
    QCOMPARE(Panel()->PageEdit()->text(), QStringLiteral("1"));
    QCOMPARE(Panel()->PageCountLabel()->text(), QStringLiteral("/1"));
  }

  // Keyboard only: from the tabs, Tab reaches the keywords, then the search
  // button; Enter there searches, and Tab goes on to the result list.
  void tabWalksFromTheTabsToTheKeywordsThenTheSearchButton() {
    QVERIFY(StartOnSearchTab(order_.path()));
    QVERIFY(Select(1));
    Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Frame()));
    QTabBar* tabs = Panel()->Tabs()->tabBar();
    tabs->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(tabs));

    QTest::keyClick(tabs, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(KeywordField()));
    QTest::keyClick(KeywordField(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Panel()->Control(kSearchButton));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(KeywordField()));

    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("之"));
    QApplication::sendEvent(KeywordField(), &typed);
    QTest::keyClick(KeywordField(), Qt::Key_Return);
    QCOMPARE(Rows().size(), 2);

    // On the contents tab the hidden field is passed over: Tab goes to the tree.
    Panel()->Tabs()->setCurrentIndex(0);
    tabs->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tabs, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Panel()->Tree()));
  }

  void rangeAndMethodChooseTheRows() {
    QVERIFY(StartOnSearchTab(order_.path()));
    QVERIFY(Select(5));  // 孟子 only
    Search(QStringLiteral("之"));
    QCOMPARE(Rows(), (QList<RowText>{{"經部", "孟子", "梁惠王", "3", "1"}}));
    QCOMPARE(Panel()->SummaryLabel()->text(), QStringLiteral("全部で 1 頁で、1 箇所でした。"));

    QVERIFY(Select(1));
    // Two keywords split by an ideographic space: "and" needs both on a page,
    // "or" either.
    QTest::mouseClick(ControlAs<QRadioButton>(kMethodAnd), Qt::LeftButton);
    Search(QStringLiteral("之\u3000不亦"));
    QCOMPARE(Rows(), (QList<RowText>{{"經部", "論語", "學而", "5", "2"}}));
    QTest::mouseClick(ControlAs<QRadioButton>(kMethodOr), Qt::LeftButton);
    Search(QStringLiteral("之\u3000不亦"));
    QCOMPARE(Model().Method(), SearchMethod::kOr);
    QCOMPARE(Rows().size(), 4);
    QVERIFY(ControlAs<QRadioButton>(kMethodOr)->isChecked());
  }

  void pagingFollowsTheNumberOfRows_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("listPages");
    QTest::addColumn<int>("lastPageRows");
    QTest::newRow("100 rows") << 100 << 1 << 100;
    QTest::newRow("101 rows") << 101 << 2 << 1;
    QTest::newRow("250 rows") << 250 << 3 << 50;
  }
  void pagingFollowsTheNumberOfRows() {
    QFETCH(int, rows);
    QFETCH(int, listPages);
    QFETCH(int, lastPageRows);
    const std::filesystem::path data = rows == 100   ? rows100_.path()
                                       : rows == 101 ? rows101_.path()
                                                     : rows250_.path();
    QVERIFY(StartOnSearchTab(data));
    Search(QStringLiteral("之"));
    QCOMPARE(Panel()->SummaryLabel()->text(),
             QStringLiteral("全部で %1 頁で、%1 箇所でした。").arg(rows));
    QCOMPARE(Model().Paging().m_nResultPages, listPages);
    QCOMPARE(Panel()->ResultList()->topLevelItemCount(), 100);
    QCOMPARE(Rows().front().page, QStringLiteral("1"));
    QCOMPARE(Panel()->PageCountLabel()->text(), QStringLiteral("/%1").arg(listPages));
    QCOMPARE(Panel()->PageEdit()->text(), QStringLiteral("1"));
    QVERIFY(!Panel()->PreviousButton()->isEnabled());
    QCOMPARE(Panel()->PreviousButton()->CurrentState(), CToolTipResourceButton::State::kDisabled);
    QCOMPARE(Panel()->NextButton()->isEnabled(), listPages > 1);
    QCOMPARE(Panel()->PageEdit()->isReadOnly(), listPages == 1);

    for (int page = 2; page <= listPages; ++page)
      QTest::mouseClick(Panel()->NextButton(), Qt::LeftButton);
    QCOMPARE(Model().Paging().m_nCurResultPage, listPages);
    QCOMPARE(Panel()->ResultList()->topLevelItemCount(), lastPageRows);
    QCOMPARE(Rows().back().page, QString::number(rows));
    QVERIFY(!Panel()->NextButton()->isEnabled());
    QCOMPARE(Panel()->PreviousButton()->isEnabled(), listPages > 1);
    QCOMPARE(Panel()->PageEdit()->text(), QString::number(listPages));
    if (listPages > 1) {
      QTest::mouseClick(Panel()->PreviousButton(), Qt::LeftButton);
      QCOMPARE(Model().Paging().m_nCurResultPage, listPages - 1);
      QCOMPARE(Panel()->ResultList()->topLevelItemCount(), 100);
    }
  }

  void pageEditGoesToTheTypedPageAndRefusesOthers() {
    QVERIFY(StartOnSearchTab(rows250_.path()));
    Search(QStringLiteral("之"));
    EditPage(QStringLiteral("3"));
    QCOMPARE(Model().Paging().m_nCurResultPage, 3);
    QCOMPARE(Rows().front().page, QStringLiteral("201"));
    QCOMPARE(Panel()->PageEdit()->text(), QStringLiteral("3"));
    for (const QString& refused : {QStringLiteral("0"), QStringLiteral("4"), QString()}) {
      EditPage(refused);
      QCOMPARE(Model().Paging().m_nCurResultPage, 3);
      QCOMPARE(Panel()->PageEdit()->text(), QStringLiteral("3"));
      QCOMPARE(Panel()->PageEdit()->selectedText(), QStringLiteral("3"));
    }
    // Digits only.
    Panel()->PageEdit()->clear();
    QTest::keyClicks(Panel()->PageEdit(), QStringLiteral("a2"));
    QCOMPARE(Panel()->PageEdit()->text(), QStringLiteral("2"));
    // Leaving the edit applies it too.
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(Panel()->PageEdit(), &leave);
    QCOMPARE(Model().Paging().m_nCurResultPage, 2);
    QCOMPARE(Rows().front().page, QStringLiteral("101"));
  }

  // Each list page is read from its first row, whether turned by its buttons
  // or by the hit commands; the hit commands mark their row on it.
  void theListFollowsTheHitsAcrossListPages_data() {
    QTest::addColumn<int>("view");
    QTest::newRow("page rows") << int(ResultView::kPages);
    QTest::newRow("hit rows") << int(ResultView::kHits);
  }
  void theListFollowsTheHitsAcrossListPages() {
    QFETCH(int, view);
    QVERIFY(StartOnSearchTab(rows250_.path()));
    Panel()->ChooseView(static_cast<ResultView>(view));
    Search(QStringLiteral("之"));
    CSortListCtrl* list = Panel()->ResultList();
    QCOMPARE(list->topLevelItemCount(), 100);
    QScrollBar* bar = list->verticalScrollBar();
    list->scrollToBottom();
    QVERIFY(bar->value() > 0);
    QTest::mouseClick(Panel()->NextButton(), Qt::LeftButton);
    QCOMPARE(Model().Paging().m_nCurResultPage, 2);
    QCOMPARE(bar->value(), 0);
    QTest::mouseClick(Panel()->PreviousButton(), Qt::LeftButton);
    QCOMPARE(bar->value(), 0);

    // The last row of list page 1 (page 100), then on: page 101 is the first
    // row of list page 2, and back again.
    QTreeWidgetItem* last = list->topLevelItem(99);
    list->scrollToItem(last);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(last).center());
    QCOMPARE(Model().CurPage(), 100);
    struct Step {
      int delta;
      int page;      // the page shown, as the volume counts it
      int listPage;  // the list page shown
      int row;       // the row marked on it
    };
    for (const Step& step :
         {Step{+1, 101, 2, 0}, Step{+1, 102, 2, 1}, Step{-1, 101, 2, 0}, Step{-1, 100, 1, 99}}) {
      Panel()->StepHit(step.delta);
      QCOMPARE(Model().CurPage(), step.page);
      QCOMPARE(Model().Paging().m_nCurResultPage, step.listPage);
      QCOMPARE(Panel()->PageEdit()->text(), QString::number(step.listPage));
      QCOMPARE(list->currentItem(), list->topLevelItem(step.row));
      QVERIFY(list->viewport()->rect().contains(
          list->visualItemRect(list->topLevelItem(step.row)).center()));
    }
    QVERIFY(messages_.isEmpty());
  }

  // A new search takes the result page away, and with it the volume the
  // toolbar showed: the slider, the label and the page commands start afresh.
  void aNewSearchResetsTheToolbarWithThePageView() {
    QVERIFY(StartOnSearchTab(order_.path()));
    Search(QStringLiteral("不亦"));
    CSortListCtrl* list = Panel()->ResultList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    CSCrollToolBar& toolbar = Frame()->m_wndToolBar;
    QCOMPARE(toolbar.m_wndSlider.maximum(), 7);
    QVERIFY(!toolbar.m_wndPageLabel.text().isEmpty());
    QVERIFY(Frame()->Commands()->IsAvailable(ID_NEXT_PAGE));
    Search(QStringLiteral("孟子"));
    QCOMPARE(Frame()->m_pBookView->CurrentLocation(), QStringLiteral("about:blank"));
    QCOMPARE(toolbar.m_wndSlider.minimum(), 0);
    QCOMPARE(toolbar.m_wndSlider.maximum(), 0);
    QCOMPARE(toolbar.m_wndPageLabel.text(), QString());
    for (int id : {ID_PREVIOUS_PAGE, ID_NEXT_PAGE, ID_PREVIOUS_VOLUME, ID_NEXT_VOLUME})
      QVERIFY2(!Frame()->Commands()->IsAvailable(id), qPrintable(QString::number(id)));
    // The slider moved now shows nothing.
    toolbar.m_wndSlider.triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(Frame()->m_pBookView->CurrentLocation(), QStringLiteral("about:blank"));
  }

  void enterInTheKeywordFieldSearchesEvenWithSeveralListPages() {
    QVERIFY(StartOnSearchTab(rows250_.path()));
    Search(QStringLiteral("之"));
    QVERIFY(Model().Pager().visible && !Model().Pager().editReadOnly);
    // Elsewhere in the panel Enter applies the page edit while there are pages
    // to choose from; from the result list, a child of the panel, it acts once.
    Panel()->PageEdit()->setText(QStringLiteral("3"));
    QTest::keyClick(Panel()->ResultList(), Qt::Key_Enter);
    QCOMPARE(Model().Paging().m_nCurResultPage, 3);
    QCOMPARE(Model().KeyWords(), u"之");
    // A query typed into the field and entered is searched.
    KeywordField()->setText(QStringLiteral("天"));
    Panel()->PageEdit()->setText(QStringLiteral("2"));
    QTest::keyClick(KeywordField(), Qt::Key_Return);
    QCOMPARE(Model().KeyWords(), u"天");
    QCOMPARE(Model().Paging().m_nCurResultPage, Model().SearchNodes().Count() == 0 ? 0 : 1);
    KeywordField()->setText(QStringLiteral("之"));
    QTest::keyClick(KeywordField(), Qt::Key_Enter);
    QCOMPARE(Model().KeyWords(), u"之");
    QCOMPARE(Model().Paging().m_nCurResultPage, 1);
  }

  // The list orders nothing itself: a header click asks for the order of the
  // whole result, and the indicator shows the order the answer came in.
  void headersAskForAnOrderAndTheIndicatorShowsIt() {
    CSortListCtrl list;
    list.resize(400, 200);
    const std::vector<SearchNodeTag> rows{
        {u"a", u"b", u"c", 10, 12, 1}, {u"a", u"b", u"d", 20, 3, 5}, {u"a", u"b", u"e", 30, 7, 2}};
    list.ShowRows(rows);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    auto column = [&list](int c) {
      QStringList texts;
      for (int i = 0; i < list.topLevelItemCount(); ++i) texts << list.topLevelItem(i)->text(c);
      return texts;
    };
    auto clickHeader = [&list](int section) {
      QHeaderView* header = list.header();
      const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    QList<int> pageOrders;
    connect(&list, &CSortListCtrl::pageOrderChosen, this,
            [&](PageRowOrder order) { pageOrders << static_cast<int>(order); });
    struct PageCase {
      int column;
      PageRowOrder order;
      Qt::SortOrder direction;
    };
    for (const PageCase& c :
         {PageCase{kPageColumn, PageRowOrder::kVolumePage, Qt::AscendingOrder},
          PageCase{kPlacesColumn, PageRowOrder::kPlaces, Qt::DescendingOrder},
          PageCase{kBookColumn, PageRowOrder::kReading, Qt::AscendingOrder},
          PageCase{kVolumeColumn, PageRowOrder::kReading, Qt::AscendingOrder},
          PageCase{kCategoryColumn, PageRowOrder::kReading, Qt::AscendingOrder}}) {
      pageOrders.clear();
      clickHeader(c.column);
      QCOMPARE(pageOrders, QList<int>{static_cast<int>(c.order)});
      QCOMPARE(column(kPageColumn), (QStringList{"12", "3", "7"}));  // left as they were
      list.ShowPageOrder(c.order);
      QCOMPARE(list.header()->sortIndicatorSection(), c.column);
      QCOMPARE(list.header()->sortIndicatorOrder(), c.direction);
    }
    QVERIFY(list.header()->isSortIndicatorShown());

    // Hit rows: their own headers and orders.
    const std::vector<HitRow> hits{
        {std::make_shared<const SearchNodeTag>(rows[0]), 0, u"左", u"之", u"右"}};
    list.ShowHitRows(hits);
    pageOrders.clear();
    QList<int> hitOrders;
    connect(&list, &CSortListCtrl::hitOrderChosen, this,
            [&](HitRowOrder order) { hitOrders << static_cast<int>(order); });
    struct HitCase {
      int column;
      HitRowOrder order;
    };
    for (const HitCase& c : {HitCase{kLeftContextColumn, HitRowOrder::kLeftContext},
                             HitCase{kHitColumn, HitRowOrder::kHit},
                             HitCase{kRightContextColumn, HitRowOrder::kRightContext},
                             HitCase{kWhereColumn, HitRowOrder::kReading}}) {
      hitOrders.clear();
      clickHeader(c.column);
      QCOMPARE(hitOrders, QList<int>{static_cast<int>(c.order)});
      list.ShowHitOrder(c.order);
      QCOMPARE(list.header()->sortIndicatorSection(), c.column);
    }
    QVERIFY(pageOrders.isEmpty());  // hit headers ask for no page order
  }

  void selectingRowsShowsResultPagesInTurn() {
    QVERIFY(StartOnSearchTab(order_.path()));
    QVERIFY(Select(1));
    Search(QStringLiteral("不亦"));
    QTreeWidget* list = Panel()->ResultList();
    struct Step {
      int row;
      std::filesystem::path file;
      int hits;
    };
    // Rows: 學而 5 (one hit), 學而 7 (two), 爲政 2 (one).
    const Step steps[] = {{1, Model().TempResult1(), 2},
                          {2, Model().TempResult2(), 1},
                          {0, Model().TempResult1(), 1}};
    for (const Step& step : steps) {
      const QRect at = list->visualItemRect(list->topLevelItem(step.row));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
      QCOMPARE(Model().HitCount(), step.hits);
      QCOMPARE(Model().CurHit(), 0);
      QCOMPARE(Model().HitPage(), step.file);
      QUrl expected = QUrl::fromLocalFile(ToQString(step.file));
      expected.setFragment(QStringLiteral("0000"));
      QCOMPARE(Frame()->m_pBookView->CurrentLocation(), expected.toString());
      QVERIFY(ReadFileBytes(step.file).find("name=\"0000\"") != std::string::npos);
    }
    // The reading follows the page shown into its volume, 學而 (record 3): the
    // tree's current item follows without changing the search range.
    QCOMPARE(Model().CurNode(), 3);
    QCOMPARE(Model().CurPage(), 5);
    QCOMPARE(Model().RangeNode(), 1);
    QVERIFY(Panel()->Tree()->currentItem() != nullptr);
    QCOMPARE(Panel()->Tree()->currentItem()->data(0, kRecordRole).toInt(), 3);
    QCOMPARE(Frame()->windowTitle(),
             QStringLiteral("Quillwen--Lorevault(Tesselbook) - 經部・論語・學而・5頁"));

    // A new search takes the marked page away; a stored page would stay.
    Search(QStringLiteral("孟子"));
    QCOMPARE(Frame()->m_pBookView->CurrentLocation(), QStringLiteral("about:blank"));
    QCOMPARE(Frame()->windowTitle(), QStringLiteral("Quillwen--Lorevault(Tesselbook)"));
    QCOMPARE(list->selectedItems().size(), 0);
  }

  void targetRadiosReopenTheIndexAndChooseWhereHitsAreMarked() {
    QVERIFY(StartOnSearchTab(order_.path()));
    QVERIFY(Select(1));
    struct Case {
      int id;
      int target;
      int highlight;
      int rows;  // the fixture's annotation set is empty
    };
    for (const Case& c : {Case{kTargetAnnotations, 2, 2, 0}, Case{kTargetMainText, 1, 1, 3},
                          Case{kTargetFullText, 0, 0, 3}}) {
      QTest::mouseClick(ControlAs<QRadioButton>(c.id), Qt::LeftButton);
      QCOMPARE(static_cast<int>(Model().Target()), c.target);
      QCOMPARE(static_cast<int>(Model().HighlightScope()), c.highlight);
      Search(QStringLiteral("不亦"));
      QCOMPARE(Panel()->ResultList()->topLevelItemCount(), c.rows);
      QCOMPARE(PagingRowVisible(), c.rows > 0);
    }
    QCOMPARE(Panel()->SummaryLabel()->text(), QStringLiteral("全部で 3 頁で、4 箇所でした。"));
    QVERIFY(messages_.isEmpty());
  }

  void refusedSearchesShowTheirMessageAndKeepTheResult() {
    QVERIFY(StartOnSearchTab(order_.path()));
    QVERIFY(Select(1));
    Search(QStringLiteral("不亦"));
    const QList<RowText> before = Rows();
    const QString summary = Panel()->SummaryLabel()->text();

    Search(QString());
    QCOMPARE(messages_, QStringList{"何かキーワードを入力して検索をして下さい。"});
    QCOMPARE(Model().KeyWords(), u"不亦");  // the previous keywords are back
    // Enter travels up from the field through the panel: it searches once.
    messages_.clear();
    QTest::keyClick(KeywordField(), Qt::Key_Return);
    QCOMPARE(messages_, QStringList{"何かキーワードを入力して検索をして下さい。"});
    QCOMPARE(Rows(), before);
    QCOMPARE(Panel()->SummaryLabel()->text(), summary);
  }

  void layoutPlacesBothTabs_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("pageEditX");
    QTest::newRow("W = 239") << 239 << 87;
    QTest::newRow("W = 100") << 100 << 18;
  }
  void layoutPlacesBothTabs() {
    QFETCH(int, width);
    QFETCH(int, pageEditX);
    QVERIFY(StartOnSearchTab(order_.path()));
    Frame()->m_wndSplitter.setSizes({width, 800});
    QTRY_COMPARE(Panel()->width(), width);
    const int W = width;
    const int H = Panel()->height();

    Panel()->Tabs()->setCurrentIndex(0);
    QCOMPARE(Panel()->Tree()->geometry(), QRect(5, 26, W - 10, H - 30));
    QVERIFY(Panel()->Tree()->isVisible());
    QVERIFY(!Panel()->ResultList()->isVisible());
    QVERIFY(!KeywordField()->isVisible());

    Panel()->Tabs()->setCurrentIndex(1);
    QVERIFY(!Panel()->Tree()->isVisible());
    const QList<std::pair<int, QRect>> fixed{
        {kPromptLabel, {5, 28, W - 10, 15}},
        {kQueryInputPage, {5, 45, W - 60, 25}},
        {kSearchButton, {W - 50, 45, 45, 25}},
        {kSeparatorLine, {4, 75, W - 8, 1}},
        {kVariantCheckBox, {5, 80, W - 15, 15}},
        {kMethodGroup, {5, 100, W - 10, 40}},
        {kMethodAnd, {10, 115, 50, 20}},
        {kMethodOr, {W - 70, 115, 50, 20}},
        {kTargetGroup, {5, 145, W - 10, 40}},
        {kTargetFullText, {10, 160, 60, 20}},
        {kTargetMainText, {97, 160, 60, 20}},
        {kTargetAnnotations, {189, 160, 60, 20}},
        // The range label ends sooner than before: the "全体" button stands beside it.
        {kRangeGroup, {5, 190, W - 10, 40}},
        {kRangeLabel, {10, 205, W - 70, 20}},
        {kWholeCollectionButton, {W - 55, 203, 45, 24}},
        {kSummaryLabel, {5, 235, W - 15, 15}},
        {kViewPages, {10, 252, 50, 20}},
        {kViewHits, {65, 252, 60, 20}},
    };
    for (const auto& [id, rect] : fixed) {
      QCOMPARE(Panel()->Control(id)->geometry(), rect);
      QVERIFY(Panel()->Control(id)->isVisible());
    }
    // The list starts below the view radios.
    QCOMPARE(Panel()->ResultList()->geometry(), QRect(5, 275, W - 10, H - 279));
    QVERIFY(!PagingRowVisible());

    QVERIFY(Select(1));
    Search(QStringLiteral("不亦"));
    const int y = H - 32 - 5;
    QCOMPARE(Panel()->PreviousButton()->geometry(), QRect(5, y, 32, 32));
    QCOMPARE(Panel()->NextButton()->geometry(), QRect(W - 37, y, 32, 32));
    QCOMPARE(Panel()->PageEdit()->geometry(), QRect(pageEditX, y + 6, 35, 20));
    QCOMPARE(Panel()->PageCountLabel()->geometry(), QRect(pageEditX + 37, y + 8, 30, 24));
    QCOMPARE(Panel()->ResultList()->geometry(), QRect(5, 275, W - 10, H - 279 - 34));

    // Away and back: the paging row returns with the results.
    Panel()->Tabs()->setCurrentIndex(0);
    QVERIFY(!PagingRowVisible());
    QVERIFY(!Panel()->ResultList()->isVisible());
    Panel()->Tabs()->setCurrentIndex(1);
    QVERIFY(PagingRowVisible());
    Frame()->setWindowTitle(QStringLiteral("other"));
    Panel()->repaint();
    QCOMPARE(Frame()->windowTitle(), QStringLiteral("Quillwen--Lorevault(Tesselbook)"));
  }
};

QTEST_MAIN(SearchTabTest)
#include "search_tab_test.moc"
