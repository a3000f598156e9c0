#include "app/frame/st_splitter_wnd.h"

#include <QSettings>
#include <QTest>
#include <QTextEdit>

#include "app/platform/app_titles.h"
#include "app/platform/qt_text.h"
#include "tests/support/temp_dir.h"

using quillwen::testing::TempDir;

namespace {

QString StoredRecord(const QString& name = QStringLiteral("Panes_0")) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromUtf8(kSettingsOrganisation),
                     QString::fromUtf8(kSettingsApplication));
  return settings.value(QStringLiteral("SplitterWnd/") + name).toString();
}

}  // namespace

class SplitterTest : public QObject {
  Q_OBJECT

 private:
  TempDir settingsFolder_;
  std::unique_ptr<ST_SplitterWnd> splitter_;
  QTextEdit* first_ = nullptr;
  QTextEdit* second_ = nullptr;

  void Make(bool columns, int level = 0) {
    splitter_ = std::make_unique<ST_SplitterWnd>(level);
    first_ = new QTextEdit;
    second_ = new QTextEdit;
    splitter_->CreatePanes(first_, second_, columns);
    splitter_->resize(1280, 800);
    splitter_->show();
    QVERIFY(QTest::qWaitForWindowExposed(splitter_.get()));
  }
  int Extent(QWidget* pane) const { return splitter_->m_bColumns ? pane->width() : pane->height(); }
  int Total() const {
    return (splitter_->m_bColumns ? splitter_->width() : splitter_->height()) -
           splitter_->handleWidth();
  }

