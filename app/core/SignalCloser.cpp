#include "SignalCloser.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT};
// One pair per process: [0] read by the UI thread, [1] written by the handler.
int g_pipe[2] = {-1, -1};

extern "C" void WriteSignalToPipe(int signal) {
  const int savedErrno = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = write(g_pipe[1], &number, 1);
  errno = savedErrno;
}

}  // namespace

SignalCloser::SignalCloser() {
  if (g_pipe[0] >= 0 || socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_pipe) != 0) {
    std::fprintf(stderr, "Signal handlers not installed: %s\n",
                 g_pipe[0] >= 0 ? "already installed" : std::strerror(errno));
    return;
  }
  m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, [this] { OnSignal(); });
  struct sigaction action {};
  action.sa_handler = WriteSignalToPipe;
  sigemptyset(&action.sa_mask);
  // The second signal takes the default action: a shutdown that hangs can still be ended.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (const int signal : kSignals) sigaction(signal, &action, nullptr);
}

SignalCloser::~SignalCloser() {
  if (m_notifier == nullptr) return;
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (const int signal : kSignals) sigaction(signal, &action, nullptr);
  delete m_notifier;
  m_notifier = nullptr;
  close(g_pipe[0]);
  close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void SignalCloser::SetClose(std::function<void()> close) {
  m_close = std::move(close);
  // A signal that came during start-up closes the window once its event loop runs.
  if (m_pending) QTimer::singleShot(0, this, [this] { m_close(); });
}

void SignalCloser::OnSignal() {
  unsigned char number = 0;
  while (read(g_pipe[0], &number, 1) == 1) {
    std::fprintf(stderr, "Signal %d: the station closes in order\n", number);
    m_pending = true;
  }
  if (m_pending && m_close) m_close();
}
