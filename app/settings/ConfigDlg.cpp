#include "ConfigDlg.h"

#include "Util.h"

std::string ConfigDlg::ReadModelName() {
  return ReadIniString("QRV_Equip", "Model_Name", "NULL", "Config/QRV_Config.ini");
}
