// The reader run as the desktop runs it, in a process of its own.

#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTest>
#include <csignal>
#include <filesystem>

#include "app/platform/qt_text.h"
#include "tests/app/support/collection_fixture.h"
#include "tests/support/temp_dir.h"

using quillwen::testing::MarkedCollection;
using quillwen::testing::TempDir;
using quillwen::testing::WriteCollection;

namespace {

QString Program() { return QString::fromUtf8(QUILLWEN_PROGRAM); }

// A session of its own: configuration, temporary folder and working folder
// inside `home`.
QProcessEnvironment SessionIn(const TempDir& home) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), ToQString(home / "config"));
  environment.insert(QStringLiteral("TMPDIR"), ToQString(home / "tmp"));
  // Qt's own runtime folder stays out of the temporary folder watched here.
  environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), ToQString(home.path()));
  environment.remove(QStringLiteral("QUILLWEN_DATA"));
  return environment;
}

}  // namespace

class ProgramTest : public QObject {
  Q_OBJECT

 private:
  TempDir collection_;

 private slots:
  void initTestCase() {
    std::string error;
    QVERIFY2(WriteCollection(collection_.path(), MarkedCollection(), &error), error.c_str());
  }

  // Asked in a terminal or by help2man, with no display to be had.
  void helpAndVersionNeedNoDisplay_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("expected");
    QTest::newRow("--help") << "--help"
                            << "--data DIR";
    QTest::newRow("-h") << "-h"
                        << "--version";
    QTest::newRow("--version") << "--version"
                               << "quillwen " QUILLWEN_VERSION "\n";
  }
  void helpAndVersionNeedNoDisplay() {
    QFETCH(QString, argument);
    QFETCH(QString, expected);
    TempDir home;
    QProcessEnvironment environment = SessionIn(home);
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess reader;
    reader.setProcessEnvironment(environment);
    reader.start(Program(), {argument});
    QVERIFY(reader.waitForFinished(30000));
    const QString out = QString::fromUtf8(reader.readAllStandardOutput());
    QCOMPARE(reader.exitStatus(), QProcess::NormalExit);
    QVERIFY2(reader.exitCode() == 0, qPrintable(reader.readAllStandardError()));
    if (expected.endsWith(u'\n'))
      QCOMPARE(out, expected);
    else
      QVERIFY2(out.contains(expected), qPrintable(out));
  }

  // Ended by the session, the reader ends as its exit command ends it: exit
  // code 0, the reading place and the layout written, the page files gone.
  void aSignalEndsTheReaderAsItsExitCommandDoes_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("SIGINT") << SIGINT;
  }
  void aSignalEndsTheReaderAsItsExitCommandDoes() {
    QFETCH(int, signal);
    TempDir home;
    std::filesystem::create_directories(home / "tmp");
    const QString store = ToQString(home / "config" / "quillwen" / "quillwen.conf");
    {
      // Where the last run stopped: 學而 page 6, with keywords typed.
      QSettings last(store, QSettings::IniFormat);
      last.setValue(QStringLiteral("Resume/Volume"), QStringLiteral("3"));
      last.setValue(QStringLiteral("Resume/Page"), QStringLiteral("6"));
      last.setValue(QStringLiteral("Resume/KeyWords"), QStringLiteral("不亦"));
    }
    QProcess reader;
    QProcessEnvironment environment = SessionIn(home);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QUILLWEN_TRACE_STARTUP"), QStringLiteral("1"));
    reader.setProcessEnvironment(environment);
    reader.setWorkingDirectory(ToQString(home.path()));
    reader.start(Program(), {QStringLiteral("--data"), ToQString(collection_.path()),
                             QStringLiteral("--no-splash")});
    QVERIFY(reader.waitForStarted(30000));
    // Once the window has been painted, the page of the last run is shown.
    QByteArray errors;
    QTRY_VERIFY_WITH_TIMEOUT((errors += reader.readAllStandardError()).contains("first paint"),
                             60000);
    bool pageWritten = false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home / "tmp"))
      pageWritten = pageWritten || entry.path().filename() == "windows.html";
    QVERIFY(pageWritten);

    QCOMPARE(::kill(static_cast<pid_t>(reader.processId()), signal), 0);
    QVERIFY(reader.waitForFinished(30000));
    QCOMPARE(reader.exitStatus(), QProcess::NormalExit);
    QCOMPARE(reader.exitCode(), 0);
    QVERIFY(std::filesystem::is_empty(home / "tmp"));
    QSettings kept(store, QSettings::IniFormat);
    QCOMPARE(kept.value(QStringLiteral("Resume/Volume")).toString(), QStringLiteral("3"));
    QCOMPARE(kept.value(QStringLiteral("Resume/Page")).toString(), QStringLiteral("6"));
    QCOMPARE(kept.value(QStringLiteral("Resume/KeyWords")).toString(), QStringLiteral("不亦"));
    // Written only at the end.
    QVERIFY(!kept.value(QStringLiteral("SplitterWnd/Panes_0")).toString().isEmpty());
    QVERIFY(!kept.value(QStringLiteral("MainFrame/Geometry")).toString().isEmpty());
  }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "program_test.moc"
