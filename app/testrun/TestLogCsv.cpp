#include "TestLogCsv.h"

#include <cstdlib>
#include <filesystem>

#include "LogFile.h"
#include "PlatformErrorLog.h"
#include "port/path.h"
#include "port/text.h"

namespace {

// Failures are reported under the names of the test log page's operations, which service staff know.
constexpr const char* kBodyFail = "Ploatform Log Body fail";
constexpr const char* kEndFail = "Ploatform Log End ReadWrite fail";

}  // namespace

TestLogCsv::TestLogCsv(std::string siteName, std::function<TestLogPlace()> place)
    : m_siteName(std::move(siteName)), m_place(std::move(place)) {}

std::string TestLogCsv::FolderFor(const std::string& base, const std::tm& when) {
  return port::JoinPath(base, port::Format("Log/PlatformLog/%04d/%02d", when.tm_year + 1900, when.tm_mon + 1));
}

std::string TestLogCsv::FileFor(const std::string& folder, const std::tm& when, const std::string& siteName,
                                const std::string& lot) {
  return port::JoinPath(folder, port::Format("%04d_%02d_%02d_%s_%s.csv", when.tm_year + 1900, when.tm_mon + 1,
                                             when.tm_mday, logfile::SafeFileNamePart(siteName).c_str(),
                                             logfile::SafeFileNamePart(lot).c_str()));
}

bool TestLogCsv::SetLogHeader() {
  const TestLogPlace place = m_place();
  const std::time_t now = std::time(nullptr);
  std::tm when{};
  localtime_r(&now, &when);
  const std::string folder = FolderFor(place.base, when);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::string path = FileFor(folder, when, m_siteName, place.lot);
  {
    const std::lock_guard lock(m_lock);
    m_path = path;
  }
  if (std::filesystem::exists(path, error)) return true;
  const std::string header =
      port::Format("Line Name - %s\r\nMachine Name - %s\r\n\r\n", place.lineName.c_str(), place.machineName.c_str()) +
      ", Index, Item name, Code, Result, Message, reTryCount, Time(ms), Dll Name\r\n";
  if (logfile::AppendLine(path, header)) return true;
  LogPlatformError("%s [Line:%d] ERROR : Test log file create fail", "SiteLogCtrl::SetLogHeader", __LINE__);
  return false;
}

bool TestLogCsv::SetLogBody(int row, int attempts, const ItemRow& item) {
  StartFileWhenMissing();
  {
    const std::lock_guard lock(m_lock);
    m_itemTimeMs += std::atoi(item.tact.c_str());
  }
  return Append(port::Format(" , %d, %s, %s, %s, %s, %d, %s, %s\r\n", row, item.item.c_str(), item.code.c_str(),
                             item.result.c_str(), item.errorMsg.c_str(), attempts, item.tact.c_str(),
                             item.dllName.c_str()),
                "SiteLogCtrl::SetLogBody", __LINE__, kBodyFail);
}

bool TestLogCsv::SetCycleLogHeader() {
  return Append(", Cycle End\r\n", "SiteLogCtrl::SetCycleLogHeader", __LINE__, kBodyFail);
}

bool TestLogCsv::SetCycleLogBody(int row, const CycleRow& cycle) {
  StartFileWhenMissing();
  const int tact = std::atoi(cycle.tact.c_str());
  int own = 0;
  {
    const std::lock_guard lock(m_lock);
    own = tact - m_cycleTimeMs;
    m_cycleTimeMs = tact;
  }
  return Append(port::Format(" , %d, %s, %s, %s, %s, %s, %d, %s\r\n", row, cycle.item.c_str(), cycle.code.c_str(),
                             cycle.result.c_str(), cycle.errorMsg.c_str(), cycle.retryCount.c_str(), own,
                             cycle.dllName.c_str()),
                "SiteLogCtrl::SetCycleLogBody", __LINE__, kBodyFail);
}

bool TestLogCsv::SetLogEnd(const TestLogEnd& end) {
  int itemMs = 0;
  int cycleMs = 0;
  {
    const std::lock_guard lock(m_lock);
    itemMs = m_itemTimeMs;
    cycleMs = m_cycleTimeMs;
  }
  const bool written = Append(
      port::Format(" %s, Test Start Time,%s\r\n, Barcode,%s\r\n, Para,%d\r\n, Result Handler Code, %d\r\n, MSG, "
                   "%s\r\n, Result, %s\r\n, Test Item, %d, Cycle End, %d, Total Time, %d \r\n\r\n\r\n\r\n",
                   end.lotTotal.c_str(), end.startStamp.c_str(), end.barcode.c_str(), end.para, end.resultCode,
                   end.label.c_str(), end.pass ? "PASS" : "FAIL", itemMs, cycleMs, itemMs + cycleMs),
      "SiteLogCtrl::SetLogEnd", __LINE__, kEndFail);
  if (written) {
    const std::lock_guard lock(m_lock);
    m_itemTimeMs = 0;
    m_cycleTimeMs = 0;
  }
  return written;
}

bool TestLogCsv::SetLogYieldEnd(const YieldCounts& counts, const std::string& yieldText) {
  StartFileWhenMissing();
  return Append(port::Format("\r\n\r\n, Total: %d, Pass: %d, Fail: %d, Yield: %s", counts.total, counts.pass,
                             counts.fail, yieldText.c_str()),
                "SiteLogCtrl::SetLogYieldEnd", __LINE__, kEndFail);
}

bool TestLogCsv::SetLogErrorListEnd(const std::vector<ErrorListRow>& rows) {
  StartFileWhenMissing();
  std::string text;
  for (const ErrorListRow& row : rows)
    text += port::Format("\r\n,Item Nmae : %s, Code : %s, Count : %d, Msg : %s", row.itemName.c_str(),
                         row.code.c_str(), row.count, row.msg.c_str());
  return Append(text, "SiteLogCtrl::SetLogErrorListEnd", __LINE__, kEndFail);
}

std::string TestLogCsv::Path() const {
  const std::lock_guard lock(m_lock);
  return m_path;
}

int TestLogCsv::ItemTimeMs() const {
  const std::lock_guard lock(m_lock);
  return m_itemTimeMs;
}

int TestLogCsv::CycleTimeMs() const {
  const std::lock_guard lock(m_lock);
  return m_cycleTimeMs;
}

// A new day, a new lot or a file removed during the day: the file of now is started with its header.
void TestLogCsv::StartFileWhenMissing() {
  std::error_code error;
  if (const std::string path = Path(); path.empty() || !std::filesystem::exists(path, error)) SetLogHeader();
}

bool TestLogCsv::Append(const std::string& text, const char* operation, int line, const char* failure) {
  if (const std::string path = Path(); !path.empty() && logfile::AppendToExisting(path, text)) return true;
  LogPlatformError("%s [Line:%d] ERROR : %s", operation, line, failure);
  return false;
}
