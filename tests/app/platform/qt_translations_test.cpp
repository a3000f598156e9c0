#include "app/platform/qt_translations.h"

#include <QApplication>
#include <QTest>
#include <QTranslator>

namespace {

// Hiragana, katakana or a CJK ideograph: the text is Japanese, not Qt's English.
bool HasJapanese(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x3040 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF)) return true;
  }
  return false;
}

}  // namespace

class QtTranslationsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // Without the catalogue Qt speaks English: what the rows below must not see.
    QCOMPARE(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Print"));
    QVERIFY(InstallQtTranslations());
  }

  void standardDialogsSpeakJapanese_data() {
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::newRow("print dialog") << "QPrintDialog"
                                  << "Print";
    QTest::newRow("page setup") << "QPageSetupWidget"
                                << "Portrait";
    QTest::newRow("print preview") << "QPrintPreviewDialog"
                                   << "Print Preview";
    QTest::newRow("file dialog") << "QFileDialog"
                                 << "&Open";
    QTest::newRow("standard button") << "QPlatformTheme"
                                     << "Cancel";
  }

  void standardDialogsSpeakJapanese() {
    QFETCH(QString, context);
    QFETCH(QString, source);
    const QString text =
        QCoreApplication::translate(context.toLatin1().constData(), source.toLatin1().constData());
    QVERIFY2(HasJapanese(text), qPrintable(text));
  }

  void installingAgainKeepsOneCatalogue() {
    QVERIFY(InstallQtTranslations());
    const QList<QTranslator*> before = qApp->findChildren<QTranslator*>();
    QVERIFY(InstallQtTranslations());
    QCOMPARE(qApp->findChildren<QTranslator*>(), before);
    QCOMPARE(before.size(), 1);
  }
};

QTEST_MAIN(QtTranslationsTest)
#include "qt_translations_test.moc"
