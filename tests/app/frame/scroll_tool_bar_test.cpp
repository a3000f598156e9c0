#include "app/frame/scroll_tool_bar.h"

#include <QSignalSpy>
#include <QTest>

// The page toolbar on its own: its slider tells which page a scroll ended on
// and shows nothing itself.
class ScrollToolBarTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CSCrollToolBar> toolbar_;

  QSlider& Slider() { return toolbar_->m_wndSlider; }

 private slots:
  void init() {
    toolbar_ = std::make_unique<CSCrollToolBar>();
    toolbar_->Create([](int) -> QAction* { return nullptr; });
    toolbar_->show();
    QVERIFY(QTest::qWaitForWindowExposed(toolbar_.get()));
  }
  void cleanup() { toolbar_.reset(); }

  void theToolbarsOwnMovesChooseNoPage() {
    QSignalSpy chosen(toolbar_.get(), &CSCrollToolBar::pageChosen);
    toolbar_->SetVolume({5, 7}, 5);
    QCOMPARE(Slider().minimum(), 5);
    QCOMPARE(Slider().maximum(), 7);
    QCOMPARE(Slider().value(), 5);
    toolbar_->SetPosition(6);
    QCOMPARE(Slider().value(), 6);
    QCOMPARE(chosen.count(), 0);
  }

  void aDragChoosesThePageOnceWhenTheThumbIsReleased() {
    toolbar_->SetVolume({5, 7}, 5);
    QSignalSpy chosen(toolbar_.get(), &CSCrollToolBar::pageChosen);
    Slider().setSliderDown(true);
    QCOMPARE(Slider().cursor().shape(), kSliderCursor);
    Slider().setValue(6);
    Slider().setValue(7);
    QCOMPARE(chosen.count(), 0);
    Slider().setSliderDown(false);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.takeFirst().at(0).toInt(), 7);
    QVERIFY(!Slider().testAttribute(Qt::WA_SetCursor));
  }

  void aKeyOrAClickChoosesThePageAtOnce() {
    toolbar_->SetVolume({5, 7}, 7);
    QSignalSpy chosen(toolbar_.get(), &CSCrollToolBar::pageChosen);
    Slider().setFocus();
    QTest::keyClick(&Slider(), Qt::Key_Left);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.takeFirst().at(0).toInt(), 6);
    // Past the end the range holds the thumb and the last page is chosen.
    Slider().setValue(99);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.takeFirst().at(0).toInt(), 7);
  }
};

QTEST_MAIN(ScrollToolBarTest)
#include "scroll_tool_bar_test.moc"
