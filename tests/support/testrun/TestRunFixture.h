#pragma once
// A station folder in a temporary directory with the test plug-ins under Dll/, a platform record whose log
// lines are captured, an item registry, and the plug-ins' test controls.
#include <memory>
#include <string>
#include <vector>

#include "FakeSiteHost.h"
#include "PlatformLoadlibrary.h"
#include "QRV_PlatformMemory.h"
#include "qrv_test/temp_dir.h"

// Controls of one loaded test plug-in (TestItem.cpp).
struct TestItemControl {
  explicit TestItemControl(const std::string& path);
  ~TestItemControl();
  void Script(int site, std::vector<int> codes) const;
  void RaiseAtCall(int site, int call, int which) const;
  void SetDelayMs(int ms) const;
  // Item_OnCreate calls the hook after it has counted the creation; null for none.
  void SetOnCreate(void (*hook)()) const;
  // Item_OnDelete calls the hook after it has counted the deletion; null for none.
  void SetOnDelete(void (*hook)()) const;
  // Each OnTest then waits for the handler in a tester request until the servers stop.
  void SetTesterRequest(bool on) const;
  int RequestsDone() const;
  int Calls(int site) const;
  int LastLotTotal(int site) const;
  int TotalCalls() const;
  int Created() const;
  int Deleted() const;
  // Calls of the item's settings window, and the site of the last one (-1 before any).
  int SpecCalls() const;
  int LastSpecSite() const;

  ModuleHandle module;
};

class TestStation {
 public:
  TestStation();
  ~TestStation();

  std::string Root() const { return m_dir.path(); }
  std::string ErrorCodePath() const { return m_dir.File("ErrorCode.ini"); }
  void WriteErrorCodes(const std::string& text) const;
  // Registers a DLL of the Dll folder in the item registry.
  int LoadItem(const std::string& dllName);
  static std::vector<std::string> LogLines(int site);
  static void ClearLog();

  CQRV_LoadMemory& Record() { return *m_record; }
  ItemLibraryMap& Items() { return m_items; }
  const TestItemControl& ItemA() const { return *m_itemA; }
  const TestItemControl& ItemB() const { return *m_itemB; }

 private:
  qrv::test::TempDir m_dir;
  std::unique_ptr<CQRV_LoadMemory> m_record;
  ItemLibraryMap m_items;
  std::unique_ptr<TestItemControl> m_itemA;
  std::unique_ptr<TestItemControl> m_itemB;
};
