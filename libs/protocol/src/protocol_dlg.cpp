#include "protocol_dlg.h"

#include "port/ini.h"
#include "port/path.h"
#include "port/text.h"
#include "setup_report.h"
#include "text_rules.h"

namespace protocol {
namespace {



}  // namespace

CProtocolDlg::CProtocolDlg(CQRV_LoadMemory* record, ModuleHandle module)
    : record_(record), table_(std::make_unique<ProtocolFunctionTable>()), mes_(record) {
  LoadProtocolFunctionTable(table_.get(), module);
  LoadSettings();
}

CProtocolDlg::~CProtocolDlg() { CloseServers(); }

void CProtocolDlg::LoadSettings() {
  const std::string ini = port::JoinPath(record_->GetModelPath(), "Protocol.ini");
  const bool debug = record_->RegeditRead_Int &&
                     record_->RegeditRead_Int(RegRoot::CurrentUser, kProtocolDebugKey, "ProtocolDebug", 0) == 1;
  simulationMode_ = debug && port::ini::ReadString(ini, "PROTOCOL", "SIMULATION_MODE", "0") == "1";
  sequences_->Load(ini);
  packetSave_ = port::ini::ReadString(ini, "PROTOCOL", "PACKET_SAVE", "0") == "1";
  chart_.xInverse = port::ini::ReadString(ini, "CHART", "X_INVERSE", "0") == "1";
  chart_.yInverse = port::ini::ReadString(ini, "CHART", "Y_INVERSE", "0") == "1";
  chart_.xyChange = port::ini::ReadString(ini, "CHART", "XY_CHANGE", "0") == "1";
  for (int server = 0; server < kServerCount; ++server) {
    const char letter = SiteLetter(server);
    const std::string port = port::ini::ReadString(ini, "PROTOCOL", port::Format("PORT_%c", letter), "T");
    const std::string code = port::ini::ReadString(ini, "SITE_CODE", port::Format("TESTER_%c", letter), "T");
    CreateProtocolServer(server, port, code);
  }
}

void CProtocolDlg::CreateProtocolServer(int server, const std::string& portText, const std::string& siteCode) {
  if (server < 0 || server >= kServerCount) return;
  const char letter = SiteLetter(server);
  if (servers_[server]) CloseServer(server);
  if (portText.empty() || siteCode.empty()) {
    return ReportSetUp(server, port::Format("Protocol Server %c not started : no port or site code", letter));
  }
  const std::optional<int> portNumber = ParsePortText(portText);
  std::string error = "not a port number from 1 to 65535";
  auto socket = std::make_unique<CListenSocket>(LineOf(server, siteCode.front()), simulationMode_, mes_);
  if (!portNumber || !socket->Listen(*portNumber, error)) {
    AppendServerStatus(server, port::Format("Listen Error :: Port [%s]", portText.c_str()));
    return ReportSetUp(server, port::Format("Protocol Server %c not listening : Port [%s] %s", letter,
                                            portText.c_str(), error.c_str()));
  }
  servers_[server] = std::move(socket);
  {
    const std::lock_guard lock(serversMutex_);
    open_[server] = true;
  }
  AppendServerStatus(server, port::Format("Create server socket pass : Server %d", server));
  ReportSetUp(server, port::Format("Protocol Server %c listening on port %d", letter, *portNumber));
}

std::shared_ptr<ServerLine> CProtocolDlg::LineOf(int server, char siteCode) {
  const std::lock_guard lock(serversMutex_);
  auto& line = lines_[server];
  if (!line) line = std::make_shared<ServerLine>(server, record_, siteCode);
  line->SetSiteCode(siteCode);
  line->packetSave = packetSave_;
  line->sequences = sequences_;
  line->table = table_.get();
  return line;
}

void CProtocolDlg::ReportSetUp(int server, const std::string& text) {
  AppendServerStatus(server, text);
  ReportServerSetUp(text);
}

void CProtocolDlg::CloseServer(int server) {
  if (server < 0 || server >= kServerCount || !servers_[server]) return;
  {
    const std::lock_guard lock(serversMutex_);
    open_[server] = false;
  }
  AppendServerStatus(server, "Server Close");
  std::unique_ptr<CListenSocket> closing = std::move(servers_[server]);
  closing.reset();
}

void CProtocolDlg::CloseServers() {
  for (int server = 0; server < kServerCount; ++server) CloseServer(server);
}

std::shared_ptr<ServerLine> CProtocolDlg::IsServerCreated(int server) {
  if (server < 0 || server >= kServerCount) return nullptr;
  {
    const std::lock_guard lock(serversMutex_);
    if (open_[server]) return lines_[server];
  }
  AppendServerStatus(server, port::Format("Protocol Server Create fail [Server : %c]", SiteLetter(server)));
  return nullptr;
}

void CProtocolDlg::DropResult(int server, int code) {
  std::shared_ptr<ServerLine> line;
  {
    const std::lock_guard lock(serversMutex_);
    if (server >= 0 && server < kServerCount) line = lines_[server];
  }
  if (line) {
    line->Log(port::Format("Protocol ResultCode: %d not sent : Server %c closed", code, SiteLetter(server)));
  }
}

void CProtocolDlg::AppendServerStatus(int server, const std::string& text) {
  const std::lock_guard lock(statusMutex_);
  auto& list = status_[server];
  if (list.size() >= kStatusListCap) list.clear();
  list.push_back(text);
}

std::deque<std::string> CProtocolDlg::ServerStatus(int server) const {
  const std::lock_guard lock(statusMutex_);
  return server >= 0 && server < kServerCount ? status_[server] : std::deque<std::string>{};
}

}  // namespace protocol
