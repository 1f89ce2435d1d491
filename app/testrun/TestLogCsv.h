#pragma once
// One site's test log file: one CSV per site, day and lot that keeps every test item by item, its End cycle
// rows and its end block, and at a lot end the yield and error-list summaries. Each site has its own
// writer, used from that site's test thread; the lot-end summaries come from the UI thread while no site
// runs. Every write reports failure so that a lost row never passes silently.
#include <ctime>
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
};

class TestLogCsv {
 public:
  explicit TestLogCsv(std::string siteName);

  // "<base>/Log/PlatformLog/<yyyy>/<mm>" for the moment given.
  static std::string FolderFor(const std::string& base, const std::tm& when);
  // "<folder>/<yyyy>_<mm>_<dd>_<site>_<lot>.csv".
  static std::string FileFor(const std::string& folder, const std::tm& when, const std::string& siteName,
                             const std::string& lot);

  // Computes the path under base for now and the lot, creates the folder and the file with its header.
  bool SetLogHeader(const std::string& base, const std::string& lot, const std::string& lineName,
                    const std::string& machineName);
  bool SetLogBody(int row, int attempts, const ItemRow& item);
  bool SetCycleLogHeader();
  bool SetCycleLogBody(int row, const CycleRow& cycle);
  // The end block; clears the item and cycle times.
  bool SetLogEnd(const TestLogEnd& end);
  bool SetLogYieldEnd(const YieldCounts& counts, const std::string& yieldText);
  bool SetLogErrorListEnd(const std::vector<ErrorListRow>& rows);

  std::string Path() const;
  int ItemTimeMs() const;
  int CycleTimeMs() const;

 private:
  bool Append(const std::string& text);

  const std::string m_siteName;
  mutable std::mutex m_lock;
  std::string m_path;
  std::string m_header;
  int m_itemTimeMs = 0;
  int m_cycleTimeMs = 0;
};
