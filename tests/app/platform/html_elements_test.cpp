#include "app/platform/html_elements.h"

#include <QTest>

class HtmlElementsTest : public QObject {
  Q_OBJECT

 private slots:
  void documentElementsListTagsAndInputValues() {
    const QVector<DocumentElement> elements = ScanDocumentElements(QStringLiteral(
        "<!DOCTYPE html><html><body bgcolor=#fff><!-- <input value=hidden> -->"
        "<INPUT name=\"q\" value=\"a&amp;b 之\" size=20><p>x < y</p><script>if (a<b) {}</script>"
        "<input type='text'><input value=plain/></body></html>"));
    QStringList tags;
    for (const DocumentElement& element : elements) tags << element.tagName;
    QCOMPARE(tags, (QStringList{"html", "body", "input", "p", "script", "input", "input"}));
    QVERIFY(elements[2].isInput);
    QCOMPARE(elements[2].value, std::optional<QString>(QStringLiteral("a&b 之")));
    QVERIFY(!elements[3].isInput);
    QVERIFY(!elements[5].value.has_value());
    QCOMPARE(elements[6].value, std::optional<QString>(QStringLiteral("plain/")));
  }
};

QTEST_MAIN(HtmlElementsTest)
#include "html_elements_test.moc"
