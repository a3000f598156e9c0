#include "app/frame/splash_wnd.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTest>
#include <QVBoxLayout>

#include "app/frame/command_line.h"
#include "app/platform/qt_text.h"
#include "tests/support/temp_dir.h"

using namespace std::chrono_literals;
using quillwen::testing::TempDir;

class SplashTest : public QObject {
  Q_OBJECT

 private:
  TempDir dataFolder_;
  SplashMessageFilter filter_;
  std::unique_ptr<QWidget> main_;
  QLineEdit* edit_ = nullptr;
  QPushButton* button_ = nullptr;

  QString DataFolder() const { return ToQString(dataFolder_.path()); }
  bool ShowSplash() {
    CSplashWnd::EnableSplash(true);
    CSplashWnd::ShowSplash(main_.get(), DataFolder());
    return CSplashWnd::Current() != nullptr && CSplashWnd::Current()->isVisible();
  }

 private slots:
  void initTestCase() { qApp->installEventFilter(&filter_); }

  void init() {
    main_ = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(main_.get());
    edit_ = new QLineEdit;
    button_ = new QPushButton(QStringLiteral("button"));
    layout->addWidget(edit_);
    layout->addWidget(button_);
    main_->resize(400, 300);
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    edit_->setFocus();
  }

  void cleanup() {
    CSplashWnd::HideSplash();
    CSplashWnd::EnableSplash(false);
    CSplashWnd::SetTimeout(CSplashWnd::kDefaultTimeout);
    main_.reset();
  }

  void switchOffShowsNoSplash() {
    CSplashWnd::EnableSplash(false);
    CSplashWnd::ShowSplash(main_.get(), DataFolder());
    QVERIFY(CSplashWnd::Current() == nullptr);
  }

  void onlyOneSplashIsUpAtATime() {
    QVERIFY(ShowSplash());
    CSplashWnd* first = CSplashWnd::Current();
    CSplashWnd::ShowSplash(main_.get(), DataFolder());
    QCOMPARE(CSplashWnd::Current(), first);
  }

  void splashCoversTheScreen() {
    QVERIFY(ShowSplash());
    QCOMPARE(CSplashWnd::Current()->geometry(), QGuiApplication::primaryScreen()->geometry());
  }

  void aKeyClosesTheSplashAndIsSwallowed() {
    QVERIFY(ShowSplash());
    QTest::keyClick(edit_, Qt::Key_A);
    QVERIFY(CSplashWnd::Current() == nullptr);
    QCOMPARE(edit_->text(), QString());
    QTest::keyClick(edit_, Qt::Key_B);
    QCOMPARE(edit_->text(), QStringLiteral("b"));
  }

  void aShortcutKeyClosesTheSplashWithoutTriggering() {
    int triggered = 0;
    QShortcut shortcut(QKeySequence(Qt::Key_F5), main_.get());
    connect(&shortcut, &QShortcut::activated, this, [&] { ++triggered; });
    QVERIFY(ShowSplash());
    QApplication::setActiveWindow(main_.get());
    QTest::keyClick(edit_, Qt::Key_F5);
    QVERIFY(CSplashWnd::Current() == nullptr);
    QCOMPARE(triggered, 0);
    // With the splash screen gone the same keys reach the shortcut.
    QApplication::setActiveWindow(main_.get());
    QTest::keyClick(edit_, Qt::Key_F5);
    QCOMPARE(triggered, 1);
  }

