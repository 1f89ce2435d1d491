#pragma once
// A copy of the built station in a temporary folder, with the recording protocol library, the test items and
// its own registry and drive folders, and a site panel started over it.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "DynamicDlg.h"
#include "qrv_test/scoped_env.h"
#include "qrv_test/temp_dir.h"

class SitePanelStation {
 public:
  // sites and para go into the model's Config.ini as given ("" leaves the key out).
  SitePanelStation(const std::string& sites, const std::string& para);
  ~SitePanelStation();

  std::string Root() const { return m_dir.path(); }
  std::string ModelFile(const std::string& name) const;
  std::string ReadConfig(const char* section, const char* key) const;
  void WriteConfig(const char* section, const char* key, const std::string& value) const;
  // Every site runs these DLLs of the Dll folder, each once.
  void RegisterItems(int sites, const std::vector<std::string>& dlls) const;
  static void SetRegistry(const char* subKey, const char* name, std::uint32_t value);

  // Creates and initialises the panel; the station's root is this folder while it lives.
  DynamicDlg& StartPanel();
  DynamicDlg& Panel() { return *m_panel; }
  void ClosePanel();

  // Calls recorded by the protocol library of the running panel.
  std::vector<std::string> ProtocolCalls() const;
  int CountCalls(const std::string& prefix) const;
  // Tester requests of items that wait in the protocol library for the handler's answer.
  int HandlerRequestsInFlight() const;
  // Runs the UI's queued calls until the condition holds or the time is up.
  template <typename Condition>
  bool WaitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(20));
  static void ProcessEvents();

 private:
  qrv::test::TempDir m_dir;
  qrv::test::ScopedEnv m_registry;
  qrv::test::ScopedEnv m_drives;
  // The test's own hold on the station's protocol library, so its record outlives the panel's unload.
  ModuleHandle m_protocol = nullptr;
  std::unique_ptr<DynamicDlg> m_panel;
};

// The lines of a site's list log as the panel's list-log window shows them, oldest first.
std::vector<std::string> ListLogLines(const DynamicDlg& panel, int site);

template <typename Condition>
bool SitePanelStation::WaitFor(Condition condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ProcessEvents();
  }
  ProcessEvents();
  return true;
}
