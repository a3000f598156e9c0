#include "app/platform/limited_copy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

class LimitedCopyTest : public QObject {
  Q_OBJECT

 private slots:
  // Characters, not bytes: a title of 300 Han characters goes whole, where 600
  // UTF-8 bytes held 200 of them.
  void limitedCopyText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");  // null: left as it is
    const QString han = QStringLiteral("之");
    const QString pair = QStringLiteral("𠀋");  // one character, two UTF-16 units
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("300 ASCII") << QString(300, u'a') << QString();
    QTest::newRow("301 ASCII") << QString(301, u'a') << QString(300, u'a');
    QTest::newRow("300 Han stay") << han.repeated(300) << QString();
    QTest::newRow("301 Han: 300 kept") << han.repeated(301) << han.repeated(300);
    QTest::newRow("1000 Han: 300 kept") << han.repeated(1000) << han.repeated(300);
    QTest::newRow("300 pairs are 300 characters") << pair.repeated(300) << QString();
    QTest::newRow("301 pairs: 300 kept") << pair.repeated(301) << pair.repeated(300);
    QTest::newRow("a pair as the 300th goes whole")
        << QString(299, u'a') + pair + QStringLiteral("bc") << QString(299, u'a') + pair;
    QTest::newRow("a pair as the 301st goes") << QString(300, u'a') + pair << QString(300, u'a');
    QTest::newRow("a lone surrogate counts as one")
        << QString(299, u'a') + QChar(0xD840) + QStringLiteral("bc")
        << QString(299, u'a') + QChar(0xD840);
  }

  void limitedCopyText() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const std::optional<QString> limited = LimitedCopyText(text);
    if (expected.isNull()) {
      QVERIFY(!limited.has_value());
      QCOMPARE(LimitedCopyOf(text), text);
      return;
    }
    QVERIFY(limited.has_value());
    QCOMPARE(*limited, expected);
    QCOMPARE(LimitedCopyOf(text), expected);
  }

  void clipboardTextIsCutAndOtherFormatsGo() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString han = QStringLiteral("學");
    auto* data = new QMimeData;
    data->setText(han.repeated(400));
    data->setHtml(QStringLiteral("<b>") + han.repeated(400) + QStringLiteral("</b>"));
    clipboard->setMimeData(data);
    QVERIFY(LimitClipboardText());
    QCOMPARE(clipboard->text(), han.repeated(300));
    QVERIFY(!clipboard->mimeData()->hasHtml());
    // Within the limit nothing changes, the other formats included.
    auto* shorter = new QMimeData;
    shorter->setText(han.repeated(300));
    shorter->setHtml(QStringLiteral("<b>學</b>"));
    clipboard->setMimeData(shorter);
    QVERIFY(!LimitClipboardText());
    QCOMPARE(clipboard->text(), han.repeated(300));
    QVERIFY(clipboard->mimeData()->hasHtml());
  }
};

QTEST_MAIN(LimitedCopyTest)
#include "limited_copy_test.moc"
