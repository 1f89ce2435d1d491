// What a lot leaves behind, end to end: a fresh station on simulated boards, eight sites of thirty modules
// started by the handler peer, with two items per site that fail now and then with their own codes and an
// End cycle after every test. Each site's test log file must hold every run item by item in its columns and
// order, with its End cycle rows and end block; the station's error list must count exactly the failures the
// handler was sent; the lot counts and time totals must agree with the logs; and the handler's lot change
// must close every file with the lot's summaries and start the counts again.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "CodedItemRule.h"
#include "StationRun.h"
#include "StationSetup.h"
#include "handler/handler_peer.h"
#include "port/ini.h"
#include "port/text.h"
#include "protocol_packet.h"
#include "qrv_test/file_text.h"
#include "qrv_test/free_ports.h"
#include "qrv_test/station_copy.h"
#include "qrv_test/temp_dir.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using qrv::test::kConnectMs;
using qrv::test::kResultMs;
using qrv::test::kServers;
using qrv::test::kSites;

constexpr int kModules = 30;
constexpr char kLot[] = "LOT_E2E_1";
constexpr char kNextLot[] = "LOT_E2E_2";

// The model's items: site list rows 0 and 1, then the End cycle's one item.
struct Item {
  int number;  // for coded::Code
  const char* dll;
  const char* name;  // its version block's ItemName
  const char* okText;
};
constexpr Item kItems[] = {{1, "CodedItemA.dll", "Focus", "Focus OK"}, {2, "CodedItemB.dll", "Current", "Current OK"}};
constexpr Item kEndItem = {0, "CodedEnd.dll", "Power Off", "100"};

struct Failure {
  int code;
  int handlerCode;
  const char* text;
};
// ErrorCode.ini of the model: each failure's text and the code the handler receives.
const std::map<std::string, std::vector<Failure>> kFailures = {
    {"CodedItemA.dll", {{5, 205, "Focus low"}, {7, 207, "Focus high"}}},
    {"CodedItemB.dll", {{12, 212, "Current high"}, {13, 213, "Current low"}}},
};

const Failure& FailureOf(const std::string& dll, int code) {
  for (const Failure& failure : kFailures.at(dll))
    if (failure.code == code) return failure;
  throw std::logic_error("no such failure");
}

// What one module's run must show: the item rows run (a failing row ends the list) and the result.
struct Expected {
  std::vector<std::pair<const Item*, int>> rows;  // item and its code
  int handlerCode = 0;                            // 0 for a pass
  std::string message = "PASS";
};

Expected ExpectedRun(int site, int module) {
  Expected run;
  for (const Item& item : kItems) {
    const int code = coded::Code(item.number, site, module);
    run.rows.emplace_back(&item, code);
    if (code == 0) continue;
    const Failure& failure = FailureOf(item.dll, code);
    run.handlerCode = failure.handlerCode;
    run.message = failure.text;
    break;
  }
  return run;
}

using qrv::test::ModuleCode;

// The yield text of the lot counts: the percentage in single precision, its first five characters, never
// rounded, "100.0" as "100" and "0.000" as "0".
std::string YieldText(int pass, int total) {
  const float yield = total == 0 ? 0.0f : static_cast<float>(pass) / static_cast<float>(total) * 100.0f;
  std::string text = port::Format("%f", yield).substr(0, 5);
  if (text == "100.0") text = "100";
  if (text == "0.000") text = "0";
  return text + "%";
}

bool WriteModel(const std::string& station, const std::vector<int>& ports) {
  const std::string model = station + "/Ref/Init_Model/";
  std::error_code error;
  fs::copy_file(CODED_ITEM_A, station + "/Dll/CodedItemA.dll", fs::copy_options::overwrite_existing, error);
  fs::copy_file(CODED_ITEM_B, station + "/Dll/CodedItemB.dll", fs::copy_options::overwrite_existing, error);
  fs::create_directories(station + "/Cycle", error);
  fs::copy_file(CODED_END, station + "/Cycle/CodedEnd.dll", fs::copy_options::overwrite_existing, error);
  if (error) return false;
  bool ok = qrv::test::WriteHandlerPorts(model + "Protocol.ini", ports);
  auto write = [&ok](const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) {
    ok = ok && port::ini::WriteString(file, section.c_str(), key.c_str(), value.c_str());
  };
  for (int site = 0; site < kSites; ++site) {
    const char letter = static_cast<char>('A' + site);
    const std::string list = port::Format("%c.QRV_DLL_LOAD", letter);
    write(model + "DllManager.ini", list, "Count", "2");
    write(model + "DllManager.ini", list, "0", "CodedItemA.dll,1,1");
    write(model + "DllManager.ini", list, "1", "CodedItemB.dll,1,1");
    const std::string end = port::Format("%c.CYCLE_END_DLL", letter);
    write(model + "Cycle.ini", end, "Count", "1");
    write(model + "Cycle.ini", end, "0", "CodedEnd.dll,1,1");
  }
  for (const Item& item : kItems) {
    const std::vector<Failure>& failures = kFailures.at(item.dll);
    write(model + "ErrorCode.ini", item.dll, "count", std::to_string(failures.size() + 1));
    write(model + "ErrorCode.ini", item.dll, "0", std::string("1,0,0,") + item.okText);
    for (std::size_t i = 0; i < failures.size(); ++i)
      write(model + "ErrorCode.ini", item.dll, std::to_string(i + 1),
            port::Format("1,%d,%d,%s", failures[i].code, failures[i].handlerCode, failures[i].text));
  }
  write(model + "Controller.ini", "Error_List_Standard", "KEY", "0");
  write(model + "Config.ini", "LOT_NUMBER", "number", kLot);
  return ok;
}

