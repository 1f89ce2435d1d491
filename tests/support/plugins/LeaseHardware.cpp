// A hardware library with only the board leases, for the site runner's tests: the test makes the setup
// dialog hold a board (LeaseHardware_HoldForDialog) and lets it go again; a site's AcquireBoard waits for it
// up to its time and refuses after that, as the real library does. The leases a site holds are counted.
#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <type_traits>

#include "HardwareBoardLease.h"
#include "QRV_Types.h"

namespace {

constexpr int kBoards = 4;

std::mutex g_lock;
std::condition_variable g_changed;
std::array<bool, kBoards> g_dialog{};
std::array<int, kBoards> g_sites{};
int g_refusals = 0;

bool IsBoard(int board) { return board >= 0 && board < kBoards; }

}  // namespace

QRV_EXPORT int AcquireBoard(int board, int, int waitMs) {
  if (!IsBoard(board)) return 0;
  std::unique_lock lock(g_lock);
  if (!g_changed.wait_for(lock, std::chrono::milliseconds(waitMs), [board] { return !g_dialog[board]; })) {
    ++g_refusals;
    return 0;
  }
  ++g_sites[board];
  g_changed.notify_all();
  return 1;
}

QRV_EXPORT void ReleaseBoard(int board) {
  if (!IsBoard(board)) return;
  const std::lock_guard lock(g_lock);
  if (g_sites[board] > 0) --g_sites[board];
  g_changed.notify_all();
}

QRV_EXPORT void LeaseHardware_HoldForDialog(int board, int hold) {
  const std::lock_guard lock(g_lock);
  g_dialog[board] = hold != 0;
  g_changed.notify_all();
}

QRV_EXPORT int LeaseHardware_SiteLeases(int board) {
  const std::lock_guard lock(g_lock);
  return g_sites[board];
}

QRV_EXPORT int LeaseHardware_Refusals() {
  const std::lock_guard lock(g_lock);
  return g_refusals;
}

static_assert(std::is_same_v<decltype(&AcquireBoard), hwtable::AcquireBoard_Fn>);
static_assert(std::is_same_v<decltype(&ReleaseBoard), hwtable::ReleaseBoard_Fn>);
