// A scriptable test item for the loop tests: per site, the codes its OnTest returns call by call (the last
// one repeats), an optional delay, a tester request to the handler (MoveCylinder through the protocol table),
// stop flags to raise at a given call, and a log of its calls and of the sites its settings window was
// opened for, and hooks its Item_OnCreate and Item_OnDelete call (where a real item may show a message box).
#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <vector>

#include "QRV_ItemContract.h"
#include "ProtocolFunctionTable.h"
#include "QRV_PlatformMemory.h"
#include "port/clock.h"

namespace {

struct SiteScript {
  std::vector<int> codes;
  int calls = 0;
  int lastLotTotal = -1;
  int lastUsb = -1;
  int lastServer = -1;
  std::map<int, int> raiseAtCall;  // call number (1-based) -> 1 stop-all, 2 site stop
};

std::mutex g_lock;
std::map<int, SiteScript> g_sites;
std::atomic<int> g_delayMs{0};
std::atomic<int> g_created{0};
std::atomic<int> g_deleted{0};
std::atomic<int> g_total{0};
std::atomic<bool> g_testerRequest{false};
std::atomic<int> g_requestsDone{0};
std::atomic<int> g_specCalls{0};
std::atomic<int> g_lastSpecSite{-1};
std::atomic<void (*)()> g_onCreate{nullptr};
std::atomic<void (*)()> g_onDelete{nullptr};
CQRV_LoadMemory* g_record = nullptr;
ProtocolFunctionTable* g_protocol = nullptr;

}  // namespace

QRV_ITEM_EXPORT void Item_OnCreate(CInterFace_SW*, HardwareFunctionTable*, ProtocolFunctionTable* protocol,
                                   CQRV_LoadMemory* record) {
  std::unique_lock lock(g_lock);
  g_record = record;
  g_protocol = protocol;
  ++g_created;
  lock.unlock();
  if (void (*hook)() = g_onCreate.load()) hook();
}

// With QRV_TEST_ITEM_DELETE_LOG set, each delete appends the plug-in's file name to that file, so that tests
// see the order in which several plug-ins were deleted.
QRV_ITEM_EXPORT void Item_OnDelete() {
  ++g_deleted;
  if (void (*hook)() = g_onDelete.load()) hook();
  const char* log = std::getenv("QRV_TEST_ITEM_DELETE_LOG");
  Dl_info info{};
  if (log == nullptr || dladdr(reinterpret_cast<void*>(&Item_OnDelete), &info) == 0 || info.dli_fname == nullptr)
    return;
  std::ofstream(log, std::ios::app) << std::filesystem::path(info.dli_fname).filename().string() << '\n';
}

#ifndef TEST_ITEM_WITHOUT_SETTINGS_DIALOG
QRV_ITEM_EXPORT int OnSpecDlg(int site) {
  g_lastSpecSite.store(site);
  ++g_specCalls;
  return 1;
}
#endif

QRV_ITEM_EXPORT int OnTest(int usb, int site, int lotTotal, int server) {
  if (g_delayMs.load() > 0) port::clock::SleepMs(g_delayMs.load());
  ProtocolFunctionTable* protocol = nullptr;
  {
    std::lock_guard lock(g_lock);
    protocol = g_protocol;
  }
  if (g_testerRequest.load() && protocol != nullptr && protocol->MoveCylinder != nullptr) {
    protocol->MoveCylinder(server, 1, 30000);
    ++g_requestsDone;
  }
  ++g_total;
  std::lock_guard lock(g_lock);
  SiteScript& script = g_sites[site];
  ++script.calls;
  script.lastLotTotal = lotTotal;
  script.lastUsb = usb;
  script.lastServer = server;
  if (const auto raise = script.raiseAtCall.find(script.calls); raise != script.raiseAtCall.end() && g_record) {
    if (raise->second == 1) g_record->SetStopButtonFlag(1);
    if (raise->second == 2) g_record->SetSiteStopFlag(site, 1);
  }
  if (script.codes.empty()) return 0;
  const std::size_t index = static_cast<std::size_t>(script.calls - 1);
  return index < script.codes.size() ? script.codes[index] : script.codes.back();
}

QRV_ITEM_EXPORT void TestItem_Script(int site, const int* codes, int count) {
  std::lock_guard lock(g_lock);
  g_sites[site] = SiteScript{};
  g_sites[site].codes.assign(codes, codes + count);
}

QRV_ITEM_EXPORT void TestItem_RaiseAtCall(int site, int call, int which) {
  std::lock_guard lock(g_lock);
  g_sites[site].raiseAtCall[call] = which;
}

QRV_ITEM_EXPORT void TestItem_SetOnCreate(void (*hook)()) { g_onCreate.store(hook); }
QRV_ITEM_EXPORT void TestItem_SetOnDelete(void (*hook)()) { g_onDelete.store(hook); }
QRV_ITEM_EXPORT void TestItem_SetDelayMs(int ms) { g_delayMs.store(ms); }
QRV_ITEM_EXPORT void TestItem_SetTesterRequest(int on) { g_testerRequest.store(on != 0); }
QRV_ITEM_EXPORT int TestItem_RequestsDone() { return g_requestsDone.load(); }

QRV_ITEM_EXPORT int TestItem_Calls(int site) {
  std::lock_guard lock(g_lock);
  return g_sites[site].calls;
}

QRV_ITEM_EXPORT int TestItem_LastLotTotal(int site) {
  std::lock_guard lock(g_lock);
  return g_sites[site].lastLotTotal;
}

QRV_ITEM_EXPORT int TestItem_TotalCalls() { return g_total.load(); }
QRV_ITEM_EXPORT int TestItem_Created() { return g_created.load(); }
QRV_ITEM_EXPORT int TestItem_Deleted() { return g_deleted.load(); }
QRV_ITEM_EXPORT int TestItem_SpecCalls() { return g_specCalls.load(); }
QRV_ITEM_EXPORT int TestItem_LastSpecSite() { return g_lastSpecSite.load(); }
