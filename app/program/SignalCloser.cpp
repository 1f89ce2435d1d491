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

void SetDisposition(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

// Only async-signal-safe calls. After the first signal both take their default action again, so a shutdown
// that hangs can still be ended.
extern "C" void WriteSignalToPipe(int signal) {
  const int savedErrno = errno;
  for (const int handled : kSignals) SetDisposition(handled, SIG_DFL);
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = write(g_pipe[1], &number, 1);
  errno = savedErrno;
}

// A signal the starting process ignores (a background job's SIGINT) stays ignored.
bool Ignored(int signal) {
  struct sigaction current {};
  return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
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
  for (const int signal : kSignals)
    if (!Ignored(signal)) SetDisposition(signal, WriteSignalToPipe);
}

SignalCloser::~SignalCloser() {
  if (m_notifier == nullptr) return;
  for (const int signal : kSignals)
    if (!Ignored(signal)) SetDisposition(signal, SIG_DFL);
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
