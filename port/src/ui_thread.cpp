#include "port/ui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace port::ui {
namespace {

std::atomic<bool> closing{false};

// The receiver of calls for the UI thread; it lives there and clears itself when the application ends.
class Dispatcher : public QObject {
 public:
  ~Dispatcher() override;
};

std::mutex dispatcherMutex;
Dispatcher* dispatcher = nullptr;

Dispatcher::~Dispatcher() {
  const std::lock_guard lock(dispatcherMutex);
  if (dispatcher == this) dispatcher = nullptr;
}

// Queues a call to the UI thread; false when there is no dispatcher (any more).
template <typename Fn>
bool Queue(Fn&& call) {
  const std::lock_guard lock(dispatcherMutex);
  if (!dispatcher) return false;
  QMetaObject::invokeMethod(dispatcher, std::forward<Fn>(call), Qt::QueuedConnection);
  return true;
}

// One Send between a worker and the UI thread. The worker may stop waiting only while the call has not
// started: the call refers to the worker's stack, so once running it must be waited for.
struct PendingCall {
  enum class Stage { Queued, Running, Done, Abandoned };
  std::mutex mutex;
  std::condition_variable changed;
  Stage stage = Stage::Queued;
};

bool SendQueued(const std::function<void()>& call) {
  auto pending = std::make_shared<PendingCall>();
  const bool queued = Queue([pending, &call] {
    {
      const std::lock_guard lock(pending->mutex);
      if (pending->stage == PendingCall::Stage::Abandoned) return;
      pending->stage = PendingCall::Stage::Running;
    }
    call();
    const std::lock_guard lock(pending->mutex);
    pending->stage = PendingCall::Stage::Done;
    pending->changed.notify_all();
  });
  if (!queued) return false;

  std::unique_lock lock(pending->mutex);
  // Polled, so that closing the station or losing the dispatcher releases the worker.
  constexpr auto kPoll = std::chrono::milliseconds(20);
  while (pending->stage != PendingCall::Stage::Done) {
    pending->changed.wait_for(lock, kPoll);
    const bool giveUp = IsClosing() || !HasDispatcher();
    if (giveUp && pending->stage == PendingCall::Stage::Queued) {
      pending->stage = PendingCall::Stage::Abandoned;
      return false;
    }
  }
  return true;
}

}  // namespace

bool HasDispatcher() {
  const std::lock_guard lock(dispatcherMutex);
  return dispatcher != nullptr;
}

void InstallDispatcher() {
  auto* app = QCoreApplication::instance();
  if (!app || app->thread() != QThread::currentThread()) return;
  const std::lock_guard lock(dispatcherMutex);
  if (dispatcher) return;
  dispatcher = new Dispatcher;
  dispatcher->setParent(app);  // deleted with the application object
}

bool IsUiThread() {
  {
    const std::lock_guard lock(dispatcherMutex);
    if (dispatcher) return dispatcher->thread() == QThread::currentThread();
  }
  const auto* app = QCoreApplication::instance();
  return app && app->thread() == QThread::currentThread();
}

bool Send(const std::function<void()>& call) {
  if (!call) return false;
  if (IsUiThread() || !HasDispatcher()) {
    call();
    return true;
  }
  if (IsClosing()) return false;
  return SendQueued(call);
}

void Post(std::function<void()> call) {
  if (!call) return;
  if (!Queue(call)) call();
}

void SetClosing(bool on) { closing.store(on); }

bool IsClosing() { return closing.load(); }

}  // namespace port::ui
