// A test item for the records end-to-end test: its OnTest takes a few milliseconds, so that item times
// add up, and returns the code of coded::Code for the item number it was built with (CODED_ITEM).
#include "CodedItemRule.h"
#include "QRV_ItemContract.h"
#include "port/clock.h"

namespace {

constexpr int kItemMs = 3;

}  // namespace

QRV_ITEM_EXPORT void Item_OnCreate(CInterFace_SW*, HardwareFunctionTable*, ProtocolFunctionTable*, CQRV_LoadMemory*) {}
QRV_ITEM_EXPORT void Item_OnDelete() {}
QRV_ITEM_EXPORT int OnSpecDlg(int) { return 1; }

QRV_ITEM_EXPORT int OnTest(int, int site, int lotTotal, int) {
  port::clock::SleepMs(kItemMs);
  return coded::Code(CODED_ITEM, site, lotTotal);
}
