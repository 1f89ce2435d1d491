// The simulated-module test item: runs one camera module through its board on every start of a site and
// shows its last frame in the site's view. Every site tests the module on its own channel of its board, so all
// sites run at once.
#include <memory>
#include <mutex>
#include <optional>

#include "ModuleSettings.h"
#include "ModuleTest.h"
#include "QRV_InterFace_SW.h"
#include "QRV_ItemContract.h"
#include "QRV_PlatformMemory.h"
#include "ResultCodes.h"

namespace {

constexpr int kBoards = 4;

struct ItemState {
  std::mutex lock;
  module_item::Platform platform;
  std::optional<module_item::ModuleSettings> settings;
};

ItemState& State() {
  static ItemState state;
  return state;
}

bool PlatformComplete(const module_item::Platform& p) {
  return p.binder != nullptr && p.hardware != nullptr && p.record != nullptr;
}

}  // namespace

QRV_ITEM_EXPORT void Item_OnCreate(CInterFace_SW* binder, HardwareFunctionTable* hardware, ProtocolFunctionTable*,
                                   CQRV_LoadMemory* record) {
  ItemState& state = State();
  std::lock_guard lock(state.lock);
  state.platform = {binder, hardware, record};
  state.settings.reset();
  if (record != nullptr) state.settings = module_item::ReadModuleSettings(*record);
}

QRV_ITEM_EXPORT void Item_OnDelete() {
  ItemState& state = State();
  std::lock_guard lock(state.lock);
  state.platform = {};
  state.settings.reset();
}

QRV_ITEM_EXPORT int OnSpecDlg(int) { return 1; }

QRV_ITEM_EXPORT int OnTest(int, int site, int, int) {
  ItemState& state = State();
  module_item::Platform platform;
  const module_item::ModuleSettings* settings = nullptr;
  {
    std::lock_guard lock(state.lock);
    platform = state.platform;
    if (state.settings) settings = &*state.settings;
  }
  if (!PlatformComplete(platform) || settings == nullptr || site < 0 || site >= module_item::kSites)
    return module_item::kNoPlatform;
  const int board = settings->siteBoard[static_cast<std::size_t>(site)];
  if (board < 0 || board >= kBoards) return module_item::kNoPlatform;
  return module_item::ModuleTest(platform, *settings, board, site).Run();
}

// The entry points keep the types the host binds them with.
namespace {
[[maybe_unused]] constexpr Item_OnCreate_Fn kOnCreateChecked = &Item_OnCreate;
[[maybe_unused]] constexpr Item_OnDelete_Fn kOnDeleteChecked = &Item_OnDelete;
[[maybe_unused]] constexpr ItemOnSpecDlg_Fn kOnSpecDlgChecked = &OnSpecDlg;
[[maybe_unused]] constexpr OnTest_Fn kOnTestChecked = &OnTest;
}  // namespace
