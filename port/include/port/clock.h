#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include "port/export.h"

// The one clock of the station. Tests can switch it to virtual time, where a sleep or a busy wait
// advances the clock at once, so a 300 s firmware time-out runs in microseconds.
namespace port::clock {

using Duration = std::chrono::nanoseconds;
using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

PORT_API TimePoint Now();
PORT_API void Sleep(Duration d);
PORT_API void SleepMs(std::int64_t ms);
// A short wait measured on the clock (busy in real time, instant in virtual time).
PORT_API void BusyWait(Duration d);
// A wait as exact as a busy wait that sleeps through all but its last fifth of a millisecond, so that sites waiting
// for their modules at once leave the processor to those that work.
PORT_API void PreciseWait(Duration d);

PORT_API void UseVirtualTime(bool on);
PORT_API bool IsVirtual();
// Moves virtual time forward; no effect in real time.
PORT_API void Advance(Duration d);

inline std::int64_t ElapsedMs(TimePoint since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Now() - since).count();
}

// Wall-clock local time, broken down, for stamps and log file names.
struct LocalTime {
  int year, month, day, hour, minute, second, millisecond;
};
PORT_API LocalTime NowLocal();

// Scoped switch to virtual time for a test.
class VirtualTimeScope {
 public:
  VirtualTimeScope() { UseVirtualTime(true); }
  ~VirtualTimeScope() { UseVirtualTime(false); }
  VirtualTimeScope(const VirtualTimeScope&) = delete;
  VirtualTimeScope& operator=(const VirtualTimeScope&) = delete;
};

}  // namespace port::clock
