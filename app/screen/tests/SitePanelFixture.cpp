#include "SitePanelFixture.h"

#include <QApplication>
#include <QListView>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "IntegratedLog.h"
#include "ProgramFolder.h"
#include "port/ini.h"
#include "port/module.h"
#include "port/registry.h"
#include "port/ui_thread.h"
#include "qrv_test/station_copy.h"
#include "qrv_test/test_application.h"

namespace fs = std::filesystem;

SitePanelStation::SitePanelStation(const std::string& sites, const std::string& para)
    : m_registry("QRV_REGISTRY_DIR", m_dir.File("registry")), m_drives("QRV_DRIVE_ROOT", m_dir.File("Drives")) {
  qrv::test::TestApplication();
  qrv::test::CopyBuiltStation(Root());
  // The hardware library stays out: these tests are about the panel, not the boards.
  fs::remove(fs::path(Root()) / "System" / "QRV_PlatformHW.dll");
  fs::copy_file(FAKE_PROTOCOL, fs::path(Root()) / "System" / "QRV_Protocol.dll",
                fs::copy_options::overwrite_existing);
  fs::create_directories(fs::path(Root()) / "Dll");
  fs::copy_file(TEST_ITEM_A, fs::path(Root()) / "Dll" / "TestItemA.dll", fs::copy_options::overwrite_existing);
  fs::copy_file(TEST_ITEM_B, fs::path(Root()) / "Dll" / "TestItemB.dll", fs::copy_options::overwrite_existing);
  port::ini::WriteString(ModelFile("Config.ini"), "SITE", "site", sites.empty() ? nullptr : sites.c_str());
  port::ini::WriteString(ModelFile("Config.ini"), "PARA", "para", para.empty() ? nullptr : para.c_str());
  WriteConfig("LOG", "EngineerLog", "Log/Engineer");
  WriteConfig("LOG", "ProductionLog", "Log/Production");
  SetRegistry("Software\\QRV\\Platform\\SYSTEM\\", "SystemVersionByPass", 1);
  SetRegistry("System\\Hardware\\", "HardwareByPass", 1);
  ProgramFolder::SetRoot(Root());
  m_protocol = port::LoadModule((fs::path(Root()) / "System" / "QRV_Protocol.dll").string());
  const std::string probe = (fs::path(Root()) / "Dll" / "TestItemA.dll").string();
  port::FindFunction<void (*)(const char*)>(m_protocol, "FakeProtocol_SetItemProbe")(probe.c_str());
}

SitePanelStation::~SitePanelStation() {
  ClosePanel();
  port::FreeModule(m_protocol);
  ProgramFolder::SetRoot("");
}

std::string SitePanelStation::ModelFile(const std::string& name) const {
  return (fs::path(Root()) / "Ref" / "Init_Model" / name).string();
}

std::string SitePanelStation::ReadConfig(const char* section, const char* key) const {
  return port::ini::ReadString(ModelFile("Config.ini"), section, key, "<missing>");
}

void SitePanelStation::WriteConfig(const char* section, const char* key, const std::string& value) const {
  port::ini::WriteString(ModelFile("Config.ini"), section, key, value.c_str());
}

void SitePanelStation::RegisterItems(int sites, const std::vector<std::string>& dlls) const {
  const std::string file = ModelFile("DllManager.ini");
  for (int site = 0; site < 8; ++site) {
    const std::string section = std::string(1, static_cast<char>('A' + site)) + ".QRV_DLL_LOAD";
    const int count = site < sites ? static_cast<int>(dlls.size()) : 0;
    port::ini::WriteString(file, section.c_str(), "Count", std::to_string(count).c_str());
    for (int entry = 0; entry < count; ++entry)
      port::ini::WriteString(file, section.c_str(), std::to_string(entry).c_str(),
                             (dlls[static_cast<std::size_t>(entry)] + ",1,1").c_str());
  }
}

void SitePanelStation::SetRegistry(const char* subKey, const char* name, std::uint32_t value) {
  port::registry::WriteDword(port::registry::Root::CurrentUser, subKey, name, value);
}

DynamicDlg& SitePanelStation::StartPanel() {
  m_panel = std::make_unique<DynamicDlg>();
  m_panel->OnInitDialog();
  ProcessEvents();
  return *m_panel;
}

void SitePanelStation::ClosePanel() {
  if (!m_panel) return;
  m_panel->OnDestroy();
  m_panel.reset();
  ProcessEvents();
}

std::vector<std::string> SitePanelStation::ProtocolCalls() const {
  const auto calls = port::FindFunction<std::vector<std::string> (*)()>(m_protocol, "FakeProtocol_Calls");
  return calls != nullptr ? calls() : std::vector<std::string>{};
}

int SitePanelStation::HandlerRequestsInFlight() const {
  return port::FindFunction<int (*)()>(m_protocol, "FakeProtocol_RequestsInFlight")();
}

int SitePanelStation::CountCalls(const std::string& prefix) const {
  int count = 0;
  for (const std::string& call : ProtocolCalls())
    if (call.rfind(prefix, 0) == 0) ++count;
  return count;
}

void SitePanelStation::ProcessEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

std::vector<std::string> ListLogLines(const DynamicDlg& panel, int site) {
  std::vector<std::string> lines;
  const CIntegratedLog* log = panel.ListLogWindow();
  const QListView* list = log != nullptr ? log->List(site) : nullptr;
  if (list == nullptr) return lines;
  const QAbstractItemModel& model = *list->model();
  for (int row = 0; row < model.rowCount(); ++row) lines.push_back(model.index(row, 0).data().toString().toStdString());
  return lines;
}
