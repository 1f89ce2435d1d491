// A stand-in for the protocol library ("QTS_Tester"): it records every call the site panel makes into it,
// and notes at its unload how many test items were deleted before it (none may be: they go after it).
#include <dlfcn.h>

#include <mutex>
#include <string>
#include <vector>

#include "ProtocolFunctionTable.h"
#include "QRV_PlatformMemory.h"
#include "port/text.h"

namespace {

std::mutex g_lock;
std::vector<std::string> g_calls;
ProtocolFunctionTable g_table{};
std::string g_itemProbe;

void Record(std::string call) {
  const std::lock_guard lock(g_lock);
  g_calls.push_back(std::move(call));
}

}  // namespace

QRV_EXPORT ProtocolFunctionTable* Load_Protocol(CQRV_LoadMemory*, ModuleHandle*) {
  Record("Load_Protocol");
  return &g_table;
}

QRV_EXPORT void Load_OnDelete(CQRV_LoadMemory*) {
  std::string probe;
  {
    const std::lock_guard lock(g_lock);
    probe = g_itemProbe;
  }
  void* item = probe.empty() ? nullptr : dlopen(probe.c_str(), RTLD_NOW | RTLD_NOLOAD);
  const auto deleted = item != nullptr ? reinterpret_cast<int (*)()>(dlsym(item, "TestItem_Deleted")) : nullptr;
  Record(port::Format("Load_OnDelete items-deleted=%d", deleted != nullptr ? deleted() : -1));
  if (item != nullptr) dlclose(item);
}

QRV_EXPORT int SendStatus(int server) {
  Record(port::Format("SendStatus %d", server));
  return 1;
}

QRV_EXPORT void SendResultCode(int server, int code, std::string message) {
  Record(port::Format("SendResultCode %d %d %s", server, code, message.c_str()));
}

// Test controls.
QRV_EXPORT std::vector<std::string> FakeProtocol_Calls() {
  const std::lock_guard lock(g_lock);
  return g_calls;
}

QRV_EXPORT void FakeProtocol_Clear() {
  const std::lock_guard lock(g_lock);
  g_calls.clear();
}

QRV_EXPORT void FakeProtocol_SetItemProbe(const char* path) {
  const std::lock_guard lock(g_lock);
  g_itemProbe = path;
}
