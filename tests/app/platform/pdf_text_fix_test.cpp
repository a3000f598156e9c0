#include "app/platform/pdf_text_fix.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <string>

#include "app/platform/text_browser_control.h"

namespace {

// A PDF as Qt writes one: objects, a ToUnicode map with `mappings` in its
// bfrange section, a cross-reference table and startxref.
std::string PdfWithMap(const std::string& mappings) {
  const std::string cmap =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n" +
      mappings + "endcmap\nend\nend\n";
  std::string pdf = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  offsets.push_back(pdf.size());
  pdf += "1 0 obj\n<< /Type /Catalog >>\nendobj\n";
  offsets.push_back(pdf.size());
  pdf += "2 0 obj\n<< /Length " + std::to_string(cmap.size()) + " >>\nstream\n" + cmap +
         "\nendstream\nendobj\n";
  offsets.push_back(pdf.size());
  pdf += "3 0 obj\n<< /ToUnicode 2 0 R >>\nendobj\n";
  const size_t table = pdf.size();
  pdf += "xref\n0 4\n0000000000 65535 f \n";
  for (const size_t offset : offsets) {
    const std::string digits = std::to_string(offset);
    pdf += std::string(10 - digits.size(), '0') + digits + " 00000 n \n";
  }
  pdf += "trailer\n<< /Size 4 /Root 1 0 R >>\nstartxref\n" + std::to_string(table) + "\n%%EOF\n";
  return pdf;
}

// Whether every object the cross-reference table names starts where it says,
// and startxref names the table.
bool CrossReferencesHold(const std::string& pdf) {
  const size_t keyword = pdf.rfind("startxref\n");
  const size_t table = std::stoul(pdf.substr(keyword + 10));
  if (pdf.compare(table, 4, "xref") != 0) return false;
  size_t entry = pdf.find("0 4\n", table) + 4 + 20;  // past the free entry
  for (int object = 1; object <= 3; ++object, entry += 20) {
    const size_t offset = std::stoul(pdf.substr(entry, 10));
    if (pdf.compare(offset, 8, std::to_string(object) + " 0 obj\n") != 0) return false;
  }
  return true;
}

}  // namespace

class PdfTextFixTest : public QObject {
  Q_OBJECT

 private slots:
  void radicalsAndStrokesHaveTheirIdeographs() {
    QCOMPARE(quillwen::IdeographOfRadical(0x2F49), char32_t{0x6708});   // ⽉ 月
    QCOMPARE(quillwen::IdeographOfRadical(0x2F00), char32_t{0x4E00});   // ⼀ 一
    QCOMPARE(quillwen::IdeographOfRadical(0x2EDD), char32_t{0x98DF});   // ⻝ 食
    QCOMPARE(quillwen::IdeographOfRadical(0x2E87), char32_t{0x20628});  // beyond the BMP
    QCOMPARE(quillwen::IdeographOfRadical(0x6708), char32_t{0x6708});
    QCOMPARE(quillwen::IdeographOfRadical(U'a'), char32_t{U'a'});
  }

  void mapsAreRewrittenAndOffsetsFollow_data() {
    QTest::addColumn<QString>("mappings");
    QTest::addColumn<QString>("expected");  // the sections as rewritten
    QTest::newRow("array of a bfrange")
        << "1 beginbfrange\n<0001> <0003> [<660E> <2F49> <4E4B> ]\nendbfrange\n"
        << "1 beginbfrange\n<0001> <0003> [<660E> <6708> <4E4B> ]\nendbfrange\n";
    QTest::newRow("bfchar") << "2 beginbfchar\n<0004> <2F00>\n<0005> <0041>\nendbfchar\n"
                            << "2 beginbfchar\n<0004> <4E00>\n<0005> <0041>\nendbfchar\n";
    QTest::newRow("a counting range over radicals becomes an array")
        << "1 beginbfrange\n<0010> <0012> <2F00>\nendbfrange\n"
        << "1 beginbfrange\n<0010> <0012> [<4E00> <4E28> <4E36> ]\nendbfrange\n";
    QTest::newRow("an ideograph beyond the BMP as a surrogate pair")
        << "1 beginbfrange\n<0001> <0001> [<2E87> ]\nendbfrange\n"
        << "1 beginbfrange\n<0001> <0001> [<D841DE28> ]\nendbfrange\n";
  }
  void mapsAreRewrittenAndOffsetsFollow() {
    QFETCH(QString, mappings);
    QFETCH(QString, expected);
    const std::string pdf = PdfWithMap(mappings.toStdString());
    QVERIFY(CrossReferencesHold(pdf));
    const std::optional<std::string> fixed = quillwen::NameIdeographsForRadicals(pdf);
    QVERIFY(fixed.has_value());
    QCOMPARE(QString::fromStdString(*fixed),
             QString::fromStdString(PdfWithMap(expected.toStdString())));
    QVERIFY(CrossReferencesHold(*fixed));
  }

  void aPdfWithoutRadicalsOrNotLaidOutAsExpectedIsLeftAlone() {
    QVERIFY(!quillwen::NameIdeographsForRadicals(
        PdfWithMap("1 beginbfrange\n<0001> <0002> [<660E> <6708> ]\nendbfrange\n")));
    std::string unreadable =
        PdfWithMap("1 beginbfrange\n<0001> <0002> [<2F49> oops ]\nendbfrange\n");
    QVERIFY(!quillwen::NameIdeographsForRadicals(unreadable));
    std::string noTable = PdfWithMap("1 beginbfrange\n<0001> <0001> [<2F49> ]\nendbfrange\n");
    noTable.resize(noTable.rfind("startxref"));
    QVERIFY(!quillwen::NameIdeographsForRadicals(noTable));
    QVERIFY(!quillwen::NameIdeographsForRadicals(""));
  }

  // The page view prints to a PDF whose text extracts as the characters shown.
  void aPrintedPageExtractsAsShown() {
    QVERIFY2(QFile::exists(QStringLiteral("/usr/bin/pdftotext")),
             "pdftotext (poppler-utils) is installed by `make setup`");
    QTemporaryDir dir;
    QWidget parent;
    TextBrowserControl browser(&parent);
    const QString page = dir.filePath(QStringLiteral("page.html"));
    QFile html(page);
    QVERIFY(html.open(QIODevice::WriteOnly));
    html.write(QStringLiteral("<html><body><p>明月木日一人 之學</p></body></html>").toUtf8());
    html.close();
    browser.Navigate(page);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
    QString reason;
    QVERIFY2(browser.PrintTo(printer, &reason), qPrintable(reason));
    QProcess extract;
    extract.start(QStringLiteral("/usr/bin/pdftotext"),
                  {printer.outputFileName(), QStringLiteral("-")});
    QVERIFY(extract.waitForFinished(30000));
    const QString text = QString::fromUtf8(extract.readAllStandardOutput());
    QVERIFY2(text.contains(QStringLiteral("明月木日一人 之學")), qPrintable(text));
  }
};

QTEST_MAIN(PdfTextFixTest)
#include "pdf_text_fix_test.moc"
