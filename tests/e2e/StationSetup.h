#pragma once
// What every run of the program on a fresh station folder sets up around it: the registry it shares with the
// test, the environment of a headless station on simulated boards, and the handler ports of its model.
#include <map>
#include <string>
#include <vector>

#include "qrv_test/scoped_env.h"
#include "qrv_test/temp_dir.h"

namespace qrv::test {

// The registry in <dir>/registry, for this process and the station alike, with the hardware library's device
// check bypassed: it would pause every item for boards a run does not initialise.
class StationRegistry {
 public:
  explicit StationRegistry(const TempDir& dir);

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  ScopedEnv env_;
};

// A headless station on four simulated boards with its registry and drives in <dir>, plus (or overriding) `extra`.
std::map<std::string, std::string> HeadlessStationEnv(const TempDir& dir,
                                                      const std::map<std::string, std::string>& extra = {});

// Moves the handler ports of a model's Protocol.ini to the given ones, PORT_A first; false when one is not written.
bool WriteHandlerPorts(const std::string& protocolIni, const std::vector<int>& ports);

}  // namespace qrv::test
