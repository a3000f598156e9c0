#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include "app/frame/book_app.h"
#include "app/frame/command_line.h"

namespace {

// With QUILLWEN_TRACE_STARTUP set, reports on standard error when the main
// window has been painted for the first time: the milliseconds since main()
// began and the wall clock, so that a script can add the process start.
class FirstPaintReporter : public QObject {
 public:
  explicit FirstPaintReporter(const QElapsedTimer& clock) : clock_(clock) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!reported_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
        qobject_cast<CMainFrame*>(static_cast<QWidget*>(watched)->window()) != nullptr) {
      reported_ = true;
      // The rest of this paint pass runs before the timer fires.
      QTimer::singleShot(0, this, [this] {
        QTextStream(stderr) << "first paint: " << clock_.elapsed() << " ms after main, at "
                            << QDateTime::currentMSecsSinceEpoch() << " ms since the epoch\n";
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  const QElapsedTimer& clock_;
  bool reported_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer clock;
  clock.start();
  {
    // Answered before the application object, which needs a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const QString program = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    if (const std::optional<CommandLineAnswer> answer = AnswerWithoutDisplay(arguments, program)) {
      QTextStream(stdout) << answer->text;
      return answer->exitCode;
    }
  }
  QApplication application(argc, argv);
  // Lets the desktop match the window to the installed entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(QUILLWEN_APP_ID));
  CBookApp book;
  std::unique_ptr<FirstPaintReporter> reporter;
  if (qEnvironmentVariableIsSet("QUILLWEN_TRACE_STARTUP")) {
    // Installed before the window exists so that its first paint is seen.
    reporter = std::make_unique<FirstPaintReporter>(clock);
    application.installEventFilter(reporter.get());
  }
  if (!book.InitInstance(QApplication::arguments().mid(1))) return book.ExitCode();
  return QApplication::exec();
}
