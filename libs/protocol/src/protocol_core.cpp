#include "protocol_core.h"

#include "port/ini.h"
#include "port/path.h"
#include "port/text.h"
#include "setup_report.h"
#include "text_rules.h"

namespace protocol {

ProtocolCore::ProtocolCore(CQRV_LoadMemory* record, ModuleHandle module)
    : record_(record), table_(std::make_unique<ProtocolFunctionTable>()), mes_(record) {
  LoadProtocolFunctionTable(table_.get(), module);
  LoadSettings();
}

ProtocolCore::~ProtocolCore() { CloseServers(); }

void ProtocolCore::LoadSettings() {
  ini_ = port::JoinPath(record_->GetModelPath(), "Protocol.ini");
  debugMode_ = record_->RegeditRead_Int &&
               record_->RegeditRead_Int(RegRoot::CurrentUser, kProtocolDebugKey, "ProtocolDebug", 0) == 1;
  simulationMode_ = debugMode_ && port::ini::ReadString(ini_, "PROTOCOL", "SIMULATION_MODE", "0") == "1";
  sequences_->Load(ini_);
  packetSave_ = port::ini::ReadString(ini_, "PROTOCOL", "PACKET_SAVE", "0") == "1";
  chart_.xInverse = port::ini::ReadString(ini_, "CHART", "X_INVERSE", "0") == "1";
  chart_.yInverse = port::ini::ReadString(ini_, "CHART", "Y_INVERSE", "0") == "1";
  chart_.xyChange = port::ini::ReadString(ini_, "CHART", "XY_CHANGE", "0") == "1";
  ftp_ = {port::ini::ReadString(ini_, "FTP", "IP", "127.0.0.1"),
          port::ini::ReadString(ini_, "FTP", "ACCOUNT", "administrator"),
          port::ini::ReadString(ini_, "FTP", "PASSWORD", "tinbox@581"), port::ini::ReadString(ini_, "FTP", "PORT", "8000")};
  for (int server = 0; server < kServerCount; ++server) {
    const char letter = SiteLetter(server);
    rows_[server] = {port::ini::ReadString(ini_, "PROTOCOL", port::Format("PORT_%c", letter), "T"),
                     port::ini::ReadString(ini_, "SITE_CODE", port::Format("TESTER_%c", letter), "T")};
    CreateProtocolServer(server, rows_[server].port, rows_[server].tester);
  }
}

void ProtocolCore::SaveSettings() const {
  auto write = [this](const char* section, const std::string& key, const std::string& value) {
    port::ini::WriteString(ini_, section, key.c_str(), value.c_str());
  };
  auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
  write("PROTOCOL", "PACKET_SAVE", flag(packetSave_));
  write("PROTOCOL", "SIMULATION_MODE", flag(simulationMode_.load()));
  write("CHART", "X_INVERSE", flag(chart_.xInverse.load()));
  write("CHART", "Y_INVERSE", flag(chart_.yInverse.load()));
  write("CHART", "XY_CHANGE", flag(chart_.xyChange.load()));
  write("FTP", "IP", ftp_.ip);
  write("FTP", "ACCOUNT", ftp_.account);
  write("FTP", "PASSWORD", ftp_.password);
  write("FTP", "PORT", ftp_.port);
  for (int server = 0; server < kServerCount; ++server) {
    const char letter = SiteLetter(server);
    write("PROTOCOL", port::Format("PORT_%c", letter), rows_[server].port);
    write("SITE_CODE", port::Format("TESTER_%c", letter), rows_[server].tester);
  }
  sequences_->Save(ini_);
}

void ProtocolCore::SetServerSettings(int server, ServerRow row) {
  if (server >= 0 && server < kServerCount) rows_[server] = std::move(row);
}

bool ProtocolCore::IsServerOpen(int server) const {
  const std::lock_guard lock(serversMutex_);
  return server >= 0 && server < kServerCount && open_[server];
}

void ProtocolCore::SetPacketSave(bool on) {
  packetSave_ = on;
  const std::lock_guard lock(serversMutex_);
  for (const auto& line : lines_) {
    if (line) line->packetSave = on;
  }
}

void ProtocolCore::InjectPacket(int server, const std::string& text) {
  if (server < 0 || server >= kServerCount || text.empty()) return;
  if (!servers_[server]) {
    return AppendServerStatus(server, port::Format("Send fail : Server %c is not open", SiteLetter(server)));
  }
  servers_[server]->Inject(text);
}

void ProtocolCore::CreateProtocolServer(int server, const std::string& portText, const std::string& siteCode) {
  if (server < 0 || server >= kServerCount) return;
  // A row left empty is a server the station does not use.
  if (portText.empty() || siteCode.empty()) return;
  const char letter = SiteLetter(server);
  if (servers_[server]) CloseServer(server);
  const std::optional<int> portNumber = ParsePortText(portText);
  std::string error = "not a port number from 1 to 65535";
  auto socket = std::make_unique<CListenSocket>(LineOf(server, siteCode.front()), simulationMode_, mes_);
  if (!portNumber || !socket->Listen(*portNumber, error)) {
    AppendServerStatus(server, port::Format("Listen Error :: Port [%s]", portText.c_str()));
    return ReportSetUpFault(server, port::Format("Protocol Server %c not listening : Port [%s] %s", letter,
                                                 portText.c_str(), error.c_str()));
  }
  servers_[server] = std::move(socket);
  {
    const std::lock_guard lock(serversMutex_);
    open_[server] = true;
  }
  AppendServerStatus(server, port::Format("Create server socket pass : Server %d", server));
  // A server that works is no fault: the operator's first sight stays the site views.
  const std::string listening = port::Format("Protocol Server %c listening on port %d", letter, *portNumber);
  AppendServerStatus(server, listening);
  servers_[server]->Line()->LogToSite(server, listening);
}

std::shared_ptr<ServerLine> ProtocolCore::LineOf(int server, char siteCode) {
  const std::lock_guard lock(serversMutex_);
  auto& line = lines_[server];
  if (!line) line = std::make_shared<ServerLine>(server, record_, siteCode);
  line->SetSiteCode(siteCode);
  line->packetSave = packetSave_;
  line->sequences = sequences_;
  line->monitor = monitor_;
  line->status = status_;
  line->table = table_.get();
  return line;
}

void ProtocolCore::ReportSetUpFault(int server, const std::string& text) {
  AppendServerStatus(server, text);
  ReportServerSetUp(text);
}

void ProtocolCore::CloseServer(int server) {
  if (server < 0 || server >= kServerCount || !servers_[server]) return;
  {
    const std::lock_guard lock(serversMutex_);
    open_[server] = false;
  }
  AppendServerStatus(server, "Server Close");
  std::unique_ptr<CListenSocket> closing = std::move(servers_[server]);
  closing.reset();
}

void ProtocolCore::CloseServers() {
  for (int server = 0; server < kServerCount; ++server) CloseServer(server);
}

std::shared_ptr<ServerLine> ProtocolCore::IsServerCreated(int server) {
  if (server < 0 || server >= kServerCount) return nullptr;
  std::function<void()> missing;
  {
    const std::lock_guard lock(serversMutex_);
    if (open_[server]) return lines_[server];
    missing = serverMissing_;
  }
  AppendServerStatus(server, port::Format("Protocol Server Create fail [Server : %c]", SiteLetter(server)));
  if (missing) missing();
  return nullptr;
}

void ProtocolCore::SetServerMissing(std::function<void()> missing) {
  const std::lock_guard lock(serversMutex_);
  serverMissing_ = std::move(missing);
}

void ProtocolCore::AppendServerStatus(int server, const std::string& text) { status_->Append(server, text); }

void ProtocolCore::ClearServerStatus() { status_->Clear(); }

void ProtocolCore::SetStatusChanged(std::function<void()> changed) { status_->SetChanged(std::move(changed)); }

std::deque<std::string> ProtocolCore::ServerStatus(int server) const { return status_->Lines(server); }

}  // namespace protocol
