#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "port/export.h"

namespace port {

inline constexpr std::int64_t kInfinite = -1;

enum class WaitResult { Signaled, Timeout };

// An auto-reset or manual-reset event. An auto-reset event releases one waiter and resets itself;
// a manual-reset event stays set until Reset(). Time-outs are measured on port::clock (a wait that
// times out in virtual time advances the clock by the time-out).
class PORT_API Event {
 public:
  enum class Reset { Auto, Manual };
  explicit Event(Reset kind = Reset::Auto, bool initiallySet = false);
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void ResetEvent();
  WaitResult Wait(std::int64_t timeoutMs = kInfinite);
  bool IsSet() const;

 private:
  const bool manual_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool set_;
};

}  // namespace port
