// The resistance-meter item: switches the relay board through every enabled channel and test point and
// logs the meter's resistance for each to the daily HIOKI CSV. It judges no value: a run fails only when
// an instrument does not answer.
#include <memory>
#include <mutex>

#include "QRV_ItemContract.h"
#include "QRV_PlatformMemory.h"
#include "RmtItem.h"

namespace {

struct ItemState {
  std::mutex lock;
  std::unique_ptr<RmtItem> item;
};

ItemState& State() {
  static ItemState state;
  return state;
}

}  // namespace

QRV_ITEM_EXPORT int Item_OnCreate(CInterFace_SW*, HardwareFunctionTable*, ProtocolFunctionTable*,
                                  CQRV_LoadMemory* record) {
  ItemState& state = State();
  std::lock_guard lock(state.lock);
  if (record == nullptr) return 0;
  state.item = std::make_unique<RmtItem>(record);
  return state.item->CreateItemAndConnect();
}

QRV_ITEM_EXPORT void Item_OnDelete() {
  ItemState& state = State();
  std::lock_guard lock(state.lock);
  state.item.reset();
}

QRV_ITEM_EXPORT int OnSpecDlg(int) { return 1; }

QRV_ITEM_EXPORT int OnTest(int, int, int, int) {
  ItemState& state = State();
  std::lock_guard lock(state.lock);
  return state.item ? state.item->OnTest() : kRmtNotReady;
}
