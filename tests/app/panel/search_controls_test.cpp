#include <QImage>
#include <QLineEdit>
#include <QTest>

#include "app/panel/html_ctrl.h"
#include "app/panel/tooltip_button.h"
#include "app/shell/program_resources.h"
#include "tests/support/temp_dir.h"

using quillwen::testing::TempDir;

class SearchControlsTest : public QObject {
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
    const QString path = QString::fromStdString((folder / "strip.png").string());
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
    QCOMPARE(button->CurrentState(), CToolTipResourceButton::kNormal);
    QEnterEvent enter(QPointF(5, 5), QPointF(55, 35), QPointF(55, 35));
    QApplication::sendEvent(button, &enter);
    QCOMPARE(button->CurrentState(), CToolTipResourceButton::kHover);
    button->setDown(true);
    QCOMPARE(button->CurrentState(), CToolTipResourceButton::kPressed);
    button->setEnabled(false);
    QCOMPARE(button->CurrentState(), CToolTipResourceButton::kDisabled);
    button->setEnabled(true);
    button->setDown(false);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    QCOMPARE(button->CurrentState(), CToolTipResourceButton::kNormal);
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

  void formLayerReadsInputElementsInDocumentOrder() {
    CHtmlCtrl page;
    QVERIFY(!page.HasDocument());
    page.LoadHtml(QStringLiteral(
        "<html><body bgcolor='#102030' leftmargin=4 topmargin=\"2\"><!-- <input name=commented> -->"
        "<p>text</p><input type=hidden name=h value=\"fixed\"><input name=a size=10 value='x y'>"
        "<input name=\"b\" style=\"height: 30px; font-size: 20px\"></body></html>"));
    QVERIFY(page.HasDocument());
    QCOMPARE(page.palette().color(QPalette::Window), QColor(0x10, 0x20, 0x30));
    QStringList tags;
    QStringList values;
    for (const DocumentElement& element : page.DocumentElements()) {
      tags << element.tagName;
      if (element.isInput) values << element.value.value_or(QStringLiteral("<none>"));
    }
    QCOMPARE(tags, (QStringList{"html", "body", "p", "input", "input", "input"}));
    QCOMPARE(values, (QStringList{"fixed", "x y", ""}));
    QVERIFY(page.Field(QStringLiteral("h")) == nullptr);
    QLineEdit* a = page.Field(QStringLiteral("a"));
    QLineEdit* b = page.Field(QStringLiteral("b"));
    QVERIFY(a != nullptr && b != nullptr);
    QCOMPARE(a->pos(), QPoint(4, 2));
    QCOMPARE(b->pos(), QPoint(4 + a->width(), 2));
    QCOMPARE(b->height(), 30);
    QCOMPARE(b->font().pixelSize(), 20);
    b->setText(QStringLiteral("之"));
    QCOMPARE(page.DocumentElements().back().value, QStringLiteral("之"));
    QVERIFY(!page.LoadFromResource(QStringLiteral(":/missing.htm")));
    QVERIFY(!page.HasDocument());
    QVERIFY(page.DocumentElements().isEmpty());
  }
};

QTEST_MAIN(SearchControlsTest)
#include "search_controls_test.moc"
