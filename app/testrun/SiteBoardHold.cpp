#include "SiteBoardHold.h"

#include "HardwareBoardLease.h"
#include "QRV_PlatformMemory.h"
#include "port/module.h"

SiteBoardHold::SiteBoardHold(const CQRV_LoadMemory& record, int board, int site, int waitMs) : m_nBoard(board) {
  const auto acquire = port::FindFunction<hwtable::AcquireBoard_Fn>(record.m_hHardware, "AcquireBoard");
  const auto release = port::FindFunction<hwtable::ReleaseBoard_Fn>(record.m_hHardware, "ReleaseBoard");
  if (acquire == nullptr || release == nullptr) return;
  if (acquire(board, site, waitMs) == 0) {
    m_bRefused = true;
    return;
  }
  m_release = release;
}

SiteBoardHold::~SiteBoardHold() {
  if (m_release != nullptr) m_release(m_nBoard);
}
