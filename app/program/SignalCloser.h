#pragma once
// SIGTERM and SIGINT (a service manager, Ctrl-C) end the station the way closing its window does: the signal
// handler only writes to a pipe, and the UI thread, woken by it, runs the close it was given. The ordered
// shutdown then stops the handler servers, finishes the running items and writes every log and count.
// A second signal during that shutdown ends the program at once; a signal ignored at start stays ignored.
#include <QObject>
#include <functional>

class QSocketNotifier;

class SignalCloser : public QObject {
 public:
  // Installs the handlers; a signal that comes before SetClose is acted on once the event loop runs.
  SignalCloser();
  ~SignalCloser() override;
  SignalCloser(const SignalCloser&) = delete;
  SignalCloser& operator=(const SignalCloser&) = delete;

  void SetClose(std::function<void()> close);

 private:
  void OnSignal();

  std::function<void()> m_close;
  bool m_pending = false;
  QSocketNotifier* m_notifier = nullptr;
};
