#pragma once
// Who drives each board: the tests of its sites, or the setup dialog's play, live grab and manual panel.
// The two never drive one board at once. Sites of one board share it among themselves.
#include <array>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "hw_settings.h"

namespace hw {

class BoardLeases {
 public:
  // A site's test takes its board, waiting up to `waitMs` while the setup dialog holds it; false when the
  // dialog still holds it then (or the board is not one of 0..3).
  bool AcquireForSite(int board, int waitMs);
  void ReleaseForSite(int board);
  // The setup dialog takes a board; false while any site's test holds it.
  bool HoldForDialog(int board);
  void ReleaseForDialog(int board);
  bool DialogHolds(int board) const;
  bool AnySiteHolds() const;
  // Called (outside the lock) each time the last site lease of all boards is returned.
  void SetAllSitesIdle(std::function<void()> callback);

 private:
  mutable std::mutex mutex_;
  std::condition_variable released_;
  std::array<int, kBoardCount> sites_{};
  std::array<bool, kBoardCount> dialog_{};
  std::function<void()> allSitesIdle_;
};

// A site's lease for the length of one call or run.
class SiteLease {
 public:
  SiteLease(BoardLeases& leases, int board, int waitMs)
      : leases_(leases), board_(board), held_(leases.AcquireForSite(board, waitMs)) {}
  ~SiteLease() {
    if (held_) leases_.ReleaseForSite(board_);
  }
  SiteLease(const SiteLease&) = delete;
  SiteLease& operator=(const SiteLease&) = delete;
  bool Held() const { return held_; }

 private:
  BoardLeases& leases_;
  int board_;
  bool held_;
};

// How long a site's start waits for a board that the setup dialog holds.
inline constexpr int kSiteLeaseWaitMs = 3000;
// The site's line when it could not have its board.
inline constexpr const char* kBoardHeldByDialog = "USB ID [%d] is in use by the hardware setup dialog";

}  // namespace hw
