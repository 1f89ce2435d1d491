#pragma once
// The program (its test build, with the tools of StationTestTools.cpp) started from a station folder (see qrv_test/station_copy.h), headless, with its standard
// error collected, so tests see the boxes and traces a run produced.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "handler/handler_peer.h"

namespace qrv::test {

// The shipped models' handler link: eight sites on four servers, two sites each.
inline constexpr int kSites = 8;
inline constexpr int kServers = 4;
// How long a station under the sanitizers on a loaded two-core machine may take to connect and to answer.
inline constexpr int kConnectMs = 60000;
inline constexpr int kResultMs = 30000;

class StationProcess {
 public:
  // The test build of the program with the test's environment plus the given variables, or the station
  // folder's own QRVBase.exe with the given variables alone (beside the search path and the sanitizers'
  // options), as a user starts it.
  enum class Program { TestBuild, Shipped };

  // Starts the program from <station>.
  StationProcess(const std::string& station, const std::map<std::string, std::string>& env,
                 Program program = Program::TestBuild);
  ~StationProcess();
  StationProcess(const StationProcess&) = delete;
  StationProcess& operator=(const StationProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  // Reads standard error until the text appears or the time is up.
  bool WaitForText(const std::string& text, std::chrono::milliseconds timeout);
  // Sends the signal to the running station.
  void Signal(int signal) const;
  // The exit code (128 + the signal for one ended by a signal), or -1 when it did not end in time (it is then
  // killed).
  int WaitForExit(std::chrono::milliseconds timeout);
  const std::string& Errors() const { return errors_; }

 private:
  bool ReadSome(std::chrono::milliseconds timeout);
  void Kill();

  pid_t pid_ = -1;
  int errFd_ = -1;
  std::string errors_;
};

// Runs drive(server) for servers 0 to count - 1, each on a thread of its own, and returns once all have ended.
// The station's standard error is read all along, so that a full pipe never holds it up.
void DriveServers(StationProcess& run, int count, const std::function<void(int server)>& drive);

// The module a start names, so the result it echoes tells which site and which start it answers.
std::string ModuleCode(int site, int module);

// What a test makes of one result: "" when it is right, else why not.
using ResultCheck = std::function<std::string(int site, int module, const std::string& result)>;

// One handler link of the shipped models: connects `peer` to the port, then server i starts sites i and
// i + kServers in turn, `modules` times each, every start after the result of the one before. Returns the
// failures (no connection, a missing result, what `check` said), stopping at the first.
std::vector<std::string> TestSiteModules(handler::HandlerPeer& peer, int server, int port, int modules,
                                         const ResultCheck& check);

// How many lines of a site's list logs (Log/ListLog/.../*_<site>.txt) in the station hold the text.
int ListLogCount(const std::string& station, char site, const std::string& text);

}  // namespace qrv::test
