#include "SimModelStation.h"

#include "StationSetup.h"
#include "port/ini.h"
#include "qrv_test/station_copy.h"

namespace qrv::test {

bool PrepareSimModelStation(const std::string& station, const std::vector<int>& ports) {
  if (!CopyBuiltStation(station)) return false;
  const bool written = port::ini::WriteString(station + "/Config/QRV_Config.ini", "QRV_Equip", "Model_Name", kSimModel);
  return WriteHandlerPorts(station + "/Ref/" + kSimModel + "/Protocol.ini", ports) && written;
}

}  // namespace qrv::test
