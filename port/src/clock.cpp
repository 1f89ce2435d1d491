#include "port/clock.h"

#include <atomic>
#include <ctime>
#include <thread>

namespace port::clock {
namespace {

std::atomic<bool> virtualMode{false};
std::atomic<std::int64_t> virtualNs{0};

TimePoint RealNow() { return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now()); }

}  // namespace

TimePoint Now() {
  if (virtualMode.load(std::memory_order_acquire)) return TimePoint(Duration(virtualNs.load()));
  return RealNow();
}

void Sleep(Duration d) {
  if (d <= Duration::zero()) return;
  if (IsVirtual()) {
    Advance(d);
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(d);
}

void SleepMs(std::int64_t ms) { Sleep(std::chrono::milliseconds(ms)); }

void BusyWait(Duration d) {
  if (IsVirtual()) {
    Advance(d);
    return;
  }
  const TimePoint until = RealNow() + d;
  while (RealNow() < until) std::this_thread::yield();
}

void PreciseWait(Duration d) {
  constexpr Duration kSpin = std::chrono::microseconds(200);
  const TimePoint until = Now() + d;
  if (d > kSpin) Sleep(d - kSpin);
  if (const Duration left = until - Now(); left > Duration::zero()) BusyWait(left);
}

void UseVirtualTime(bool on) {
  if (on == virtualMode.load()) return;
  // Virtual time starts at the real time, so time points taken before the switch stay comparable.
  if (on) virtualNs.store(RealNow().time_since_epoch().count());
  virtualMode.store(on, std::memory_order_release);
}

bool IsVirtual() { return virtualMode.load(std::memory_order_acquire); }

void Advance(Duration d) {
  if (IsVirtual() && d > Duration::zero()) virtualNs.fetch_add(d.count());
}

LocalTime NowLocal() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm parts{};
  localtime_r(&seconds, &parts);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                   parts.tm_min,         parts.tm_sec,     static_cast<int>(ms)};
}

}  // namespace port::clock
