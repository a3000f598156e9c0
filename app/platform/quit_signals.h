#pragma once

// The signals that end a desktop session's programs: SIGTERM (a logout or a
// shutdown), SIGHUP (the terminal that started the reader goes) and SIGINT
// (Ctrl+C in it). Left to their default, they end the process on the spot and
// everything the reader keeps at its end is lost. Here a signal only writes a
// byte to a pipe; the user-interface thread reads it and is told, so that the
// program can end as its exit command does.

#include <QObject>
#include <array>
#include <csignal>
#include <functional>

class QSocketNotifier;

inline constexpr std::array<int, 3> kQuitSignals = {SIGTERM, SIGHUP, SIGINT};

class QuitSignalNotifier : public QObject {
  Q_OBJECT

 public:
  // Catches kQuitSignals until destroyed, when their earlier handling comes
  // back. `onSignal` runs on this object's thread, once for the signals that
  // arrived since it last ran, with the last of them. One notifier at a time:
  // a second one catches nothing (IsCatching is false).
  explicit QuitSignalNotifier(std::function<void(int signal)> onSignal, QObject* parent = nullptr);
  ~QuitSignalNotifier() override;
  QuitSignalNotifier(const QuitSignalNotifier&) = delete;
  QuitSignalNotifier& operator=(const QuitSignalNotifier&) = delete;

  bool IsCatching() const { return m_notifier != nullptr; }

 private:
  void OnReadable();

  std::function<void(int)> m_onSignal;
  int m_readEnd = -1;
  int m_writeEnd = -1;
  QSocketNotifier* m_notifier = nullptr;  // a child
  std::array<struct sigaction, kQuitSignals.size()> m_previous{};
};
