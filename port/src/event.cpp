#include "port/event.h"

#include "port/clock.h"

namespace port {

Event::Event(Reset kind, bool initiallySet) : manual_(kind == Reset::Manual), set_(initiallySet) {}

void Event::Set() {
  {
    const std::lock_guard lock(mutex_);
    set_ = true;
  }
  if (manual_) {
    cv_.notify_all();
  } else {
    cv_.notify_one();
  }
}

void Event::ResetEvent() {
  const std::lock_guard lock(mutex_);
  set_ = false;
}

WaitResult Event::Wait(std::int64_t timeoutMs) {
  std::unique_lock lock(mutex_);
  const auto signalled = [this] { return set_; };
  if (timeoutMs < 0) {
    cv_.wait(lock, signalled);
  } else if (!set_) {
    const auto timeout = std::chrono::milliseconds(timeoutMs);
    if (clock::IsVirtual()) {
      // Nothing can happen during a wait in virtual time: it times out at once and the clock moves on.
      clock::Advance(timeout);
      return WaitResult::Timeout;
    }
    if (!cv_.wait_for(lock, timeout, signalled)) return WaitResult::Timeout;
  }
  if (!manual_) set_ = false;
  return WaitResult::Signaled;
}

bool Event::IsSet() const {
  const std::lock_guard lock(mutex_);
  return set_;
}

}  // namespace port
