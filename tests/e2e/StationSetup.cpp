#include "StationSetup.h"

#include "port/ini.h"
#include "port/registry.h"
#include "port/text.h"

namespace qrv::test {

StationRegistry::StationRegistry(const TempDir& dir) : path_(dir.File("registry")), env_("QRV_REGISTRY_DIR", path_) {
  port::registry::WriteDword(port::registry::Root::CurrentUser, "System\\Hardware\\", "HardwareByPass", 1);
}

std::map<std::string, std::string> HeadlessStationEnv(const TempDir& dir,
                                                      const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> env = extra;
  env.insert({{"QRV_SIM_BOARDS", "4"},
              {"QRV_REGISTRY_DIR", dir.File("registry")},
              {"QRV_DRIVE_ROOT", dir.File("drives")},
              {"QRV_HEADLESS", "1"},
              {"QT_QPA_PLATFORM", "offscreen"}});
  return env;
}

bool WriteHandlerPorts(const std::string& protocolIni, const std::vector<int>& ports) {
  bool written = true;
  for (std::size_t server = 0; server < ports.size(); ++server) {
    const std::string key = port::Format("PORT_%c", 'A' + static_cast<int>(server));
    written &= port::ini::WriteString(protocolIni, "PROTOCOL", key.c_str(), std::to_string(ports[server]).c_str());
  }
  return written;
}

}  // namespace qrv::test
