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
  // The setup dialog takes a board (its workers and its panel may hold it together); false while any
  // site's test holds it.
  bool HoldForDialog(int board);
  void ReleaseForDialog(int board);
  bool DialogHolds(int board) const;
  // HW Init and HW Close: the dialog takes every board at once; the first board a site's test holds
  // (and none taken), or -1 when it has them all.
  int HoldAllForDialog();
  void ReleaseAllForDialog();
  // Runs `action` at once when no site's test holds the board, else when its last site lets it go (an
  // earlier waiting action is dropped); true when it ran at once. It runs under the leases' lock, so no
  // site takes the board in between: it must be short and must not call back into the leases.
  bool WhenSitesFree(int board, std::function<void()> action);

 private:
  mutable std::mutex mutex_;
  std::condition_variable released_;
  std::array<int, kBoardCount> sites_{};
  std::array<int, kBoardCount> dialog_{};
  std::array<std::function<void()>, kBoardCount> whenFree_;
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

// The setup dialog's hold for the length of one operation.
class DialogHold {
 public:
  DialogHold(BoardLeases& leases, int board) : leases_(leases), board_(board), held_(leases.HoldForDialog(board)) {}
  ~DialogHold() {
    if (held_) leases_.ReleaseForDialog(board_);
  }
  DialogHold(const DialogHold&) = delete;
  DialogHold& operator=(const DialogHold&) = delete;
  bool Held() const { return held_; }

 private:
  BoardLeases& leases_;
  int board_;
  bool held_;
};

// The setup dialog's hold of every board for one operation.
class DialogHoldAll {
 public:
  explicit DialogHoldAll(BoardLeases& leases) : leases_(leases), siteBoard_(leases.HoldAllForDialog()) {}
  ~DialogHoldAll() {
    if (Held()) leases_.ReleaseAllForDialog();
  }
  DialogHoldAll(const DialogHoldAll&) = delete;
  DialogHoldAll& operator=(const DialogHoldAll&) = delete;
  bool Held() const { return siteBoard_ < 0; }
  // The board a site's test holds when the hold failed.
  int SiteBoard() const { return siteBoard_; }

 private:
  BoardLeases& leases_;
  int siteBoard_;
};

// How long a site's start waits for a board that the setup dialog holds.
inline constexpr int kSiteLeaseWaitMs = 3000;
// The site's line when it could not have its board.
inline constexpr const char* kBoardHeldByDialog = "USB ID [%d] is in use by the hardware setup dialog";
// The setup dialog's line when a site's test holds the board.
inline constexpr const char* kBoardHeldBySite = "USB ID [%d] is in use by a site's test";

}  // namespace hw
