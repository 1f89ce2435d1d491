#include "protocol_station_fixture.h"

#include <QApplication>
#include <QEventLoop>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <fstream>

#include "QRV_Exports.h"
#include "qrv_test/free_ports.h"
#include "port/clock.h"
#include "port/ini.h"
#include "port/message_box.h"
#include "port/module.h"
#include "port/text.h"
#include "port/ui_thread.h"

#include <vector>
#include "port/window_message.h"
#include "qrv_test/test_application.h"

namespace protocol_test {

FakeStation& Station() {
  static FakeStation station;
  return station;
}

std::vector<StartCall> FakeStation::Starts() {
  const std::lock_guard lock(mutex);
  return starts;
}

std::vector<std::string> FakeStation::PanelCommands() {
  const std::lock_guard lock(mutex);
  return panelCommands;
}

bool FakeStation::LogHas(const std::string& text) { return LogCount(text) > 0; }

int FakeStation::LogCount(const std::string& text) {
  const std::lock_guard lock(mutex);
  return static_cast<int>(std::count_if(logLines.begin(), logLines.end(),
                                        [&](const std::string& line) { return line.find(text) != std::string::npos; }));
}

bool FakeStation::ErrorLogHas(const std::string& text) {
  const std::lock_guard lock(mutex);
  for (const auto& line : errorLogLines) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

namespace {

void WriteProtocolIni(const std::filesystem::path& model, const std::array<std::string, 4>& ports,
                      const std::string& moreSettings = "",
                      const std::array<std::string, 4>& siteCodes = {"A", "B", "C", "D"}) {
  std::ofstream ini(model / "Protocol.ini");
  ini << "[PROTOCOL]\n";
  for (int i = 0; i < 4; ++i) ini << "PORT_" << static_cast<char>('A' + i) << "=" << ports[i] << "\n";
  ini << moreSettings;
  ini << "[SITE_CODE]\n";
  for (int i = 0; i < 4; ++i) ini << "TESTER_" << static_cast<char>('A' + i) << "=" << siteCodes[i] << "\n";
}

void FakeSetLog(int site, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = port::FormatV(format, args);
  va_end(args);
  const std::lock_guard lock(Station().mutex);
  Station().logLines.push_back(port::Format("%d: ", site) + text);
}

int FakeIniReadInt(const char* section, const char* key, int defaultValue, const char* path) {
  return std::atoi(port::ini::ReadString(path, section, key, std::to_string(defaultValue)).c_str());
}

std::string FakeIniReadString(const char* section, const char* key, const char* defaultText, const char* path) {
  return port::ini::ReadString(path, section, key, defaultText);
}

int FakeIniWriteString(const char* section, const char* key, const char* value, const char* path) {
  return port::ini::WriteString(path, section, key, value) ? 1 : 0;
}

int FakeIniWriteDouble(const char* section, const char* key, double value, const char* path) {
  return port::ini::WriteString(path, section, key, port::Format("%lf", value).c_str()) ? 1 : 0;
}

std::uint32_t FakeRegeditReadInt(RegRoot, const char*, const char* name, std::uint32_t defaultValue) {
  return std::string_view(name) == "ProtocolDebug" ? Station().protocolDebug.load() : defaultValue;
}


port::ModuleHandle Library() {
  static port::ModuleHandle module = port::LoadModule(QRV_PROTOCOL_LIBRARY);
  return module;
}

}  // namespace

void ProtocolStation::SetUp() {
  qrv::test::TestApplication();
  module_ = Library();
  ASSERT_NE(module_, nullptr) << port::LastModuleError();
  {
    const std::lock_guard lock(Station().mutex);
    Station().starts.clear();
    Station().panelCommands.clear();
    Station().logLines.clear();
    Station().errorLogLines.clear();
    Station().protocolDebug = 0;
    Station().onStart = nullptr;
    Station().startStatus = 0;
    Station().refusedSite = -1;
  }
  folder_ = std::filesystem::temp_directory_path() /
            ("protocol_link_" + std::to_string(::getpid()) + "_" +
             testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_ / "Ref" / "Model");
  ::setenv("QRV_REGISTRY_DIR", (folder_ / "registry").c_str(), 1);
  ::setenv("QRV_DRIVE_ROOT", (folder_ / "Drives").c_str(), 1);

  const auto model = folder_ / "Ref" / "Model";
  const std::vector<int> ports = qrv::test::FreeLoopbackPorts(kServers);
  ASSERT_EQ(ports.size(), static_cast<std::size_t>(kServers)) << "no free loopback ports";
  std::array<std::string, kServers> portTexts;
  for (int i = 0; i < kServers; ++i) {
    ports_[i] = ports[i];
    portTexts[i] = std::to_string(ports[i]);
  }
  WriteProtocolIni(model, portTexts);
  std::ofstream(model / "Sensor.ini") << "[HW_INIT]\nOPEN_DEVICE_INIT_FLAG_0=1\nOPEN_DEVICE_INIT_FLAG_1=1\nOPEN_DEVICE_INIT_FLAG_2=1\nOPEN_DEVICE_INIT_FLAG_3=1\n";

  record_ = std::make_unique<CQRV_LoadMemory>((folder_ / "missing_RigUtil.dll").string());
  port::ClearShownMessageBoxes();
  record_->SetLog = FakeSetLog;
  record_->IniRead_Int = FakeIniReadInt;
  record_->IniWrite_Double = FakeIniWriteDouble;
  record_->IniRead_String = FakeIniReadString;
  record_->IniWrite_String = FakeIniWriteString;
  record_->RegeditRead_Int = FakeRegeditReadInt;
  record_->m_nSiteCount = 4;
  record_->m_nPara = 4;
  port::CopyText(record_->m_szRoot, folder_.string());
  port::CopyText(record_->m_szModelName, "Model");
  port::CopyText(record_->m_szModelPath, model.string());
  port::CopyText(record_->m_szSensorPath, (model / "Sensor.ini").string());
  port::CopyText(record_->m_szLotNumber, "LOT-OLD");

  sitePanel_ = std::make_unique<QWidget>();
  record_->m_hSiteWnd = sitePanel_.get();
  port::RegisterMessageHandler(sitePanel_.get(), [](unsigned, std::uintptr_t text, std::intptr_t) -> std::intptr_t {
    const std::lock_guard lock(Station().mutex);
    Station().panelCommands.emplace_back(reinterpret_cast<const char*>(text));
    return 0;
  });

  auto load = Resolve<LoadProtocol_Fn>("Load_Protocol");
  ASSERT_NE(load, nullptr);
  table_ = load(record_.get(), &module_);
  ASSERT_NE(table_, nullptr);
}

void ProtocolStation::TearDown() {
  if (auto unload = Resolve<LoadOnDelete_Fn>("Load_OnDelete")) unload(record_.get());
  port::UnregisterMessageHandler(sitePanel_.get());
  sitePanel_.reset();
  record_.reset();
  std::filesystem::remove_all(folder_);
}

std::array<std::string, ProtocolStation::kServers> ProtocolStation::PortTexts() const {
  std::array<std::string, kServers> texts;
  for (int i = 0; i < kServers; ++i) texts[i] = std::to_string(ports_[i]);
  return texts;
}

void ProtocolStation::ReloadWithPorts(const std::array<std::string, kServers>& ports, const std::string& moreSettings,
                                      const std::array<std::string, kServers>& siteCodes) {
  Resolve<LoadOnDelete_Fn>("Load_OnDelete")(record_.get());
  WriteProtocolIni(folder_ / "Ref" / "Model", ports, moreSettings, siteCodes);
  table_ = Resolve<LoadProtocol_Fn>("Load_Protocol")(record_.get(), &module_);
}

void* ProtocolStation::Symbol(const char* name) { return port::FindSymbol(module_, name); }

bool ProtocolStation::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::yield();
  }
  return true;
}