 private slots:
  void initTestCase() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       ToQString(settingsFolder_.path()));
  }

  // Each test starts without the record an earlier one left, which would set
  // the first pane's size.
  void init() {
    QSettings(QSettings::NativeFormat, QSettings::UserScope,
              QString::fromUtf8(kSettingsOrganisation), QString::fromUtf8(kSettingsApplication))
        .clear();
  }
  void cleanup() { splitter_.reset(); }

  void constructionSetsTheRememberedValues() {
    ST_SplitterWnd splitter(7);
    QCOMPARE(splitter.m_nHiddenColumn, -1);
    QCOMPARE(splitter.m_nHiddenRow, -1);
    QCOMPARE(splitter.m_nFirstSize, 100);
    QCOMPARE(splitter.m_nSecondSize, 100);
    QCOMPARE(splitter.m_nFirstMin, 10);
    QCOMPARE(splitter.m_nSecondMin, 10);
    QCOMPARE(splitter.m_strSection, QStringLiteral("SplitterWnd"));
    QCOMPARE(splitter.m_nLevel, 7);
    QCOMPARE(splitter.PaneRecordName(), QStringLiteral("Panes_7"));
  }

  // The share, not the pixels: a panel that kept 260 pixels left the page
  // view one character a line in a small window and a sliver of a large one.
  void firstPaneStarts260WideAndKeepsItsShareWhenTheWindowChanges_data() {
    QTest::addColumn<int>("width");
    QTest::newRow("800") << 800;
    QTest::newRow("2560") << 2560;
    QTest::newRow("1600") << 1600;
  }
  void firstPaneStarts260WideAndKeepsItsShareWhenTheWindowChanges() {
    QFETCH(int, width);
    Make(true);
    QCOMPARE(first_->width(), 260);
    QCOMPARE(second_->width(), Total() - 260);
    const double share = 260.0 / Total();
    splitter_->resize(width, 800);
    QTRY_COMPARE(splitter_->width(), width);
    QVERIFY2(std::abs(first_->width() - share * Total()) <= 1,
             qPrintable(QString::number(first_->width())));
    QCOMPARE(second_->width(), Total() - first_->width());
    // Moved by the user, the bar sets the share the next change keeps.
    splitter_->setSizes({Total() / 2, Total() - Total() / 2});
    splitter_->resize(1280, 800);
    QTRY_COMPARE(splitter_->width(), 1280);
    QVERIFY2(std::abs(first_->width() - Total() / 2) <= 1,
             qPrintable(QString::number(first_->width())));
  }

  // A record's two sizes give the share the next run starts with.
  void firstShareOfRecord_data() {
    QTest::addColumn<QString>("record");
    QTest::addColumn<double>("share");  // negative: none
    QTest::newRow("a quarter") << "-1 300 -1 900" << 0.25;
    QTest::newRow("hidden then") << "0 400 -1 400" << 0.5;
    QTest::newRow("empty") << "" << -1.0;
    QTest::newRow("three numbers") << "-1 300 -1" << -1.0;
    QTest::newRow("no second size") << "-1 300 -1 0" << -1.0;
    QTest::newRow("negative") << "-1 -300 -1 900" << -1.0;
    QTest::newRow("beyond any screen") << "-1 300 -1 99999999" << -1.0;
  }
  void firstShareOfRecord() {
    QFETCH(QString, record);
    QFETCH(double, share);
    const std::optional<double> got = ST_SplitterWnd::FirstShareOfRecord(record);
    QCOMPARE(got.has_value(), share >= 0);
    if (got) QCOMPARE(*got, share);
  }

  void hidePaneLetsTheOtherFillAndShowHiddenPaneRestoresTheWidth() {
    Make(true);
    splitter_->setSizes({300, Total() - 300});
    QTRY_COMPARE(first_->width(), 300);
    splitter_->HidePane(0);
    QCOMPARE(splitter_->m_nHiddenColumn, 0);
    QCOMPARE(splitter_->m_nFirstSize, 300);
    QVERIFY(first_->isHidden());
    QTRY_COMPARE(second_->width(), splitter_->width());
    splitter_->ShowHiddenPane();
    QCOMPARE(splitter_->m_nHiddenColumn, -1);
    QVERIFY(!first_->isHidden());
    QTRY_COMPARE(first_->width(), 300);
    QTRY_COMPARE(second_->width(), Total() - 300);
  }

  void togglePane_data() {
    QTest::addColumn<int>("hiddenBefore");  // -1: none
    QTest::addColumn<int>("toggled");
    QTest::addColumn<int>("hiddenAfter");
    QTest::newRow("nothing hidden, toggle 0 hides it") << -1 << 0 << 0;
    QTest::newRow("nothing hidden, toggle 1 hides it") << -1 << 1 << 1;
    QTest::newRow("0 hidden, toggle 0 shows it") << 0 << 0 << -1;
    QTest::newRow("0 hidden, toggle 1 does nothing") << 0 << 1 << 0;
  }

  void togglePane() {
    QFETCH(int, hiddenBefore);
    QFETCH(int, toggled);
    QFETCH(int, hiddenAfter);
    Make(true);
    if (hiddenBefore >= 0) splitter_->HidePane(hiddenBefore);
    splitter_->TogglePane(toggled);
    QCOMPARE(splitter_->m_nHiddenColumn, hiddenAfter);
    QCOMPARE(first_->isHidden(), hiddenAfter == 0);
    QCOMPARE(second_->isHidden(), hiddenAfter == 1);
  }

  void toggleTwiceRestoresThePanel() {
    Make(true);
    splitter_->TogglePane(0);
    splitter_->TogglePane(0);
    QTRY_COMPARE(first_->width(), 260);
    QCOMPARE(splitter_->m_nHiddenColumn, -1);
  }

  void hidePaneDoesNothingWhenAPaneIsHiddenOrTheIndexIsNoPane() {
    Make(true);
    splitter_->HidePane(2);
    splitter_->HidePane(-1);
    QCOMPARE(splitter_->m_nHiddenColumn, -1);
    splitter_->HidePane(1);
    splitter_->HidePane(0);
    QCOMPARE(splitter_->m_nHiddenColumn, 1);
    QVERIFY(!first_->isHidden());
  }

  void hidingTheActivePaneActivatesTheOther() {
    Make(true);
    QCOMPARE(splitter_->ActivePane(), 0);
    splitter_->HidePane(0);
    QCOMPARE(splitter_->ActivePane(), 1);
    splitter_->ShowHiddenPane();
    QCOMPARE(splitter_->ActivePane(), 1);  // shown without activating it
  }

  void rowsHideRowsAndLeaveTheColumnAlone() {
    Make(false);
    QCOMPARE(splitter_->orientation(), Qt::Vertical);
    QCOMPARE(first_->height(), 260);
    splitter_->HidePane(1);
    QCOMPARE(splitter_->m_nHiddenRow, 1);
    QCOMPARE(splitter_->m_nHiddenColumn, -1);
    QVERIFY(second_->isHidden());
  }

  void paneRecordIsWrittenWhenTheSplitterGoes_data() {
    QTest::addColumn<bool>("hideFirst");
    QTest::newRow("panel at 300") << false;
    QTest::newRow("panel hidden") << true;
  }

  void paneRecordIsWrittenWhenTheSplitterGoes() {
    QFETCH(bool, hideFirst);
    Make(true);
    splitter_->setSizes({300, Total() - 300});
    QTRY_COMPARE(first_->width(), 300);
    const int second = second_->width();
    if (hideFirst) {
      splitter_->HidePane(0);
      // Sizes after hiding are not captured: the record keeps those at hiding.
      splitter_->resize(1000, 800);
    }
    splitter_.reset();
    const QString expected = QStringLiteral("%1 300 -1 %2").arg(hideFirst ? 0 : -1).arg(second);
    QCOMPARE(StoredRecord(), expected);
  }

  void paneRecordNameCarriesTheLevel() {
    Make(true, 3);
    splitter_.reset();
    QCOMPARE(StoredRecord(QStringLiteral("Panes_3")).split(u' ').size(), 4);
  }
};

QTEST_MAIN(SplitterTest)
#include "st_splitter_wnd_test.moc"
