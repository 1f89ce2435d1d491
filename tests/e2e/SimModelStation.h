#pragma once
// A fresh station folder that opens the simulated-module model: the built station (its Dll/ carries the
// model's item), the model chosen and its handler ports moved to the given ones.
#include <map>
#include <string>
#include <vector>

namespace qrv::test {

inline constexpr char kSimModel[] = "Sim_Model";

// False when the built station is missing or a setting could not be written.
bool PrepareSimModelStation(const std::string& station, const std::vector<int>& ports);

// The built station with the model chosen and its own handler ports kept, as a user prepares it by hand.
bool PrepareUserSimModelStation(const std::string& station);
// The model's handler ports, PORT_A onwards of its Protocol.ini, one per server; 0 for a port it lacks.
std::vector<int> SimModelPorts(const std::string& station, int servers);
// The variables a user sets to start the station by hand on four simulated boards without a display; home
// stands for a fresh user's home, so the run has a registry of its own.
std::map<std::string, std::string> UserStartEnv(const std::string& home);

}  // namespace qrv::test
