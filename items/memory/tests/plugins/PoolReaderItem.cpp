// A test item that takes its frame memory from the shared pool, as the items after the pool item do:
// OnTest finds "USER_MEMORY" by name and writes a full sensor frame into each of the 16 frames.
#include <cstring>

#include "HardwareFunctionTable.h"
#include "QRV_InterFace_SW.h"
#include "QRV_ItemContract.h"

namespace {
CInterFace_SW* g_binder = nullptr;
HardwareFunctionTable* g_hardware = nullptr;
constexpr int kPoolFrames = 16;
}  // namespace

// The results of OnTest.
enum PoolReaderResult { kPoolUsed = 0, kPoolNotFound = 2, kPoolFrameMissing = 3 };

QRV_ITEM_EXPORT void Item_OnCreate(CInterFace_SW* binder, HardwareFunctionTable* hardware, ProtocolFunctionTable*,
                                   CQRV_LoadMemory*) {
  g_binder = binder;
  g_hardware = hardware;
}

QRV_ITEM_EXPORT void Item_OnDelete() {
  g_binder = nullptr;
  g_hardware = nullptr;
}

QRV_ITEM_EXPORT int OnSpecDlg(int) { return 1; }

QRV_ITEM_EXPORT int OnTest(int, int, int, int) {
  auto* const* frames = static_cast<unsigned char* const*>(g_binder->GetUserMemory("USER_MEMORY"));
  if (frames == nullptr) return kPoolNotFound;
  const std::size_t bytes = static_cast<std::size_t>(g_hardware->GetImageWidth()) *
                            static_cast<std::size_t>(g_hardware->GetImageHeight()) * 3;
  for (int slot = 0; slot < kPoolFrames; ++slot) {
    if (frames[slot] == nullptr) return kPoolFrameMissing;
    std::memset(frames[slot], 0xA5, bytes);
  }
  return kPoolUsed;
}
