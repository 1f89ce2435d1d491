#pragma once
// A fresh station folder that opens the simulated-module model: the built station (its Dll/ carries the
// model's item), the model chosen and its handler ports moved to the given ones.
#include <string>
#include <vector>

namespace qrv::test {

inline constexpr char kSimModel[] = "Sim_Model";

// False when the built station is missing or a setting could not be written.
bool PrepareSimModelStation(const std::string& station, const std::vector<int>& ports);

}  // namespace qrv::test
