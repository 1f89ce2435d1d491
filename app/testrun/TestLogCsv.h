#pragma once
// One site's test log file: one CSV per site, day and lot that keeps every test item by item, its End cycle
// rows and its end block, and at a lot end the yield and error-list summaries. Each site has its own
// writer, used from that site's test thread; the lot-end summaries come from the UI thread while no site
// runs. Only SetLogHeader creates the file; every other write starts it first when it is missing, and
// every write that fails is reported to the platform error log.
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "ErrorList.h"
#include "SiteModel.h"
#include "SiteRunHost.h"

// A row of an End cycle as the cycle runner shows it.
struct CycleRow {
  std::string item;
  std::string tact;  // milliseconds since the cycle run started
  std::string dllName;
  std::string version;
  std::string defineCount;
  std::string retryCount = "0";
  std::string result;
  std::string code;
  std::string errorMsg;
  int calls = 0;  // the calls the row may make, from defineCount within the item-call limit
};

// Where a site's file goes and what its header names, read afresh each time a file is started.
struct TestLogPlace {
  std::string base;  // the folder under which Log/PlatformLog lies
  std::string lot;
  std::string lineName;
  std::string machineName;
};

class TestLogCsv {
 public:
  TestLogCsv(std::string siteName, std::function<TestLogPlace()> place);

  // "<base>/Log/PlatformLog/<yyyy>/<mm>" for the moment given.
  static std::string FolderFor(const std::string& base, const std::tm& when);
  // "<folder>/<yyyy>_<mm>_<dd>_<site>_<lot>.csv".
  static std::string FileFor(const std::string& folder, const std::tm& when, const std::string& siteName,
                             const std::string& lot);

  // Computes the path for now and the place's lot, creates the folder, and the file with its header when it
  // does not exist.
  bool SetLogHeader();
  bool SetLogBody(int row, int attempts, const ItemRow& item);
  // Writes to the file of the test under way only; false when it is missing.
  bool SetCycleLogHeader();
  bool SetCycleLogBody(int row, const CycleRow& cycle);
  // The end block, to the file of the test under way only. The item and cycle times start again from 0 once
  // it is written; a lost block keeps them.
  bool SetLogEnd(const TestLogEnd& end);
  bool SetLogYieldEnd(const YieldCounts& counts, const std::string& yieldText);
  bool SetLogErrorListEnd(const std::vector<ErrorListRow>& rows);

  std::string Path() const;
  int ItemTimeMs() const;
  int CycleTimeMs() const;

 private:
  void StartFileWhenMissing();
  bool Append(const std::string& text, const char* operation, int line, const char* failure);

  const std::string m_siteName;
  const std::function<TestLogPlace()> m_place;
  mutable std::mutex m_lock;
  std::string m_path;
  int m_itemTimeMs = 0;
  int m_cycleTimeMs = 0;
};
