// Fault switches of the board services: "open_pins=5,9", "short_pins=3", "leaky_pins=12" (pin lists,
// every board), "os_eeprom_nak", "flash_bad_bit", "eye_scan_stuck" (optionally "=board").
#include <cstdlib>
#include <sstream>

#include "sim_board.h"

namespace velkarasim {
namespace {

void SetPins(std::set<int>& pins, const std::string& value, bool on) {
  pins.clear();
  if (!on) return;
  std::istringstream list(value);
  std::string pin;
  while (std::getline(list, pin, ',')) {
    if (!pin.empty()) pins.insert(std::atoi(pin.c_str()));
  }
}

}  // namespace

bool IsPinListSwitch(const std::string& name) {
  return name == "open_pins" || name == "short_pins" || name == "leaky_pins";
}

bool SetServiceSwitch(ServiceFaults& faults, const std::string& name, const std::string& value, bool on) {
  if (name == "open_pins") SetPins(faults.openPins, value, on);
  else if (name == "short_pins") SetPins(faults.shortPins, value, on);
  else if (name == "leaky_pins") SetPins(faults.leakyPins, value, on);
  else if (name == "os_eeprom_nak") faults.osEepromNak = on;
  else if (name == "flash_bad_bit") faults.flashBadBit = on;
  else if (name == "eye_scan_stuck") faults.eyeScanStuck = on;
  else return false;
  return true;
}

void MergeServiceFaults(ServiceFaults& into, const ServiceFaults& every) {
  into.openPins.insert(every.openPins.begin(), every.openPins.end());
  into.shortPins.insert(every.shortPins.begin(), every.shortPins.end());
  into.leakyPins.insert(every.leakyPins.begin(), every.leakyPins.end());
  into.osEepromNak |= every.osEepromNak;
  into.flashBadBit |= every.flashBadBit;
  into.eyeScanStuck |= every.eyeScanStuck;
}

}  // namespace velkarasim
