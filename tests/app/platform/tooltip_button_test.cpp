#include "app/platform/tooltip_button.h"

#include <QImage>
#include <QTest>

#include "app/platform/program_resources.h"
#include "app/platform/qt_text.h"
#include "tests/support/temp_dir.h"

using quillwen::testing::TempDir;

class TooltipButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { EnsureProgramResources(); }

  void stripGivesFourStatesOfAQuarterItsWidth_data() {
    QTest::addColumn<int>("stripWidth");
    QTest::addColumn<int>("stateWidth");
    QTest::newRow("128") << 128 << 32;
    QTest::newRow("130 rounds down") << 130 << 32;
  }
  void stripGivesFourStatesOfAQuarterItsWidth() {
    QFETCH(int, stripWidth);
    QFETCH(int, stateWidth);
    TempDir folder;
    const QString path = ToQString(folder / "strip.png");
    QImage strip(stripWidth, 32, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QVERIFY(strip.save(path));
    CToolTipResourceButton button;
    button.move(7, 9);
    QVERIFY(button.LoadStrip(path));
    QCOMPARE(button.StateWidth(), stateWidth);
    QCOMPARE(button.StateHeight(), 32);
    QCOMPARE(button.geometry(), QRect(7, 9, stateWidth, 32));
    QVERIFY(!button.LoadStrip(path + QStringLiteral(".missing")));
  }

  void pictureFollowsDisabledThenPressedThenHover() {
    QWidget window;
    window.resize(200, 100);
    auto* button = new CToolTipResourceButton(&window);
    QVERIFY(button->LoadStrip(QStringLiteral(":/page_next.png")));
    button->move(50, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(button->CurrentState(), CToolTipResourceButton::State::kNormal);
    QEnterEvent enter(QPointF(5, 5), QPointF(55, 35), QPointF(55, 35));
    QApplication::sendEvent(button, &enter);
    QCOMPARE(button->CurrentState(), CToolTipResourceButton::State::kHover);
    button->setDown(true);
    QCOMPARE(button->CurrentState(), CToolTipResourceButton::State::kPressed);
    button->setEnabled(false);
    QCOMPARE(button->CurrentState(), CToolTipResourceButton::State::kDisabled);
    button->setEnabled(true);
    button->setDown(false);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    QCOMPARE(button->CurrentState(), CToolTipResourceButton::State::kNormal);
    // The drawn picture is the state's quarter of the strip.
    const QImage strip(QStringLiteral(":/page_next.png"));
    button->setEnabled(false);
    // (The strip is palette-indexed; compare colours, and only where the tile is
    // opaque: its rounded corners show the parent.)
    const QImage shown = button->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    for (const QPoint at : {QPoint(16, 16), QPoint(8, 4), QPoint(24, 26)}) {
      QCOMPARE(shown.pixel(at), strip.pixel(at + QPoint(3 * 32, 0)));
    }
  }

  void tooltipKeepsTheLatestText() {
    CToolTipButton button;
    button.SetToolTipText(QString());  // a null text changes nothing
    QVERIFY(button.toolTip().isEmpty());
    button.SetToolTipText(QStringLiteral("Previous Page"));
    button.SetToolTipText(QStringLiteral("Next Page"));
    QCOMPARE(button.toolTip(), QStringLiteral("Next Page"));
    button.SetToolTipText(QStringLiteral("Next Page"), false);
    QVERIFY(!button.ToolTipActive());
    QVERIFY(button.toolTip().isEmpty());
  }
};

QTEST_MAIN(TooltipButtonTest)
#include "tooltip_button_test.moc"
