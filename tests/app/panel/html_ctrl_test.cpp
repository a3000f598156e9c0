#include "app/panel/html_ctrl.h"

#include <QLineEdit>
#include <QTest>

#include "app/panel/html_form.h"
#include "app/platform/program_resources.h"

class HtmlCtrlTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { EnsureProgramResources(); }

  void theQueryPageGivesOneKeywordField() {
    CHtmlCtrl page;
    QVERIFY(page.LoadFromResource(QString::fromLatin1(kQueryPageResource)));
    QStringList tags;
    for (const DocumentElement& element : page.DocumentElements()) tags << element.tagName;
    QCOMPARE(tags, (QStringList{"html", "head", "meta", "body", "input"}));
    QCOMPARE(page.DocumentElements().back().value, std::optional<QString>(QString()));
    QCOMPARE(page.Fields().size(), 1);
    QLineEdit* field = page.Field(QStringLiteral("textfield"));
    QVERIFY(field != nullptr);
    QCOMPARE(field->pos(), QPoint(0, 0));
    QCOMPARE(field->height(), 27);
    QCOMPARE(field->font().pixelSize(), 14);
    QCOMPARE(field->font().families().front(), QStringLiteral("Simsun (Founder Extended)"));
    QCOMPARE(page.palette().color(QPalette::Window), QColor(0xEC, 0xE9, 0xD8));
  }

  void fieldsShowTheirValuesDecoded() {
    CHtmlCtrl page;
    page.LoadHtml(QStringLiteral("<input name=\"a&amp;b\" value=\"&lt;天&gt; &quot;地&quot;\">"));
    QLineEdit* field = page.Field(QStringLiteral("a&b"));
    QVERIFY(field != nullptr);
    QCOMPARE(field->text(), QStringLiteral("<天> \"地\""));
  }

  void stylePropertyReadsOneDeclaration_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("value");  // null: not declared
    const QString style = QStringLiteral("font-family: 'A B'; FONT-SIZE : 14px;height:27px");
    QTest::newRow("first") << style << QStringLiteral("font-family") << QStringLiteral("'A B'");
    QTest::newRow("any case, spaced")
        << style << QStringLiteral("font-size") << QStringLiteral("14px");
    QTest::newRow("last, unspaced") << style << QStringLiteral("height") << QStringLiteral("27px");
    QTest::newRow("not declared") << style << QStringLiteral("width") << QString();
    QTest::newRow("a declaration without a colon")
        << QStringLiteral("height; width: 3px") << QStringLiteral("height") << QString();
  }
  void stylePropertyReadsOneDeclaration() {
    QFETCH(QString, style);
    QFETCH(QString, property);
    QFETCH(QString, value);
    const std::optional<QString> found = StyleProperty(style, property);
    QCOMPARE(found.has_value(), !value.isNull());
    if (found) QCOMPARE(*found, value);
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

QTEST_MAIN(HtmlCtrlTest)
#include "html_ctrl_test.moc"
