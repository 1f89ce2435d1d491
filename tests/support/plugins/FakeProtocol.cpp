// A stand-in for the protocol library ("QTS_Tester"): it records every call the site panel makes into it,
// notes at its unload how many test items were deleted before it (all must be), and serves one tester
// request, MoveCylinder, that waits for the handler until the servers stop.
#include <dlfcn.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "ProtocolFunctionTable.h"
#include "QRV_PlatformMemory.h"
#include "port/text.h"

namespace {

constexpr auto kHandlerWait = std::chrono::seconds(30);

std::mutex g_lock;
std::condition_variable g_serversStopped;
bool g_stopped = false;
int g_requestsInFlight = 0;
std::vector<std::string> g_calls;
ProtocolFunctionTable g_table{};
std::string g_itemProbe;

void Record(std::string call) {
  const std::lock_guard lock(g_lock);
  g_calls.push_back(std::move(call));
}

// The handler never answers: the request ends when the servers stop (a failure) or after a long wait.
int MoveCylinder(int, int, int) {
  std::unique_lock lock(g_lock);
  ++g_requestsInFlight;
  const bool stopped = g_serversStopped.wait_for(lock, kHandlerWait, [] { return g_stopped; });
  --g_requestsInFlight;
  return stopped ? -1 : 0;
}

}  // namespace

QRV_EXPORT ProtocolFunctionTable* Load_Protocol(CQRV_LoadMemory*, ModuleHandle*) {
  Record("Load_Protocol");
  {
    const std::lock_guard lock(g_lock);
    g_stopped = false;
  }
  g_table.MoveCylinder = &MoveCylinder;
  return &g_table;
}

QRV_EXPORT void Load_OnDelete(CQRV_LoadMemory*) {
  std::string probe;
  int inFlight = 0;
  {
    const std::lock_guard lock(g_lock);
    probe = g_itemProbe;
    inFlight = g_requestsInFlight;
  }
  void* item = probe.empty() ? nullptr : dlopen(probe.c_str(), RTLD_NOW | RTLD_NOLOAD);
  const auto deleted = item != nullptr ? reinterpret_cast<int (*)()>(dlsym(item, "TestItem_Deleted")) : nullptr;
  Record(port::Format("Load_OnDelete items-deleted=%d requests-in-flight=%d", deleted != nullptr ? deleted() : -1,
                      inFlight));
  if (item != nullptr) dlclose(item);
}

QRV_EXPORT void StopProtocolServers(CQRV_LoadMemory*) {
  {
    const std::lock_guard lock(g_lock);
    g_stopped = true;
  }
  g_serversStopped.notify_all();
  Record("StopProtocolServers");
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

QRV_EXPORT int FakeProtocol_RequestsInFlight() {
  const std::lock_guard lock(g_lock);
  return g_requestsInFlight;
}
