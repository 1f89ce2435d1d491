#include "board_lease.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace hw {

bool BoardLeases::AcquireForSite(int board, int waitMs) {
  if (!IsValidBoard(board)) return false;
  std::unique_lock lock(mutex_);
  const bool free = released_.wait_for(lock, std::chrono::milliseconds(std::max(waitMs, 0)),
                                       [&] { return dialog_[board] == 0; });
  if (!free) return false;
  ++sites_[board];
  return true;
}

void BoardLeases::ReleaseForSite(int board) {
  if (!IsValidBoard(board)) return;
  {
    const std::lock_guard lock(mutex_);
    if (sites_[board] == 0) return;
    if (--sites_[board] == 0 && whenFree_[board]) std::exchange(whenFree_[board], nullptr)();
  }
  released_.notify_all();
}

bool BoardLeases::HoldForDialog(int board) {
  if (!IsValidBoard(board)) return false;
  const std::lock_guard lock(mutex_);
  if (sites_[board] > 0) return false;
  ++dialog_[board];
  return true;
}

void BoardLeases::ReleaseForDialog(int board) {
  if (!IsValidBoard(board)) return;
  {
    const std::lock_guard lock(mutex_);
    if (dialog_[board] > 0) --dialog_[board];
  }
  released_.notify_all();
}

bool BoardLeases::DialogHolds(int board) const {
  const std::lock_guard lock(mutex_);
  return IsValidBoard(board) && dialog_[board] > 0;
}

int BoardLeases::HoldAllForDialog() {
  const std::lock_guard lock(mutex_);
  const auto held = std::find_if(sites_.begin(), sites_.end(), [](int n) { return n > 0; });
  if (held != sites_.end()) return static_cast<int>(held - sites_.begin());
  for (int& holds : dialog_) ++holds;
  return -1;
}

void BoardLeases::ReleaseAllForDialog() {
  {
    const std::lock_guard lock(mutex_);
    for (int& holds : dialog_) {
      if (holds > 0) --holds;
    }
  }
  released_.notify_all();
}

bool BoardLeases::WhenSitesFree(int board, std::function<void()> action) {
  if (!IsValidBoard(board)) return false;
  const std::lock_guard lock(mutex_);
  if (sites_[board] > 0) {
    whenFree_[board] = std::move(action);
    return false;
  }
  whenFree_[board] = nullptr;
  action();
  return true;
}

}  // namespace hw
