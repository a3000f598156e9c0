#include "app/platform/limited_copy.h"

#include <QTest>

class LimitedCopyTest : public QObject {
  Q_OBJECT

 private slots:
  void limitedCopyText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expectedBytes");                // -1: left as it is
    const QByteArray han = QStringLiteral("之").toUtf8();  // 3 bytes
    QTest::newRow("empty") << QByteArray() << -1;
    QTest::newRow("600 ASCII bytes") << QByteArray(600, 'a') << -1;
    QTest::newRow("601 ASCII bytes") << QByteArray(601, 'a') << 600;
    QTest::newRow("1000 ASCII bytes") << QByteArray(1000, 'a') << 600;
    QTest::newRow("200 Han, 600 bytes") << han.repeated(200) << -1;
    QTest::newRow("250 Han, 750 bytes") << han.repeated(250) << 600;
    QTest::newRow("cut inside a character steps back")
        << QByteArray("a") + han.repeated(250) << 598;
    QTest::newRow("cut inside a 4-byte character")
        << QByteArray(598, 'a') + QStringLiteral("😀").toUtf8() << 598;
  }

  void limitedCopyText() {
    QFETCH(QByteArray, text);
    QFETCH(int, expectedBytes);
    const std::optional<QByteArray> limited = LimitedCopyText(text);
    if (expectedBytes < 0) {
      QVERIFY(!limited.has_value());
      return;
    }
    QVERIFY(limited.has_value());
    QCOMPARE(limited->size(), expectedBytes);
    QCOMPARE(*limited, text.left(expectedBytes));
  }

  // The same cut on text: whole characters only, surrogate pairs included.
  void limitedCopyOf_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString han = QStringLiteral("之");
    QTest::newRow("short text stays")
        << QStringLiteral("學而時習之") << QStringLiteral("學而時習之");
    QTest::newRow("201 Han: 200 kept") << han.repeated(201) << han.repeated(200);
    QTest::newRow("a pair across the limit goes whole")
        << QString(598, u'a') + QStringLiteral("𠀋b") << QString(598, u'a');
  }
  void limitedCopyOf() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(LimitedCopyOf(text), expected);
  }
};

QTEST_MAIN(LimitedCopyTest)
#include "limited_copy_test.moc"
