// The simulated-module station started with counts a mistyped digit leaves in its model files: it comes up,
// answers a start on every site within the bound, and its memory stays bounded. A watcher ends a station whose
// resident size passes the bound, so a runaway allocation fails the test instead of the machine.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "SimModelStation.h"
#include "StationRun.h"
#include "handler/handler_peer.h"
#include "port/ini.h"
#include "qrv_test/free_ports.h"
#include "qrv_test/temp_dir.h"

using namespace std::chrono_literals;

namespace {

using qrv::test::kServers;

// The station under the sanitizers takes a few hundred MiB; a count that sizes memory takes gigabytes.
constexpr long kMaxResidentKiB = 2L << 20;

struct Setting {
  std::string file;  // in the model folder
  std::string section;
  std::string key;
};

long ResidentKiB(pid_t pid, const char* field) {
  long kib = 0;
  if (std::FILE* status = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r")) {
    char line[256];
    const std::string wanted = std::string(field) + ": %ld kB";
    while (std::fgets(line, sizeof line, status))
      if (std::sscanf(line, wanted.c_str(), &kib) == 1) break;
    std::fclose(status);
  }
  return kib;
}

// What the handler of one server does with the station: the failures it saw.
using Drive = std::function<std::vector<std::string>(int server, int port)>;

std::vector<std::string> StartEverySite(int server, int port) {
  handler::HandlerPeer peer;
  return qrv::test::TestSiteModules(peer, server, port, 1, [](int, int, const std::string& result) {
    return result.empty() ? "an empty result" : std::string();
  });
}

// Starts the station with the settings at the value, lets each server's handler drive it (by default one start
// for each site), and returns what went wrong.
std::vector<std::string> StartWith(const std::vector<Setting>& settings, const char* value,
                                   const Drive& drive = StartEverySite) {
  qrv::test::TempDir dir;
  const std::string station = dir.File("station");
  const std::vector<int> ports = qrv::test::FreeLoopbackPorts(kServers);
  if (!qrv::test::PrepareSimModelStation(station, ports)) return {"the built station is missing"};
  for (const Setting& s : settings)
    port::ini::WriteString(station + "/Ref/" + qrv::test::kSimModel + "/" + s.file, s.section.c_str(), s.key.c_str(),
                           value);

  qrv::test::StationProcess run(station, {{"QRV_SIM_BOARDS", "4"}});
  if (!run.Started()) return {"the station did not start"};
  std::atomic<bool> done{false};
  std::atomic<long> peakKiB{0};
  std::thread watcher([&] {
    while (!done.load()) {
      peakKiB.store(std::max(peakKiB.load(), ResidentKiB(run.Pid(), "VmRSS")));
      if (peakKiB.load() > kMaxResidentKiB) run.Signal(SIGKILL);
      std::this_thread::sleep_for(100ms);
    }
  });
  std::vector<std::vector<std::string>> failures(kServers);
  qrv::test::DriveServers(run, kServers, [&](int server) {
    failures[static_cast<std::size_t>(server)] = drive(server, ports[static_cast<std::size_t>(server)]);
  });
  done.store(true);
  watcher.join();
  run.Signal(SIGTERM);
  std::vector<std::string> all;
  if (run.WaitForExit(60s) != 0) all.push_back("the station did not end on SIGTERM");
  if (peakKiB.load() > kMaxResidentKiB) all.push_back("resident size " + std::to_string(peakKiB.load()) + " KiB");
  for (const auto& list : failures) all.insert(all.end(), list.begin(), list.end());
  return all;
}

// The counts whose lists the station reads at start-up and at each start.
const std::vector<Setting> kCounts = {
    {"Controller.ini", "CONTROLLER", "Count"},   {"Cycle.ini", "CYCLE_INIT_DLL", "Count"},
    {"Cycle.ini", "A.CYCLE_END_DLL", "Count"},   {"Cycle.ini", "B.CYCLE_END_DLL", "Count"},
    {"Cycle.ini", "C.CYCLE_END_DLL", "Count"},   {"Cycle.ini", "D.CYCLE_END_DLL", "Count"},
    {"Cycle.ini", "E.CYCLE_END_DLL", "Count"},   {"Cycle.ini", "F.CYCLE_END_DLL", "Count"},
    {"Cycle.ini", "G.CYCLE_END_DLL", "Count"},   {"Cycle.ini", "H.CYCLE_END_DLL", "Count"},
    {"Cycle.ini", "CYCLE_CLOSE_DLL", "Count"},   {"Config.ini", "ERROR_LIST", "COUNT"},
    {"Register.ini", "REGISTER_KEY", "COUNT"},   {"ErrorCode.ini", "SimModuleItem.dll", "count"},
    {"Sensor.ini", "SENSOR_SET", "LinkRetry"},   {"Protocol.ini", "SIMUL_SEQUENEC_A", "SEQ_COUNT"},
};

TEST(SettingsCountsE2eTest, EveryCountAtItsWorstStillAnswersEveryStart) {
  for (const char* value : {"2147483647", "-1"}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(StartWith(kCounts, value), std::vector<std::string>());
  }
}

TEST(SettingsCountsE2eTest, SensorPictureSizeAtItsWorstFailsTheRunAndAnswersEveryStart) {
  EXPECT_EQ(StartWith({{"Sensor.ini", "SENSOR_SET", "QRV_SENSOR_SIZE_X"}, {"Sensor.ini", "SENSOR_SET", "QRV_SENSOR_SIZE_Y"}},
                      "2147483647"),
            std::vector<std::string>());
}

bool IsNumber(const std::string& text) {
  static const std::regex number(R"(\s*[-+]?[0-9]+(\.[0-9]+)?\s*)");
  return std::regex_match(text, number);
}

// Keys whose value is as long as the run may be, whatever the file says: the power delays are held at 10 s each
// and the item grabs as many frames as it is told. At their worst they only make a long test.
bool MakesOnlyALongTest(const std::string& key) { return key.starts_with("HW_PowerDelay") || key == "FrameCount"; }

// The keys that shape the station: how many sites it has and how many boards it opens. Out of range they leave
// sites that refuse their starts, or no board open, so no start would try the other keys. They are tried alone.
bool ShapesTheStation(const std::string& file, const std::string& key) {
  return file == "Config.ini" && (key == "para" || key == "site");
}

// Every key of the model's files whose stored value is a number, the handler ports aside (a port changed is a
// station no handler reaches) and the keys that shape the station.
std::vector<Setting> NumericKeys(bool worst) {
  std::vector<Setting> keys;
  for (const auto& entry : std::filesystem::directory_iterator(SIM_MODEL_FOLDER)) {
    const std::string path = entry.path().string(), file = entry.path().filename().string();
    for (const std::string& section : port::ini::ReadSections(path)) {
      for (const std::string& key : port::ini::ReadKeys(path, section)) {
        if (!IsNumber(port::ini::ReadString(path, section, key, "")) || key.starts_with("PORT_")) continue;
        if (ShapesTheStation(file, key) || (worst && MakesOnlyALongTest(key))) continue;
        keys.push_back({file, section, key});
      }
    }
  }
  return keys;
}

struct WorstValue {
  const char* text;
  const char* name;
};

void PrintTo(const WorstValue& value, std::ostream* out) { *out << value.text; }

class EveryNumericKey : public testing::TestWithParam<WorstValue> {};

// Every numeric key of every model file at the value at once: the station comes up, answers a start on every
// site, and stays within its memory bound.
TEST_P(EveryNumericKey, AtTheValueTheStationAnswersEveryStart) {
  const std::string value = GetParam().text;
  const std::vector<Setting> keys = NumericKeys(value == "2147483647");
  ASSERT_GT(keys.size(), 100u) << "the model's files were not found";
  EXPECT_EQ(StartWith(keys, value.c_str()), std::vector<std::string>());
}

// A site or board count out of range leaves the station up: the first site's start gets its result, or the
// handler is told that the boards are not open and starts nothing.
TEST_P(EveryNumericKey, WithTheStationsShapeAtTheValueTheFirstSiteIsAnswered) {
  const auto startFirstSite = [](int server, int port) -> std::vector<std::string> {
    if (server != 0) return {};
    handler::HandlerPeer peer;
    if (!peer.Connect("127.0.0.1", port, qrv::test::kConnectMs)) return {"no connection"};
    handler::StartOfTest start;
    start.bcd = qrv::test::ModuleCode(0, 0);
    if (peer.RunTest(start, qrv::test::kResultMs) || peer.LastFailure().find("Hardware Open device Error") != std::string::npos)
      return {};
    return {"no result for the first site: " + peer.LastFailure()};
  };
  for (const Setting& key : std::vector<Setting>{{"Config.ini", "SITE", "site"}, {"Config.ini", "PARA", "para"}}) {
    SCOPED_TRACE(key.key);
    EXPECT_EQ(StartWith({key}, GetParam().text, startFirstSite), std::vector<std::string>());
  }
}

INSTANTIATE_TEST_SUITE_P(Values, EveryNumericKey,
                         testing::Values(WorstValue{"0", "Zero"}, WorstValue{"-1", "MinusOne"},
                                         WorstValue{"2147483647", "IntMax"}, WorstValue{"abc", "Text"}),
                         [](const testing::TestParamInfo<WorstValue>& info) { return info.param.name; });

}  // namespace
