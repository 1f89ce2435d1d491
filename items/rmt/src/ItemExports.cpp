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

// The host calls the create and delete hooks with no other entry point of the item running, and keeps the
// item loaded while one runs: the entry points take the item under the lock and use it unlocked, so a test
// run never holds up the settings window, and a message box of the connection finds the lock free.
QRV_ITEM_EXPORT int Item_OnCreate(CInterFace_SW*, HardwareFunctionTable*, ProtocolFunctionTable*,
                                  CQRV_LoadMemory* record) {
  if (record == nullptr) return 0;
  RmtItem* item = nullptr;
  {
    ItemState& state = State();
    std::lock_guard lock(state.lock);
    if (state.dialog != nullptr) state.dialog->SetItem(nullptr, nullptr);
    state.item = std::make_unique<RmtItem>(record);
    item = state.item.get();
    if (state.dialog == nullptr && QApplication::instance() != nullptr)
      state.dialog = std::make_unique<CSpecDlg>(item, record);
    else if (state.dialog != nullptr)
      state.dialog->SetItem(item, record);
  }
  return item->CreateItemAndConnect();
}

QRV_ITEM_EXPORT void Item_OnDelete() {
  ItemState& state = State();
  std::lock_guard lock(state.lock);
  if (state.dialog != nullptr) state.dialog->SetItem(nullptr, nullptr);
  state.item.reset();
  state.dialog.reset();
}

QRV_ITEM_EXPORT int OnSpecDlg(int) {
  CSpecDlg* dialog = nullptr;
  {
    ItemState& state = State();
    std::lock_guard lock(state.lock);
    dialog = state.dialog.get();
  }
  if (dialog != nullptr) port::ui::Send([dialog] {
      dialog->hide();
      dialog->show();
      dialog->raise();
      dialog->activateWindow();
    });
  return 1;
}

QRV_ITEM_EXPORT int OnTest(int, int, int, int) {
  RmtItem* item = nullptr;
  {
    ItemState& state = State();
    std::lock_guard lock(state.lock);
    item = state.item.get();
  }
  return item != nullptr ? item->OnTest() : kRmtNotReady;
}
