// The frame-buffer pool item: on its first run it allocates sixteen frames of the sensor's size and publishes
// them under "USER_MEMORY", so that the items after it take their frame memory from there. It measures
// nothing and passes whenever the pool exists.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "FramePool.h"
#include "HardwareFunctionTable.h"
#include "QRV_InterFace_SW.h"
#include "QRV_ItemContract.h"
#include "QRV_PictureLimit.h"
#include "QRV_PlatformMemory.h"
#include "SpecDlg.h"
#include "port/text.h"
#include "port/ui_thread.h"

namespace {

constexpr char kPoolName[] = "USER_MEMORY";
constexpr int kBytesPerPixel = 3;
// OnTest's code when the pool could not be made; the platform counts any code but 0 as a failure.
constexpr int kFramePoolNotCreated = 1;

// One instance serves every site, so the pointers and the pool are guarded: two first runs on two site
// threads must publish one pool, not leak one of two.
struct ItemState {
  std::mutex lock;
  CInterFace_SW* binder = nullptr;
  HardwareFunctionTable* hardware = nullptr;
  ProtocolFunctionTable* protocol = nullptr;
  CQRV_LoadMemory* record = nullptr;
  std::unique_ptr<CSpecDlg> dialog;
  std::unique_ptr<FramePoolStorage> pool;
};

ItemState& State() {
  static ItemState state;
  return state;
}

void Log(const ItemState& state, const std::string& text) {
  if (state.record != nullptr && state.record->SetLog != nullptr)
    state.record->SetLog(0, "%s", text.c_str());
  else
    std::fprintf(stderr, "InitMemoryItem: %s\n", text.c_str());
}

bool HasSensorSize(const HardwareFunctionTable* hardware) {
  return hardware != nullptr && hardware->GetImageHeight != nullptr && hardware->GetImageWidth != nullptr &&
         hardware->GetDataFormat != nullptr && hardware->GetImageSize != nullptr;
}

// Caller holds state.lock.
int CreateFramePool(ItemState& state) {
  if (!HasSensorSize(state.hardware)) {
    Log(state, "InitMemoryItem : no hardware table, frame pool not created");
    return kFramePoolNotCreated;
  }
  if (state.binder == nullptr || state.binder->SetUserMemory == nullptr) {
    Log(state, "InitMemoryItem : no image library, frame pool not created");
    return kFramePoolNotCreated;
  }
  const int height = state.hardware->GetImageHeight();
  const int width = state.hardware->GetImageWidth();
  const int bits = state.hardware->GetDataFormat();
  const int imageSize = state.hardware->GetImageSize(bits, width, height);
  // A sensor of no size gets empty frames; a negative size, or frames beyond the picture limit, get no pool.
  if (width < 0 || height < 0 || std::int64_t{width} * height > kQrvMaxPicturePixels) {
    Log(state, port::Format("InitMemoryItem : sensor size %d x %d, frame pool not created", width, height));
    return kFramePoolNotCreated;
  }
  const std::size_t frameBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * kBytesPerPixel;
  try {
    state.pool = std::make_unique<FramePoolStorage>(frameBytes, imageSize);
  } catch (const std::bad_alloc&) {
    Log(state, port::Format("InitMemoryItem : %d frames of %zu bytes could not be allocated", kFramePoolFrames,
                            frameBytes));
    return kFramePoolNotCreated;
  }
  state.binder->SetUserMemory(state.pool->Pool(), kPoolName);
  return 0;
}

// Run before the module goes. The registry never forgets a block by itself, so the name is withdrawn first
// (while it still names this pool): an item of the next load must find no pool rather than freed memory.
void ReleaseFramePool(ItemState& state) {
  state.dialog.reset();
  if (state.pool == nullptr) return;
  const CInterFace_SW* binder = state.binder;
  if (binder != nullptr && binder->SetUserMemory != nullptr &&
      (binder->GetUserMemory == nullptr || binder->GetUserMemory(kPoolName) == state.pool->Pool()))
    binder->SetUserMemory(nullptr, kPoolName);
  state.pool.reset();
}

}  // namespace

QRV_ITEM_EXPORT void Item_OnCreate(CInterFace_SW* binder, HardwareFunctionTable* hardware,
                                   ProtocolFunctionTable* protocol, CQRV_LoadMemory* record) {
  ItemState& state = State();
  std::lock_guard lock(state.lock);
  state.binder = binder;
  state.hardware = hardware;
  state.protocol = protocol;
  state.record = record;
  if (state.dialog == nullptr) state.dialog = std::make_unique<CSpecDlg>(binder, hardware, protocol, record);
}

QRV_ITEM_EXPORT void Item_OnDelete() {
  ItemState& state = State();
  std::lock_guard lock(state.lock);
  ReleaseFramePool(state);
  state.binder = nullptr;
  state.hardware = nullptr;
  state.protocol = nullptr;
  state.record = nullptr;
}

QRV_ITEM_EXPORT int OnSpecDlg(int) {
  CSpecDlg* dialog = nullptr;
  {
    ItemState& state = State();
    std::lock_guard lock(state.lock);
    dialog = state.dialog.get();
  }
  // The host keeps the item loaded while an entry point runs, so the window outlives this call.
  if (dialog != nullptr) port::ui::Send([dialog] { dialog->show(); });
  return 1;
}

QRV_ITEM_EXPORT int OnTest(int, int, int, int) {
  ItemState& state = State();
  std::lock_guard lock(state.lock);
  if (state.pool != nullptr) return 0;
  return CreateFramePool(state);
}

// The entry points keep the types the host binds them with.
namespace {
[[maybe_unused]] constexpr Item_OnCreate_Fn kOnCreateChecked = &Item_OnCreate;
[[maybe_unused]] constexpr Item_OnDelete_Fn kOnDeleteChecked = &Item_OnDelete;
[[maybe_unused]] constexpr ItemOnSpecDlg_Fn kOnSpecDlgChecked = &OnSpecDlg;
[[maybe_unused]] constexpr OnTest_Fn kOnTestChecked = &OnTest;
}  // namespace
