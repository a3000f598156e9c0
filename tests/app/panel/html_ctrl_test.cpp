#include "app/panel/html_ctrl.h"

#include <QLineEdit>
#include <QTest>

class HtmlCtrlTest : public QObject {
  Q_OBJECT

 private slots:
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

QTEST_MAIN(HtmlCtrlTest)
#include "html_ctrl_test.moc"