  void aMouseButtonClosesTheSplashAndIsSwallowed_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
  }

  void aMouseButtonClosesTheSplashAndIsSwallowed() {
    QFETCH(Qt::MouseButton, button);
    int clicks = 0;
    connect(button_, &QPushButton::clicked, this, [&] { ++clicks; });
    QVERIFY(ShowSplash());
    QTest::mousePress(button_, button);
    QVERIFY(CSplashWnd::Current() == nullptr);
    QVERIFY(!button_->isDown());
    QTest::mouseRelease(button_, button);
    QCOMPARE(clicks, 0);
  }

  void aClickOnTheSplashItselfClosesIt() {
    QVERIFY(ShowSplash());
    QTest::mousePress(CSplashWnd::Current(), Qt::LeftButton);
    QVERIFY(CSplashWnd::Current() == nullptr);
  }

  void movingTheMouseOrReleasingAButtonLeavesTheSplash() {
    QVERIFY(ShowSplash());
    QTest::mouseMove(button_);
    QTest::mouseRelease(button_, Qt::LeftButton);
    QTest::keyRelease(edit_, Qt::Key_A);
    QVERIFY(CSplashWnd::Current() != nullptr);
  }

  void theTimerClosesTheSplash() {
    CSplashWnd::SetTimeout(50ms);
    QVERIFY(ShowSplash());
    QTRY_VERIFY_WITH_TIMEOUT(CSplashWnd::Current() == nullptr, 5000);
  }

  void theDataFoldersPictureIsPreferred() {
    QCOMPARE(CSplashWnd::PictureFile(DataFolder()), QStringLiteral(":/splash.png"));
    QImage picture(32, 16, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString own = DataFolder() + QStringLiteral("/splash.png");
    QVERIFY(picture.save(own));
    QCOMPARE(CSplashWnd::PictureFile(DataFolder()), own);
    QVERIFY(ShowSplash());  // a picture smaller than the screen is shown all the same
    QFile::remove(own);
  }

  void commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("showSplash");
    QTest::addColumn<QString>("dataFolder");
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("error");
    QTest::addColumn<bool>("version");
    QTest::newRow("nothing") << QStringList{} << true << QString() << false << false << false;
    QTest::newRow("-Automation") << QStringList{"-Automation"} << false << QString() << false
                                 << false << false;
    QTest::newRow("/Embedding") << QStringList{"/Embedding"} << false << QString() << false << false
                                << false;
    QTest::newRow("-embedding, any case")
        << QStringList{"-embedding"} << false << QString() << false << false << false;
    QTest::newRow("--no-splash") << QStringList{"--no-splash"} << false << QString() << false
                                 << false << false;
    QTest::newRow("--data DIR") << QStringList{"--data", "/x/y"} << true << "/x/y" << false << false
                                << false;
    QTest::newRow("--data=DIR") << QStringList{"--data=/x/y", "--no-splash"} << false << "/x/y"
                                << false << false << false;
    QTest::newRow("--data without folder")
        << QStringList{"--data"} << true << QString() << false << true << false;
    QTest::newRow("--help") << QStringList{"--help"} << true << QString() << true << false << false;
    QTest::newRow("--version") << QStringList{"--version"} << true << QString() << false << false
                               << true;
    QTest::newRow("unknown") << QStringList{"book.mvr"} << true << QString() << false << true
                             << false;
  }

  void commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, showSplash);
    QFETCH(QString, dataFolder);
    QFETCH(bool, help);
    QFETCH(bool, error);
    QFETCH(bool, version);
    const CommandLineInfo info = ParseCommandLine(arguments);
    QCOMPARE(info.showVersion, version);
    QCOMPARE(info.showSplash, showSplash);
    QCOMPARE(info.dataFolder, dataFolder);
    QCOMPARE(info.showHelp, help);
    QCOMPARE(!info.error.isEmpty(), error);
  }

  void usageNamesEveryOption() {
    const QString usage = CommandLineUsage(QStringLiteral("quillwen"));
    for (const char* option :
         {"--data DIR", "--no-splash", "-Automation", "-Embedding", "--help", "--version"}) {
      QVERIFY2(usage.contains(QLatin1String(option)), option);
    }
  }

  // Before the application object, only --help and --version are answered;
  // Qt's own switches are left for it.
  void answersWithoutDisplay_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("answer");  // null: none
    QTest::newRow("nothing") << QStringList{} << QString();
    QTest::newRow("Qt's switch") << QStringList{"-platform", "offscreen"} << QString();
    QTest::newRow("--data") << QStringList{"--data", "/x"} << QString();
    QTest::newRow("--version") << QStringList{"--version"}
                               << QStringLiteral("quillwen " QUILLWEN_VERSION "\n");
    QTest::newRow("--help after Qt's switch")
        << QStringList{"-platform", "offscreen", "--help"} << CommandLineUsage("quillwen");
    QTest::newRow("-h before --version")
        << QStringList{"--version", "-h"} << CommandLineUsage("quillwen");
  }
  void answersWithoutDisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, answer);
    const std::optional<CommandLineAnswer> got =
        AnswerWithoutDisplay(arguments, QStringLiteral("quillwen"));
    QCOMPARE(got.has_value(), !answer.isNull());
    if (!got) return;
    QCOMPARE(got->text, answer);
    QCOMPARE(got->exitCode, 0);
  }
};

QTEST_MAIN(SplashTest)
#include "splash_wnd_test.moc"
