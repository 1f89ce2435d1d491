#include "board_lease.h"

#include <algorithm>
#include <chrono>

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
  std::function<void()> idle;
  {
    const std::lock_guard lock(mutex_);
    if (sites_[board] == 0) return;
    --sites_[board];
    if (std::all_of(sites_.begin(), sites_.end(), [](int n) { return n == 0; })) idle = allSitesIdle_;
  }
  released_.notify_all();
  if (idle) idle();
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

bool BoardLeases::AnySiteHolds() const {
  const std::lock_guard lock(mutex_);
  return std::any_of(sites_.begin(), sites_.end(), [](int n) { return n > 0; });
}

void BoardLeases::SetAllSitesIdle(std::function<void()> callback) {
  const std::lock_guard lock(mutex_);
  allSitesIdle_ = std::move(callback);
}

}  // namespace hw
