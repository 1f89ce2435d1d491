#pragma once
// The rows of the setup dialog's settings grid: section, key and value text of each shown setting, with
// empty rows between groups, and Save writing the rows back.
#include <string>
#include <vector>

#include "hw_settings.h"

namespace hw {

struct SpecRow {
  std::string section;  // empty: a row between groups
  std::string key;
  std::string value;
};

// `i2cMode` is board 0's mode; the board row only when one board (PARA 1) serves the station.
std::vector<SpecRow> BuildSpecRows(const HwSettings& settings, int i2cMode, bool showUsbId);

// Keys whose value takes any text; every other value takes digits only.
bool IsFreeTextKey(const std::string& key);

// Writes each row with a section as typed; the sensor address and the mux selection, shown in decimal,
// are stored as "0x%x". False when any write failed.
bool SaveSpecRows(const RecordIni& ini, const std::vector<SpecRow>& rows);

}  // namespace hw
