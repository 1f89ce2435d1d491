// Every count the station reads from a model file, at 0, -1, 2147483647 and a text: each reader ends at once,
// reads no more rows than its list can hold, and names the file, the section and the key of a count it refuses
// in the platform error log. One child per file, under a time limit and an address-space budget, so that a
// reader that loops for ever or allocates without end fails here instead of holding up the run.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "ControllerIni.h"
#include "CycleIni.h"
#include "ErrorCodeTable.h"
#include "ErrorList.h"
#include "ItemRegistration.h"
#include "qrv_test/bounded_child.h"
#include "qrv_test/station_folder.h"

namespace {

using qrv::test::StationFolder;

struct CountRow {
  const char* file;  // relative to the model folder Ref/M
  const char* section;
  const char* key;
  int limit;
  // Reads the list as the station does and gives the number of rows it holds.
  std::function<std::size_t(const StationFolder&)> read;
};

std::string ModelFile(const char* file) { return std::string("Ref/M/") + file; }

std::size_t CycleRows(const char* section) {
  const std::string path = ModelFile("Cycle.ini");
  return std::max(cycleini::ReadCycleList(path, section).size(), cycleini::ReadStoredEntries(path, section).size());
}

std::vector<CountRow> Rows() {
  const auto cycle = [](const char* section) {
    return CountRow{"Cycle.ini", section, "Count", cycleini::kMaxCycleEntries,
                    [section](const StationFolder&) { return CycleRows(section); }};
  };
  return {
      {"Controller.ini", "CONTROLLER", "Count", ControllerIni::kMaxControls,
       [](const StationFolder&) { return static_cast<std::size_t>(std::max(ControllerIni::ReadControlCount(), 0)); }},
      cycle("CYCLE_INIT_DLL"),
      cycle("A.CYCLE_END_DLL"),
      cycle("H.CYCLE_END_DLL"),
      cycle("CYCLE_CLOSE_DLL"),
      {"Config.ini", "ERROR_LIST", "COUNT", ErrorList::kMaxRows,
       [](const StationFolder&) {
         ErrorList list(ModelFile("Config.ini"));
         list.Load();
         return list.Rows().size();
       }},
      // The table is looked up by code: the code no row holds makes the lookup read every row.
      {"ErrorCode.ini", "Item.dll", "count", ErrorCodeTable::kMaxCodes,
       [](const StationFolder& station) {
         const ErrorCodeTable table([&] { return station.Path(ModelFile("ErrorCode.ini")); });
         return table.GetErrorCodeText("Item.dll", 7) == table.GetMessageFileText(7) ? 0u : 1u;
       }},
      {"DllManager.ini", "A.QRV_DLL_LOAD", "Count", ItemRegistration::kMaxEntries,
       [](const StationFolder&) { return ItemRegistration::ReadSiteEntries(0).size(); }},
      {"DllManager.ini", "QRV_DLL_LOAD", "Count", ItemRegistration::kMaxEntries,
       [](const StationFolder&) { return ItemRegistration::ReadSingleListEntries().size(); }},
  };
}

struct CountValue {
  const char* text;
  bool past;  // beyond every limit
};
const CountValue kValues[] = {{"0", false}, {"-1", false}, {"2147483647", true}, {"abc", false}, {"99999999999", true}};

std::string ErrorLogText(const StationFolder& station) {
  std::string text;
  const std::filesystem::path folder = station.Path("System/PlatformErrorLog");
  if (!std::filesystem::exists(folder)) return text;
  for (const auto& file : std::filesystem::directory_iterator(folder)) text += qrv::test::ReadFile(file.path());
  return text;
}

// Runs each row of the file at each value; the number of faults, each said on standard error.
int ReadFileRows(const StationFolder& station, const std::string& file) {
  int faults = 0;
  const auto fault = [&](const CountRow& row, const char* value, const std::string& what) {
    std::cerr << file << " [" << row.section << "] " << row.key << "=" << value << ": " << what << "\n";
    ++faults;
  };
  for (const CountRow& row : Rows()) {
    if (file != row.file) continue;
    for (const auto& [value, past] : kValues) {
      station.Write(ModelFile(row.file), std::string("[") + row.section + "]\r\n" + row.key + "=" + value +
                                             "\r\n0=Item.dll,1,1\r\n");
      const std::size_t rows = row.read(station);
      if (rows > static_cast<std::size_t>(row.limit)) fault(row, value, "read " + std::to_string(rows) + " rows");
      const std::string line = ModelFile(row.file) + " [" + row.section + "] " + row.key + "=" + value;
      const std::string log = ErrorLogText(station);
      if (past && log.find(line) == std::string::npos && log.find(station.Path(line)) == std::string::npos)
        fault(row, value, "no line in the platform error log");
      if (!past && log.find(std::string("] ") + row.key + "=" + value) != std::string::npos)
        fault(row, value, "a count within its limit was reported");
    }
  }
  return faults;
}

class SettingsCounts : public testing::TestWithParam<const char*> {};

TEST_P(SettingsCounts, EveryCountOfTheFileIsReadUpToItsLimitAndARefusalIsLogged) {
  const StationFolder station;
  const std::string file = GetParam();
  const qrv::test::BoundedRun run =
      qrv::test::RunBounded([&] { return ReadFileRows(station, file); }, 60, 512);
  EXPECT_TRUE(run.exited) << file << ": ended by signal " << run.status << " (14: out of time)";
  EXPECT_EQ(run.status, 0) << file << ": faults, each on standard error";
}

INSTANTIATE_TEST_SUITE_P(ModelFiles, SettingsCounts,
                         testing::Values("Controller.ini", "Cycle.ini", "Config.ini", "ErrorCode.ini",
                                         "DllManager.ini"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           return name.substr(0, name.find('.'));
                         });

}  // namespace
