#include "TestRunFixture.h"

#include <filesystem>
#include <fstream>

#include "port/module.h"
#include "qrv_test/set_log_capture.h"

namespace {

template <typename Fn>
Fn Bind(ModuleHandle module, const char* name) {
  return port::FindFunction<Fn>(module, name);
}

}  // namespace

TestItemControl::TestItemControl(const std::string& path) : module(port::LoadModule(path)) {}
TestItemControl::~TestItemControl() { port::FreeModule(module); }

void TestItemControl::Script(int site, std::vector<int> codes) const {
  Bind<void (*)(int, const int*, int)>(module, "TestItem_Script")(site, codes.data(),
                                                                   static_cast<int>(codes.size()));
}
void TestItemControl::RaiseAtCall(int site, int call, int which) const {
  Bind<void (*)(int, int, int)>(module, "TestItem_RaiseAtCall")(site, call, which);
}
void TestItemControl::SetDelayMs(int ms) const { Bind<void (*)(int)>(module, "TestItem_SetDelayMs")(ms); }
void TestItemControl::SetOnCreate(void (*hook)()) const {
  Bind<void (*)(void (*)())>(module, "TestItem_SetOnCreate")(hook);
}
void TestItemControl::SetOnDelete(void (*hook)()) const {
  Bind<void (*)(void (*)())>(module, "TestItem_SetOnDelete")(hook);
}
void TestItemControl::SetTesterRequest(bool on) const {
  Bind<void (*)(int)>(module, "TestItem_SetTesterRequest")(on ? 1 : 0);
}
int TestItemControl::RequestsDone() const { return Bind<int (*)()>(module, "TestItem_RequestsDone")(); }
int TestItemControl::Calls(int site) const { return Bind<int (*)(int)>(module, "TestItem_Calls")(site); }
int TestItemControl::LastLotTotal(int site) const {
  return Bind<int (*)(int)>(module, "TestItem_LastLotTotal")(site);
}
int TestItemControl::TotalCalls() const { return Bind<int (*)()>(module, "TestItem_TotalCalls")(); }
int TestItemControl::Created() const { return Bind<int (*)()>(module, "TestItem_Created")(); }
int TestItemControl::Deleted() const { return Bind<int (*)()>(module, "TestItem_Deleted")(); }
int TestItemControl::SpecCalls() const { return Bind<int (*)()>(module, "TestItem_SpecCalls")(); }
int TestItemControl::LastSpecSite() const { return Bind<int (*)()>(module, "TestItem_LastSpecSite")(); }

TestStation::TestStation() {
  namespace fs = std::filesystem;
  const fs::path dll = fs::path(Root()) / "Dll";
  fs::create_directories(dll);
  fs::copy_file(TEST_ITEM_A, dll / "TestItemA.dll");
  fs::copy_file(TEST_ITEM_B, dll / "TestItemB.dll");
  fs::copy_file(TEST_ITEM_MISSING, dll / "MissingEntry.dll");
  std::ofstream(dll / "NotALibrary.dll") << "not a library\n";
  m_record = std::make_unique<CQRV_LoadMemory>(m_dir.File("System/RigUtil_x64.dll"));
  m_record->SetRootPath(Root());
  m_record->SetLog = qrv::test::CaptureSetLog;
  ClearLog();
  m_itemA = std::make_unique<TestItemControl>((dll / "TestItemA.dll").string());
  m_itemB = std::make_unique<TestItemControl>((dll / "TestItemB.dll").string());
}

TestStation::~TestStation() {
  m_items.UnloadAll();
  m_itemA.reset();
  m_itemB.reset();
}

void TestStation::WriteErrorCodes(const std::string& text) const { std::ofstream(ErrorCodePath()) << text; }

int TestStation::LoadItem(const std::string& dllName) {
  ItemPlatform platform;
  platform.record = m_record.get();
  return m_items.Load(dllName, "DLL", Root(), platform);
}

std::vector<std::string> TestStation::LogLines(int site) { return qrv::test::CapturedSetLog(site); }

void TestStation::ClearLog() { qrv::test::ClearCapturedSetLog(); }
