#pragma once
// A site's hold of its board for one run, through the hardware library's AcquireBoard and ReleaseBoard: while
// the site tests, the hardware setup dialog cannot drive the board, and a start on a board the dialog holds
// waits for it a while and is then refused. A station whose hardware library has no such exports holds
// nothing and refuses nothing.
class CQRV_LoadMemory;

class SiteBoardHold {
 public:
  // How long a start waits for the dialog to let the board go.
  static constexpr int kWaitMs = 3000;

  SiteBoardHold(const CQRV_LoadMemory& record, int board, int site, int waitMs = kWaitMs);
  ~SiteBoardHold();
  SiteBoardHold(const SiteBoardHold&) = delete;
  SiteBoardHold& operator=(const SiteBoardHold&) = delete;

  bool Refused() const { return m_bRefused; }

 private:
  using Release = void (*)(int board);
  Release m_release = nullptr;
  int m_nBoard;
  bool m_bRefused = false;
};
