#include "app/frame/splash_wnd.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QScreen>

#include "app/platform/program_resources.h"

namespace {

bool g_splashEnabled = false;
CSplashWnd* g_currentSplash = nullptr;
std::chrono::milliseconds g_timeout = CSplashWnd::kDefaultTimeout;

constexpr char kSplashMovieName[] = "splash.gif";
constexpr char kSplashPictureName[] = "splash.png";
constexpr char kBuiltInPicture[] = ":/splash.png";

bool ClosesSplash(QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress: {
      const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
      return button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton;
    }
    default:
      return false;
  }
}

}  // namespace

void CSplashWnd::EnableSplash(bool enable) { g_splashEnabled = enable; }
bool CSplashWnd::IsSplashEnabled() { return g_splashEnabled; }
CSplashWnd* CSplashWnd::Current() { return g_currentSplash; }
void CSplashWnd::RaiseSplash() {
  if (g_currentSplash != nullptr) g_currentSplash->raise();
}
void CSplashWnd::SetTimeout(std::chrono::milliseconds timeout) { g_timeout = timeout; }

QString CSplashWnd::PictureFile(const QString& dataFolder) {
  EnsureProgramResources();
  const QString own = QDir(dataFolder).filePath(QString::fromLatin1(kSplashPictureName));
  return QFileInfo::exists(own) ? own : QString::fromLatin1(kBuiltInPicture);
}

void CSplashWnd::ShowSplash(QWidget* parent, const QString& dataFolder) {
  if (!g_splashEnabled || g_currentSplash != nullptr) return;
  auto* splash = new CSplashWnd(parent);
  g_currentSplash = splash;
  if (!splash->Create(dataFolder)) {
    g_currentSplash = nullptr;
    delete splash;
    return;
  }
  splash->show();
  splash->raise();
  // Paint it now: the main window is built before the event loop runs.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

CSplashWnd::CSplashWnd(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  setCursor(Qt::ArrowCursor);
}

CSplashWnd::~CSplashWnd() {
  if (g_currentSplash == this) g_currentSplash = nullptr;
}

bool CSplashWnd::Create(const QString& dataFolder) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return false;
  m_screenRect = screen->geometry();
  setGeometry(m_screenRect);

  const QString movieFile = QDir(dataFolder).filePath(QString::fromLatin1(kSplashMovieName));
  if (QFileInfo::exists(movieFile)) {
    m_movie = new QMovie(movieFile, QByteArray(), this);
    if (m_movie->isValid()) {
      connect(m_movie, &QMovie::frameChanged, this, [this] { update(); });
      m_movie->start();
    } else {
      delete m_movie;
      m_movie = nullptr;
    }
  }
  if (m_movie == nullptr && !m_picture.load(PictureFile(dataFolder))) {
    m_picture.load(QString::fromLatin1(kBuiltInPicture));  // a damaged picture of the data folder
  }
  if (m_movie == nullptr && m_picture.isNull()) return false;
  startTimer(g_timeout);
  return true;
}

void CSplashWnd::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPixmap frame = m_movie != nullptr ? m_movie->currentPixmap() : m_picture;
  painter.fillRect(rect(), QColor(24, 36, 30));
  if (frame.isNull()) return;
  // Centred, shrunk to fit a small screen but never enlarged.
  QSize size = frame.size();
  if (size.width() > width() || size.height() > height())
    size.scale(this->size(), Qt::KeepAspectRatio);
  const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(target, frame);
}

void CSplashWnd::timerEvent(QTimerEvent*) { HideSplash(); }

bool CSplashWnd::FilterSplashMessage(QObject*, QEvent* event) {
  if (g_currentSplash == nullptr) return false;
  // A key that would trigger a shortcut is claimed first, so that its press
  // arrives here and is swallowed like any other.
  if (event->type() == QEvent::ShortcutOverride) {
    event->accept();
    return true;
  }
  if (!ClosesSplash(event)) return false;
  HideSplash();
  return true;
}

void CSplashWnd::HideSplash() {
  CSplashWnd* splash = g_currentSplash;
  if (splash == nullptr) return;
  g_currentSplash = nullptr;
  if (splash->m_movie != nullptr) splash->m_movie->stop();
  QWidget* owner = splash->parentWidget();
  splash->hide();
  splash->deleteLater();
  if (owner != nullptr) owner->update();
}
