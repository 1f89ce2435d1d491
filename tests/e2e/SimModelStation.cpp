#include "SimModelStation.h"

#include <cstdlib>

#include "StationSetup.h"
#include "port/ini.h"
#include "port/text.h"
#include "qrv_test/station_copy.h"

namespace qrv::test {

bool PrepareSimModelStation(const std::string& station, const std::vector<int>& ports) {
  return PrepareUserSimModelStation(station) &&
         WriteHandlerPorts(station + "/Ref/" + kSimModel + "/Protocol.ini", ports);
}

bool PrepareUserSimModelStation(const std::string& station) {
  return CopyBuiltStation(station) &&
         port::ini::WriteString(station + "/Config/QRV_Config.ini", "QRV_Equip", "Model_Name", kSimModel);
}

std::vector<int> SimModelPorts(const std::string& station, int servers) {
  const std::string protocol = station + "/Ref/" + kSimModel + "/Protocol.ini";
  std::vector<int> ports;
  for (int server = 0; server < servers; ++server) {
    const std::string key = port::Format("PORT_%c", 'A' + server);
    ports.push_back(std::atoi(port::ini::ReadString(protocol, "PROTOCOL", key.c_str(), "0").c_str()));
  }
  return ports;
}

std::map<std::string, std::string> UserStartEnv(const std::string& home) {
  return {{"QRV_SIM_BOARDS", "4"}, {"QRV_HEADLESS", "1"}, {"QT_QPA_PLATFORM", "offscreen"}, {"HOME", home}};
}

}  // namespace qrv::test
