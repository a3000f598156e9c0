#include "app/platform/qt_text.h"

#include <QTest>
#include <string>

class QtTextTest : public QObject {
  Q_OBJECT

 private slots:
  void textKeepsEveryUnit_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("ASCII") << QStringLiteral("Next Page");
    QTest::newRow("Han") << QStringLiteral("全部で 3 頁で、5 箇所でした。");
    QTest::newRow("a surrogate pair") << QStringLiteral("𠀋之");
    QTest::newRow("an embedded NUL") << QString::fromUtf16(u"a\0b", 3);
  }
  void textKeepsEveryUnit() {
    QFETCH(QString, text);
    const std::u16string units = text.toStdU16String();
    const QString converted = ToQString(units);
    QCOMPARE(converted.size(), text.size());
    QCOMPARE(converted, text);
  }

  void literalsAreTextAndPathsArePaths() {
    QCOMPARE(ToQString(u"目録"), QStringLiteral("目録"));
    const std::filesystem::path path = std::filesystem::path(u8"/tmp/目録") / "windows1.html";
    QCOMPARE(ToQString(path), QStringLiteral("/tmp/目録/windows1.html"));
  }

  // A file name from a dialog names the same file on disk and reads back as typed.
  void pathsFromQtTextRoundTrip() {
    const QString name = QStringLiteral("/tmp/検索結果 𠀋.csv");
    const std::filesystem::path path = ToPath(name);
    QVERIFY(path.filename().u8string() == u8"検索結果 𠀋.csv");
    QCOMPARE(ToQString(path), name);
  }
};

QTEST_MAIN(QtTextTest)
#include "qt_text_test.moc"
