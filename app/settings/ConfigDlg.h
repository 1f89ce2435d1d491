#pragma once
// The model configuration dialog's program-wide readers of the current model.
#include <string>

class ConfigDlg {
 public:
  // Config/QRV_Config.ini [QRV_Equip] Model_Name, "NULL" when missing.
  static std::string ReadModelName();
};
