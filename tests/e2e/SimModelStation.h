#pragma once
// A fresh station folder that opens the simulated-module model: the built station, the item in its Dll/,
// the model chosen and its handler ports moved to the given ones.
#include <string>
#include <vector>

namespace qrv::test {

inline constexpr char kSimModel[] = "Sim_Model";

// False when the built station or the item is missing or a setting could not be written.
bool PrepareSimModelStation(const std::string& station, const std::string& item, const std::vector<int>& ports);

}  // namespace qrv::test
