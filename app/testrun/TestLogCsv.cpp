#include "TestLogCsv.h"

#include <cstdlib>
#include <filesystem>

#include "LogFile.h"
#include "port/path.h"
#include "port/text.h"

TestLogCsv::TestLogCsv(std::string siteName) : m_siteName(std::move(siteName)) {}

std::string TestLogCsv::FolderFor(const std::string& base, const std::tm& when) {
  return port::JoinPath(base, port::Format("Log/PlatformLog/%04d/%02d", when.tm_year + 1900, when.tm_mon + 1));
}

std::string TestLogCsv::FileFor(const std::string& folder, const std::tm& when, const std::string& siteName,
                                const std::string& lot) {
  return port::JoinPath(folder, port::Format("%04d_%02d_%02d_%s_%s.csv", when.tm_year + 1900, when.tm_mon + 1,
                                             when.tm_mday, logfile::SafeFileNamePart(siteName).c_str(),
                                             logfile::SafeFileNamePart(lot).c_str()));
}

bool TestLogCsv::SetLogHeader(const std::string& base, const std::string& lot, const std::string& lineName,
                              const std::string& machineName) {
  const std::time_t now = std::time(nullptr);
  std::tm when{};
  localtime_r(&now, &when);
  const std::string folder = FolderFor(base, when);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  {
    const std::lock_guard lock(m_lock);
    m_path = FileFor(folder, when, m_siteName, lot);
    m_header = port::Format("Line Name - %s\r\nMachine Name - %s\r\n\r\n", lineName.c_str(), machineName.c_str()) +
               ", Index, Item name, Code, Result, Message, reTryCount, Time(ms), Dll Name\r\n";
  }
  return Append("");
}

bool TestLogCsv::SetLogBody(int row, int attempts, const ItemRow& item) {
  {
    const std::lock_guard lock(m_lock);
    m_itemTimeMs += std::atoi(item.tact.c_str());
  }
  return Append(port::Format(" , %d, %s, %s, %s, %s, %d, %s, %s\r\n", row, item.item.c_str(), item.code.c_str(),
                             item.result.c_str(), item.errorMsg.c_str(), attempts, item.tact.c_str(),
                             item.dllName.c_str()));
}

bool TestLogCsv::SetCycleLogHeader() { return Append(", Cycle End\r\n"); }

bool TestLogCsv::SetCycleLogBody(int row, const CycleRow& cycle) {
  const int tact = std::atoi(cycle.tact.c_str());
  int own = 0;
  {
    const std::lock_guard lock(m_lock);
    own = tact - m_cycleTimeMs;
    m_cycleTimeMs = tact;
  }
  return Append(port::Format(" , %d, %s, %s, %s, %s, %s, %d, %s\r\n", row, cycle.item.c_str(), cycle.code.c_str(),
                             cycle.result.c_str(), cycle.errorMsg.c_str(), cycle.retryCount.c_str(), own,
                             cycle.dllName.c_str()));
}

bool TestLogCsv::SetLogEnd(const TestLogEnd& end) {
  int itemMs = 0;
  int cycleMs = 0;
  {
    const std::lock_guard lock(m_lock);
    itemMs = m_itemTimeMs;
    cycleMs = m_cycleTimeMs;
    m_itemTimeMs = 0;
    m_cycleTimeMs = 0;
  }
  return Append(port::Format(
      " %s, Test Start Time,%s\r\n, Barcode,%s\r\n, Para,%d\r\n, Result Handler Code, %d\r\n, MSG, %s\r\n, Result, "
      "%s\r\n, Test Item, %d, Cycle End, %d, Total Time, %d \r\n\r\n\r\n\r\n",
      end.lotTotal.c_str(), end.startStamp.c_str(), end.barcode.c_str(), end.para, end.resultCode,
      end.label.c_str(), end.pass ? "PASS" : "FAIL", itemMs, cycleMs, itemMs + cycleMs));
}

bool TestLogCsv::SetLogYieldEnd(const YieldCounts& counts, const std::string& yieldText) {
  return Append(port::Format("\r\n\r\n, Total: %d, Pass: %d, Fail: %d, Yield: %s", counts.total, counts.pass,
                             counts.fail, yieldText.c_str()));
}

bool TestLogCsv::SetLogErrorListEnd(const std::vector<ErrorListRow>& rows) {
  std::string text;
  for (const ErrorListRow& row : rows)
    text += port::Format("\r\n,Item Nmae : %s, Code : %s, Count : %d, Msg : %s", row.itemName.c_str(),
                         row.code.c_str(), row.count, row.msg.c_str());
  return Append(text);
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

// Writes the header first whenever the file is new or empty (a file removed during the day starts again
// with its header); false without a path or when the file cannot be written.
bool TestLogCsv::Append(const std::string& text) {
  std::string path;
  std::string header;
  {
    const std::lock_guard lock(m_lock);
    path = m_path;
    header = m_header;
  }
  if (path.empty()) return false;
  return logfile::AppendLine(path, text, [&header] { return header; });
}
