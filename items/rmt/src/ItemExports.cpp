// The resistance-meter item: switches the relay board through every enabled channel and test point and
// logs the meter's resistance for each to the daily HIOKI CSV. It judges no value: a run fails only when
// an instrument does not answer.
#include <QApplication>
#include <memory>
#include <mutex>

#include "QRV_ItemContract.h"
#include "QRV_PlatformMemory.h"
#include "RmtItem.h"
#include "SpecDlg.h"
#include "port/ui_thread.h"

namespace {

struct ItemState {
  std::mutex lock;
  std::unique_ptr<RmtItem> item;
  std::unique_ptr<CSpecDlg> dialog;  // made by the first Item_OnCreate of a process with a screen
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
  if (state.dialog != nullptr) state.dialog->SetItem(nullptr, nullptr);
  state.item = std::make_unique<RmtItem>(record);
  if (state.dialog == nullptr && QApplication::instance() != nullptr)
    state.dialog = std::make_unique<CSpecDlg>(state.item.get(), record);
  else if (state.dialog != nullptr)
    state.dialog->SetItem(state.item.get(), record);
  return state.item->CreateItemAndConnect();
}

QRV_ITEM_EXPORT void Item_OnDelete() {
  ItemState& state = State();
  std::lock_guard lock(state.lock);
  state.dialog.reset();
  state.item.reset();
}

QRV_ITEM_EXPORT int OnSpecDlg(int) {
  CSpecDlg* dialog = nullptr;
  {
    ItemState& state = State();
    std::lock_guard lock(state.lock);
    dialog = state.dialog.get();
  }
  // The host keeps the item loaded while an entry point runs, so the window outlives this call.
  if (dialog != nullptr) port::ui::Send([dialog] {
      dialog->hide();
      dialog->show();
      dialog->raise();
      dialog->activateWindow();
    });
  return 1;
}

QRV_ITEM_EXPORT int OnTest(int, int, int, int) {
  ItemState& state = State();
  std::lock_guard lock(state.lock);
  return state.item ? state.item->OnTest() : kRmtNotReady;
}
