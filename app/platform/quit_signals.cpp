#include "app/platform/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

namespace {

// The pipe's write end, for the handler; -1 while no notifier catches.
std::atomic<int> g_writeEnd{-1};

extern "C" void OnQuitSignal(int signal) {
  // Only what is safe inside a signal handler: one write, errno kept.
  const int savedErrno = errno;
  const int fd = g_writeEnd.load(std::memory_order_relaxed);
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a byte that will be read: nothing is lost.
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  }
  errno = savedErrno;
}

}  // namespace

QuitSignalNotifier::QuitSignalNotifier(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
  if (g_writeEnd.load() >= 0) return;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  m_readEnd = ends[0];
  m_writeEnd = ends[1];
  g_writeEnd.store(m_writeEnd);
  m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignalNotifier::OnReadable);
  struct sigaction action {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  // Calls the handler interrupts go on, as if nothing had happened.
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kQuitSignals.size(); ++i)
    ::sigaction(kQuitSignals[i], &action, &m_previous[i]);
}

QuitSignalNotifier::~QuitSignalNotifier() {
  if (m_notifier == nullptr) return;
  for (size_t i = 0; i < kQuitSignals.size(); ++i)
    ::sigaction(kQuitSignals[i], &m_previous[i], nullptr);
  g_writeEnd.store(-1);
  delete m_notifier;
  ::close(m_readEnd);
  ::close(m_writeEnd);
}

void QuitSignalNotifier::OnReadable() {
  unsigned char bytes[64];
  int last = 0;
  for (;;) {
    const ssize_t got = ::read(m_readEnd, bytes, sizeof bytes);
    if (got > 0) {
      last = bytes[got - 1];
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    break;  // empty (EAGAIN) or closed
  }
  if (last != 0 && m_onSignal) m_onSignal(last);
}
