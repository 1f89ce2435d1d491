// A user-spec library: of the item entry points only Item_OnCreate and, unless built without it, OnSpecDlg;
// or, built without creation, neither. It counts its creations and opened settings windows.
#include <atomic>

#include "QRV_ItemContract.h"

namespace {
std::atomic<int> g_created{0};
std::atomic<int> g_specCalls{0};
}  // namespace

#ifndef USER_SPEC_WITHOUT_CREATE
QRV_ITEM_EXPORT void Item_OnCreate(CInterFace_SW*, HardwareFunctionTable*, ProtocolFunctionTable*, CQRV_LoadMemory*) {
  ++g_created;
}
#endif

#ifndef USER_SPEC_WITHOUT_SETTINGS
QRV_ITEM_EXPORT int OnSpecDlg(int) {
  ++g_specCalls;
  return 1;
}
#endif

QRV_ITEM_EXPORT int UserSpec_Created() { return g_created.load(); }
QRV_ITEM_EXPORT int UserSpec_SpecCalls() { return g_specCalls.load(); }
