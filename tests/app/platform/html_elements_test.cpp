#include "app/platform/html_elements.h"

#include <QTest>

namespace {

// "name[attribute=value,...]" for each tag, to compare whole scans at once.
QStringList Describe(const QList<HtmlStartTag>& tags) {
  QStringList described;
  for (const HtmlStartTag& tag : tags) {
    QStringList attributes;
    for (const auto& [name, value] : tag.attributes) attributes << name + u'=' + value;
    described << tag.name + u'[' + attributes.join(u',') + u']';
  }
  return described;
}

}  // namespace

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

  void startTagsCarryEveryAttribute_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("tags");
    QTest::newRow("three quotings, names lower case, in order")
        << QStringLiteral("<INPUT Type=text NAME=\"q\" value='x y' disabled>")
        << QStringList{"input[type=text,name=q,value=x y,disabled=]"};
    QTest::newRow("character references decoded once")
        << QStringLiteral("<a title=\"&lt;a&gt; &quot;b&quot; &#39;c&#39; &amp;lt;\">")
        << QStringList{"a[title=<a> \"b\" 'c' &lt;]"};
    QTest::newRow("a quoted > stays in the value")
        << QStringLiteral("<input value=\"a>b\" name=n><p>")
        << QStringList{"input[value=a>b,name=n]", "p[]"};
    QTest::newRow("comments, end tags, declarations and a lone < are skipped")
        << QStringLiteral("<!DOCTYPE html><!-- <b> --><i>x < y</i><br/>")
        << QStringList{"i[]", "br[]"};
    QTest::newRow("script and style hold text")
        << QStringLiteral("<script>if (a<b) {}</script><STYLE>p>i{}</Style><p class=c>")
        << QStringList{"script[]", "style[]", "p[class=c]"};
    QTest::newRow("an unterminated comment ends the scan")
        << QStringLiteral("<p><!-- <b>") << QStringList{"p[]"};
    QTest::newRow("a stray = keeps the next tag") << QStringLiteral("<input = x><input value=a>")
                                                  << QStringList{"input[x=]", "input[value=a]"};
    QTest::newRow("the query page")
        << QStringLiteral(
               "<body bgcolor=\"#ECE9D8\" topmargin=\"0\"><input name=\"textfield\" "
               "style=\"font-family: 'Simsun (Founder Extended)'; height: 27px\">")
        << QStringList{"body[bgcolor=#ECE9D8,topmargin=0]",
                       "input[name=textfield,style=font-family: 'Simsun (Founder Extended)'; "
                       "height: 27px]"};
  }
  void startTagsCarryEveryAttribute() {
    QFETCH(QString, html);
    QFETCH(QStringList, tags);
    QCOMPARE(Describe(ScanStartTags(html)), tags);
  }

  void theFirstOfTwoAttributesCounts() {
    const QList<HtmlStartTag> tags =
        ScanStartTags(QStringLiteral("<input value=first name=n value=second disabled>"));
    QCOMPARE(tags.size(), 1);
    QCOMPARE(tags[0].Attribute(QStringLiteral("value")),
             std::optional<QString>(QStringLiteral("first")));
    QCOMPARE(tags[0].Attribute(QStringLiteral("disabled")), std::optional<QString>(QString()));
    QVERIFY(!tags[0].Attribute(QStringLiteral("size")).has_value());
    const QVector<DocumentElement> elements =
        ScanDocumentElements(QStringLiteral("<input value=first value=second>"));
    QCOMPARE(elements.size(), 1);
    QCOMPARE(elements[0].value, std::optional<QString>(QStringLiteral("first")));
  }
};

QTEST_MAIN(HtmlElementsTest)
#include "html_elements_test.moc"