struct Received {
  std::vector<std::string> failures;
  std::map<std::pair<int, int>, std::pair<int, std::string>> results;  // (site, module) -> RET, MSG
};

Received DriveServer(int server, int port) {
  Received received;
  handler::HandlerPeer peer;
  received.failures =
      qrv::test::TestSiteModules(peer, server, port, kModules, [&](int site, int module, const std::string& result) {
        const protocol::ProtocolPacket packet(result);
        const std::string_view fields = packet.Data();
        received.results[{site, module}] = {std::atoi(protocol::GetPacketField(fields, "RET").c_str()),
                                            protocol::GetPacketField(fields, "MSG")};
        return protocol::GetPacketField(fields, "BCD") == ModuleCode(site, module)
                   ? std::string()
                   : "start " + ModuleCode(site, module) + " answered by " + result;
      });
  return received;
}

// The station's one test log file of the site and lot, or "" when there is none or more than one.
std::string TestLogOf(const std::string& station, char site, const std::string& lot) {
  std::vector<std::string> found;
  const std::string suffix = std::string("_") + site + "_" + lot + ".csv";
  for (const auto& entry : fs::recursive_directory_iterator(station + "/Log")) {
    const std::string name = entry.path().filename().string();
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      found.push_back(entry.path().string());
  }
  return found.size() == 1 ? found[0] : std::string();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (std::string::size_type end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string::size_type start = 0;
  for (std::string::size_type comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
    fields.push_back(line.substr(start, comma - start));
  fields.push_back(line.substr(start));
  return fields;
}

// Reads a site's file line by line against what every run must have written.
class LogReader {
 public:
  LogReader(std::vector<std::string> lines, int site) : lines_(std::move(lines)), site_(site) {}

  void Header() {
    Expect("Line Name - LINE_1");
    Expect("Machine Name - MACHINE_1");
    Expect("");
    Expect(", Index, Item name, Code, Result, Message, reTryCount, Time(ms), Dll Name");
  }

  // One module's run; returns its item time (the sum of the rows' times).
  int Run(int module, int handlerCode) {
    const Expected run = ExpectedRun(site_, module);
    int itemMs = 0;
    for (std::size_t row = 0; row < run.rows.size(); ++row) {
      const auto [item, code] = run.rows[row];
      const std::vector<std::string> fields = Fields(Next());
      const std::string text = code == 0 ? item->okText : FailureOf(item->dll, code).text;
      const std::vector<std::string> want = {" ", " " + std::to_string(row), std::string(" ") + item->name,
                                             " " + std::to_string(code), code == 0 ? " PASS" : " FAIL",
                                             " " + text, " 1"};
      EXPECT_EQ(fields.size(), 9u) << Where();
      if (fields.size() != 9u) return 0;
      EXPECT_EQ(std::vector<std::string>(fields.begin(), fields.begin() + 7), want) << Where();
      EXPECT_EQ(fields[8], std::string(" ") + item->dll) << Where();
      itemMs += std::atoi(fields[7].c_str());
    }
    Expect(", Cycle End");
    const std::vector<std::string> cycle = Fields(Next());
    EXPECT_EQ(cycle.size(), 9u) << Where();
    if (cycle.size() == 9u) {
      EXPECT_EQ(std::vector<std::string>(cycle.begin(), cycle.begin() + 7),
                (std::vector<std::string>{" ", " 0", " Power Off", " 0", " PASS", " 100", " 1"}))
          << Where();
      EXPECT_EQ(cycle[8], " CodedEnd.dll") << Where();
    }
    const int cycleMs = cycle.size() == 9u ? std::atoi(cycle[7].c_str()) : 0;
    EXPECT_EQ(Next().rfind(port::Format(" %d, Test Start Time,", module), 0), 0u) << Where();
    Expect(", Barcode,");
    EXPECT_EQ(Next().rfind(", Para,", 0), 0u) << Where();
    Expect(port::Format(", Result Handler Code, %d", handlerCode));
    Expect(", MSG, " + run.message);
    Expect(run.handlerCode == 0 ? ", Result, PASS" : ", Result, FAIL");
    Expect(port::Format(", Test Item, %d, Cycle End, %d, Total Time, %d ", itemMs, cycleMs, itemMs + cycleMs));
    for (int empty = 0; empty < 3; ++empty) Expect("");
    return itemMs;
  }

  std::string Next() { return at_ < lines_.size() ? lines_[at_++] : std::string("<end of file>"); }
  void Expect(const std::string& line) { EXPECT_EQ(Next(), line) << Where(); }
  // Every line read; a file that ends with CR LF leaves one empty text after its last line.
  bool AtEnd() const { return at_ == lines_.size() || (at_ + 1 == lines_.size() && lines_[at_].empty()); }
  std::string Where() const { return port::Format("site %c line %zu", 'A' + site_, at_); }

 private:
  std::vector<std::string> lines_;
  int site_;
  std::size_t at_ = 0;
};

struct ErrorRow {
  std::string msg;
  std::string code;
  int count;
  std::string itemName;
  std::string site;
};

std::vector<ErrorRow> ReadErrorList(const std::string& config) {
  std::vector<ErrorRow> rows;
  const int count = std::atoi(port::ini::ReadString(config, "ERROR_LIST", "COUNT", "0").c_str());
  for (int n = 0; n < count; ++n) {
    const std::vector<std::string> f = Fields(port::ini::ReadString(config, "ERROR_LIST", std::to_string(n), ""));
    if (f.size() == 5) rows.push_back({f[0], f[1], std::atoi(f[2].c_str()), f[3], f[4]});
  }
  return rows;
}

template <typename Condition>
bool WaitUntil(qrv::test::StationProcess& run, Condition condition, std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    run.WaitForText("\n\x01", 100ms);  // keeps reading the station's standard error meanwhile
  }
  return true;
}

TEST(RecordsE2eTest, EightSitesOfThirtyModulesLeaveTheirLogsCountsAndErrorListAndALotChangeClosesThem) {
  qrv::test::TempDir dir;
  const std::string station = dir.File("station");
  ASSERT_TRUE(qrv::test::CopyBuiltStation(station)) << "the built station is missing";
  const std::vector<int> ports = qrv::test::FreeLoopbackPorts(kServers);
  ASSERT_EQ(ports.size(), static_cast<std::size_t>(kServers)) << "no free loopback ports";
  ASSERT_TRUE(WriteModel(station, ports));
  const std::string config = station + "/Ref/Init_Model/Config.ini";
  const qrv::test::StationRegistry registry(dir);

  qrv::test::StationProcess run(station, qrv::test::HeadlessStationEnv(dir, {{"QRV_EXIT_AFTER_MS", "240000"}}));
  ASSERT_TRUE(run.Started());
  std::vector<Received> received(kServers);
  qrv::test::DriveServers(run, kServers, [&](int server) {
    received[static_cast<std::size_t>(server)] = DriveServer(server, ports[static_cast<std::size_t>(server)]);
  });

  // What the handler was sent, module by module, and the failures it counts per site, item and code.
  std::map<std::tuple<std::string, std::string, std::string>, int> sentFailures;  // (site, item, code)
  std::map<int, int> sentPasses;
  for (const Received& link : received) {
    for (const std::string& failure : link.failures) ADD_FAILURE() << failure;
    for (const auto& [start, answer] : link.results) {
      const auto [site, module] = start;
      const Expected want = ExpectedRun(site, module);
      EXPECT_EQ(answer.first, want.handlerCode == 0 ? 1 : want.handlerCode) << ModuleCode(site, module);
      EXPECT_EQ(answer.second, want.message) << ModuleCode(site, module);
      if (want.handlerCode == 0) {
        ++sentPasses[site];
        continue;
      }
      const auto& [item, code] = want.rows.back();
      ++sentFailures[{std::to_string(site), item->name, std::to_string(code)}];
    }
  }
  ASSERT_FALSE(HasFailure()) << run.Errors();

  // The last run of each site has its records once its time totals include it: the item time of each run
  // is above 0 (every item takes a few milliseconds), so the totals grow with every run.
  std::vector<std::string> logs(kSites);
  std::vector<int> itemTotals(kSites);
  auto recorded = [&] {
    for (int site = 0; site < kSites; ++site) {
      const std::string section = port::Format("LOT_COUNT_%d", site);
      logs[site] = TestLogOf(station, static_cast<char>('A' + site), kLot);
      if (logs[site].empty()) return false;
      int total = 0;
      for (const std::string& line : Lines(qrv::test::ReadFile(logs[site])))
        if (line.rfind(", Test Item, ", 0) == 0) total += std::atoi(line.c_str() + 13);
      itemTotals[site] = total;
      if (port::ini::ReadString(config, section.c_str(), "TOTAL", "") != std::to_string(kModules) ||
          port::ini::ReadString(config, section.c_str(), "DLL_TOTAL_TIME", "") != std::to_string(total))
        return false;
    }
    return true;
  };
  ASSERT_TRUE(WaitUntil(run, recorded, 60s)) << "the records of the last runs never came\n" << run.Errors();

  for (int site = 0; site < kSites; ++site) {
    const std::string section = port::Format("LOT_COUNT_%d", site);
    const int pass = sentPasses[site];
    EXPECT_EQ(port::ini::ReadString(config, section.c_str(), "PASS", ""), std::to_string(pass)) << section;
    EXPECT_EQ(port::ini::ReadString(config, section.c_str(), "FAIL", ""), std::to_string(kModules - pass))
        << section;
    EXPECT_EQ(port::ini::ReadString(config, section.c_str(), "YIELD", ""), YieldText(pass, kModules)) << section;
    EXPECT_GT(itemTotals[site], 0) << section;
    EXPECT_GE(std::atoi(port::ini::ReadString(config, section.c_str(), "THREAD_TOTAL_TIME", "").c_str()),
              itemTotals[site])
        << section << ": a whole test takes at least its items' time";
  }
  const std::vector<ErrorRow> errors = ReadErrorList(config);
  std::map<std::tuple<std::string, std::string, std::string>, int> listed;
  for (const ErrorRow& row : errors) {
    EXPECT_EQ(listed.count({row.site, row.itemName, row.code}), 0u) << "one row per site, item and code";
    listed[{row.site, row.itemName, row.code}] = row.count;
    const std::string dll = row.itemName == "Focus" ? "CodedItemA.dll" : "CodedItemB.dll";
    EXPECT_EQ(row.msg, FailureOf(dll, std::atoi(row.code.c_str())).text);
  }
  EXPECT_EQ(listed, sentFailures);

  // A new lot from the handler: every file ends with the lot's yield and the station's error list, and the
  // counts, time totals and the error list start again.
  handler::HandlerPeer peer;
  ASSERT_TRUE(peer.Connect("127.0.0.1", ports[0], kConnectMs));
  ASSERT_TRUE(peer.SendCommand('M', "LOT", std::string("@LOT=") + kNextLot));
  auto reset = [&] {
    if (port::ini::ReadString(config, "ERROR_LIST", "COUNT", "") != "0") return false;
    for (int site = 0; site < kSites; ++site)
      if (port::ini::ReadString(config, port::Format("LOT_COUNT_%d", site).c_str(), "THREAD_TOTAL_TIME", "") != "0" ||
          TestLogOf(station, static_cast<char>('A' + site), kNextLot).empty())
        return false;
    return true;
  };
  ASSERT_TRUE(WaitUntil(run, reset, 60s)) << "the lot change never came whole\n" << run.Errors();
  EXPECT_EQ(port::ini::ReadString(config, "LOT_NUMBER", "number", ""), kNextLot);
  peer.Close();
  run.WaitForExit(0ms);

  for (int site = 0; site < kSites; ++site) {
    const std::string section = port::Format("LOT_COUNT_%d", site);
    for (const char* key : {"TOTAL", "PASS", "FAIL", "YIELD", "DLL_TOTAL_TIME"})
      EXPECT_EQ(port::ini::ReadString(config, section.c_str(), key, ""), "0") << section << " " << key;

    LogReader reader(Lines(qrv::test::ReadFile(logs[site])), site);
    reader.Header();
    for (int module = 0; module < kModules && !HasFailure(); ++module) {
      const Expected want = ExpectedRun(site, module);
      reader.Run(module, want.handlerCode);
    }
    reader.Expect("");
    reader.Expect("");
    const int pass = sentPasses[site];
    reader.Expect(port::Format(", Total: %d, Pass: %d, Fail: %d, Yield: %s", kModules, pass, kModules - pass,
                               YieldText(pass, kModules).c_str()));
    for (const ErrorRow& row : errors)
      reader.Expect(port::Format(",Item Nmae : %s, Code : %s, Count : %d, Msg : %s", row.itemName.c_str(),
                                 row.code.c_str(), row.count, row.msg.c_str()));
    EXPECT_TRUE(reader.AtEnd()) << reader.Where() << ": " << reader.Next();

    LogReader fresh(Lines(qrv::test::ReadFile(TestLogOf(station, static_cast<char>('A' + site), kNextLot))), site);
    fresh.Header();
    EXPECT_TRUE(fresh.AtEnd());
  }
  if (HasFailure()) ADD_FAILURE() << run.Errors();
}

}  // namespace
