#include "SimModelStation.h"

#include <filesystem>
#include <system_error>

#include "port/ini.h"
#include "port/text.h"
#include "qrv_test/station_copy.h"

namespace qrv::test {

bool PrepareSimModelStation(const std::string& station, const std::string& item, const std::vector<int>& ports) {
  if (!CopyBuiltStation(station)) return false;
  std::error_code error;
  std::filesystem::copy_file(item, station + "/Dll/SimModuleItem.dll",
                             std::filesystem::copy_options::overwrite_existing, error);
  if (error) return false;
  bool written = port::ini::WriteString(station + "/Config/QRV_Config.ini", "QRV_Equip", "Model_Name", kSimModel);
  const std::string protocol = station + "/Ref/" + kSimModel + "/Protocol.ini";
  for (std::size_t server = 0; server < ports.size(); ++server)
    written &= port::ini::WriteString(protocol, "PROTOCOL", port::Format("PORT_%c", 'A' + static_cast<int>(server)).c_str(),
                                      std::to_string(ports[server]).c_str());
  return written;
}

}  // namespace qrv::test
