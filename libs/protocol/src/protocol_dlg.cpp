#include "protocol_dlg.h"

#include "port/ini.h"
#include "port/path.h"
#include "port/text.h"

namespace protocol {
namespace {

const char* const kProtocolDebugKey = "Software\\QRV\\Platform\\SYSTEM\\";

// A port text as the settings store it; not a number gives 0, and the system then picks a free port.
int PortNumber(const std::string& text) {
  int port = 0;
  for (const char c : text) {
    if (c < '0' || c > '9' || port > 65535) break;
    port = port * 10 + (c - '0');
  }
  return port;
}

}  // namespace

CProtocolDlg::CProtocolDlg(CQRV_LoadMemory* record, ModuleHandle module)
    : record_(record), table_(std::make_unique<ProtocolFunctionTable>()), mes_(record) {
  LoadProtocolFunctionTable(table_.get(), module);
  LoadSettings();
}

CProtocolDlg::~CProtocolDlg() {
  for (auto& server : servers_) server.reset();
}

void CProtocolDlg::LoadSettings() {
  const std::string ini = port::JoinPath(record_->GetModelPath(), "Protocol.ini");
  const bool debug = record_->RegeditRead_Int &&
                     record_->RegeditRead_Int(RegRoot::CurrentUser, kProtocolDebugKey, "ProtocolDebug", 0) == 1;
  simulationMode_ = debug && port::ini::ReadString(ini, "PROTOCOL", "SIMULATION_MODE", "0") == "1";
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
  if (server < 0 || server >= kServerCount || portText.empty() || siteCode.empty()) return;
  auto& slot = servers_[server];
  if (!slot) slot = std::make_unique<CListenSocket>(server, record_, siteCode.front(), simulationMode_, mes_);
  if (!slot->Listen(PortNumber(portText))) {
    AppendServerStatus(server, port::Format("Listen Error :: Port [%s]", portText.c_str()));
    slot.reset();
    return;
  }
  AppendServerStatus(server, port::Format("Create server socket pass : Server %d", server));
}

std::shared_ptr<ServerLine> CProtocolDlg::IsServerCreated(int server) {
  if (server < 0 || server >= kServerCount) return nullptr;
  if (servers_[server]) return servers_[server]->Line();
  AppendServerStatus(server, port::Format("Protocol Server Create fail [Server : %c]", SiteLetter(server)));
  return nullptr;
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
