#pragma once

// The splash screen: a full-screen picture over the main window while it is
// built, gone at the first key or mouse button pressed anywhere in the program
// (the press is swallowed) or after 50 seconds. The picture is "splash.gif"
// (animated) or "splash.png" from the data folder, else the program's own.

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <chrono>

class QEvent;
class QLabel;
class QMovie;

class CSplashWnd : public QWidget {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kDefaultTimeout{50000};

  // The switch: the splash screen is shown only when it is set (off until
  // start-up reads the command line).
  static void EnableSplash(bool enable);
  static bool IsSplashEnabled();
  // Shows the splash screen over `parent` unless the switch is off or one is
  // already up.
  static void ShowSplash(QWidget* parent, const QString& dataFolder);
  // Offered every event before anything else sees it: true when the event
  // closed the splash screen and must go no further.
  static bool FilterSplashMessage(QObject* receiver, QEvent* event);
  static void HideSplash();
  // The splash screen that is up, or null.
  static CSplashWnd* Current();
  // Puts the splash screen that is up above its main window again (after the
  // main window was shown, where no window manager keeps owned windows on top).
  static void RaiseSplash();
  // How long the splash screen stays without input; tests shorten it.
  static void SetTimeout(std::chrono::milliseconds timeout);

  // The picture the splash screen shows for `dataFolder`'s files, for a still one.
  static QString PictureFile(const QString& dataFolder);

 protected:
  void timerEvent(QTimerEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  explicit CSplashWnd(QWidget* parent);
  ~CSplashWnd() override;
  bool Create(const QString& dataFolder);

  QMovie* m_movie = nullptr;  // an animated picture, else null
  QPixmap m_picture;          // a still picture
  QRect m_screenRect;
};

// Installed on the application: hands every event to the splash filter first.
class SplashMessageFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    return CSplashWnd::FilterSplashMessage(watched, event) || QObject::eventFilter(watched, event);
  }
};