bool ProtocolStation::Connect(handler::HandlerPeer& peer, int server) {
  // The status inquiry's answer shows the station took the connection over.
  return OnOtherThread([&] {
    return peer.Connect("127.0.0.1", ports_[server], kWaitMs) && peer.SendCommand('I', "IOT", "") &&
           peer.WaitFor('I', "IOT", kWaitMs).has_value();
  });
}

std::optional<std::string> ProtocolStation::Request(handler::HandlerPeer& peer, const std::string& raw, int waitMs) {
  return OnOtherThread([&]() -> std::optional<std::string> {
    if (!peer.SendRaw(raw)) return std::nullopt;
    return peer.ReadPacket(waitMs);
  });
}

}  // namespace protocol_test

QRV_EXPORT int ExportPlatformStart(int site, int usbIndex, int server, int overrideFlag) {
  using namespace protocol_test;
  const StartCall call{site, usbIndex, server, overrideFlag};
  std::function<void(const StartCall&)> hook;
  {
    const std::lock_guard lock(Station().mutex);
    Station().starts.push_back(call);
    hook = Station().onStart;
  }
  if (hook) hook(call);
  return site == Station().refusedSite.load() ? -1 : Station().startStatus.load();
}

QRV_EXPORT ModuleHandle GetHardwareInstance() { return nullptr; }

QRV_EXPORT std::string GetPlatformVer() { return "QRV Platform 1.0.0.1"; }

QRV_EXPORT void LogPlatformError(const char* format, ...) {
  using namespace protocol_test;
  std::va_list args;
  va_start(args, format);
  std::string text = port::FormatV(format, args);
  va_end(args);
  const std::lock_guard lock(Station().mutex);
  Station().errorLogLines.push_back(std::move(text));
}
