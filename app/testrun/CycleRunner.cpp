#include "CycleRunner.h"

#include "PlatformLoadlibrary.h"
#include "QRV_PlatformMemory.h"
#include "TimeCounter.h"
#include "Util.h"
#include "port/path.h"
#include "port/text.h"
#include "util/CountRule.h"

namespace {

constexpr std::uint32_t kPowerDownHardware = 20;

const char* StateText(int state) {
  switch (state) {
    case kCycleTesting: return "Testing..";
    case kCyclePass: return "PASS";
    case kCycleFail: return "FAIL";
    default: return "Ready";
  }
}

}  // namespace

CycleRunner::CycleRunner(const ItemLibraryMap& items, CQRV_LoadMemory& record,
                         std::function<std::string()> errorCodePath)
    : m_items(items), m_record(record), m_errorCodes(std::move(errorCodePath)) {}

void CycleRunner::SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }

void CycleRunner::SetFolders(std::string root, std::string cyclePath) {
  m_root = std::move(root);
  m_cyclePath = std::move(cyclePath);
}

void CycleRunner::ReadShowWindowFlags() {
  const std::lock_guard lock(m_lock);
  m_showInit = ReadIniInt("CYCLE_INIT_DLL", "ShowWIndow", 0, m_cyclePath);
  m_showEnd = ReadIniInt("CYCLE_END_DLL", "ShowWIndow", 0, m_cyclePath);
  m_showClose = ReadIniInt("CYCLE_CLOSE_DLL", "ShowWIndow", 0, m_cyclePath);
}

void CycleRunner::LoadAllCycleLists(int siteCount) {
  RowList init = ReadCycleRows(kInit);
  RowList close = ReadCycleRows(kClose);
  std::vector<RowList> end;
  for (int site = 0; site < siteCount; ++site) end.push_back(ReadCycleRows(kEnd + site));
  {
    const std::lock_guard lock(m_lock);
    m_init = std::move(init);
    m_close = std::move(close);
    m_end = std::move(end);
  }
  Changed(kInit);
  Changed(kClose);
  for (int site = 0; site < siteCount; ++site) Changed(kEnd + site);
}

void CycleRunner::ReloadSiteCycleEnd(int site) {
  if (site < 0 || site >= SiteCount()) return;
  RowList rows = ReadCycleRows(kEnd + site);
  {
    const std::lock_guard lock(m_lock);
    if (site >= static_cast<int>(m_end.size())) return;
    m_end[static_cast<std::size_t>(site)] = std::move(rows);
  }
  Changed(kEnd + site);
}

CycleRunner::RowList CycleRunner::ReadCycleRows(int list) const {
  const std::string section = list == kInit    ? cycleini::SectionOf("INIT", 'A')
                              : list == kClose ? cycleini::SectionOf("CLOSE", 'A')
                                               : cycleini::SectionOf("END", static_cast<char>('A' + list));
  const std::string cycleFolder = port::JoinPath(m_root, "Cycle");
  auto rows = std::make_shared<std::vector<CycleRow>>();
  const std::vector<CycleEntry> entries = cycleini::ReadCycleList(m_cyclePath, section);
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const CycleEntry& entry = entries[index];
    if (!entry.checked) continue;
    const std::string file = port::JoinPath(cycleFolder, entry.dll);
    CycleRow row;
    row.item = GetVersionInfoString(file, "ItemName");
    row.dllName = entry.dll;
    row.version = GetVersionInfoString(file, "ProductVersion");
    row.defineCount = entry.retry;
    row.calls = util::ini::BoundCount(entry.retry, kMaxItemCalls, m_cyclePath, section.c_str(),
                                      std::to_string(index).c_str());
    rows->push_back(std::move(row));
  }
  return rows;
}

int CycleRunner::RunCycle(int list, int usb, int site, int lotTotal, int server, std::vector<CycleRow>* ran) {
  const bool end = list >= kEnd;
  TestLogCsv* log = end && m_hooks.siteLog ? m_hooks.siteLog(site) : nullptr;
  CTimeCounter watch;
  watch.Start();
  if (log != nullptr && log->SetCycleLogHeader() && m_hooks.siteLogSection) m_hooks.siteLogSection(site);
  int board = usb;
  if (m_record.GetPara() == 1) board = m_record.GetUSBID != nullptr ? m_record.GetUSBID() : 0;
  if (end && m_record.HardwareType == kPowerDownHardware && m_record.PowerDownSequence != nullptr)
    m_record.PowerDownSequence(board, site);

  const RowList rows = Current(list);
  const std::vector<CycleRow> started = Copy(rows);
  int running = 0;
  for (int row = 0; row < static_cast<int>(started.size()); ++row) {
    const CycleRow& current = started[static_cast<std::size_t>(row)];
    running = RunRow(list, rows, row, current, board, site, lotTotal, server, running);
    SetCell(list, rows, row, &CycleRow::tact, watch.GetElapsedText());
    SetCell(list, rows, row, &CycleRow::errorMsg, m_errorCodes.GetErrorCodeText(current.dllName, running));
    if (log != nullptr) log->SetCycleLogBody(row, CopyRow(rows, row));
  }
  if (ran != nullptr) *ran = Copy(rows);
  return running;
}

// Calls the row's item up to its "Define Counct" times until it passes. A count of 0 or one that is not a
// number calls nothing: the row fails with a code of its own so that it can never pass unseen, and its text
// names the count instead of a library that did load.
int CycleRunner::RunRow(int list, const RowList& rows, int row, const CycleRow& current, int board, int site,
                        int lotTotal, int server, int running) {
  SetCycleRowState(list, rows, row, kCycleTesting, running);
  const int status = m_items.Status(current.dllName);
  if (status != kItemLoaded) {
    SetCycleRowState(list, rows, row, kCycleFail, status);
    if (m_hooks.showWindow) m_hooks.showWindow();
    return status;
  }
  if (current.calls <= 0) running = kCodeNoCallCount;
  for (int call = 1; call <= current.calls; ++call) {
    SetCell(list, rows, row, &CycleRow::retryCount, std::to_string(call));
    running = m_items.RunOnTest(current.dllName, board, site, lotTotal, server);
    if (running == 0) {
      SetCycleRowState(list, rows, row, kCyclePass, 0);
      return 0;
    }
  }
  SetCycleRowState(list, rows, row, kCycleFail, running);
  if (ShowFlag(list) && m_hooks.showWindow) m_hooks.showWindow();
  return running;
}

bool CycleRunner::ShowFlag(int list) const {
  const std::lock_guard lock(m_lock);
  if (list == kInit) return m_showInit != 0;
  if (list >= kEnd) return m_showEnd != 0;
  return false;
}

void CycleRunner::SetCycleRowState(int list, const RowList& rows, int row, int state, int code) {
  {
    const std::lock_guard lock(m_lock);
    if (!rows || row < 0 || row >= static_cast<int>(rows->size())) return;
    CycleRow& target = (*rows)[static_cast<std::size_t>(row)];
    target.result = StateText(state);
    target.code = state == kCycleReady ? std::string() : std::to_string(code);
  }
  Changed(list);
}

void CycleRunner::SetCell(int list, const RowList& rows, int row, std::string CycleRow::*cell, std::string text) {
  {
    const std::lock_guard lock(m_lock);
    if (!rows || row < 0 || row >= static_cast<int>(rows->size())) return;
    (*rows)[static_cast<std::size_t>(row)].*cell = std::move(text);
  }
  Changed(list);
}

std::vector<CycleRow> CycleRunner::Rows(int list) const { return Copy(Current(list)); }

int CycleRunner::SiteCount() const {
  const std::lock_guard lock(m_lock);
  return static_cast<int>(m_end.size());
}

CycleRunner::RowList CycleRunner::Current(int list) const {
  const std::lock_guard lock(m_lock);
  if (list == kInit) return m_init;
  if (list == kClose) return m_close;
  if (list >= kEnd && list < static_cast<int>(m_end.size())) return m_end[static_cast<std::size_t>(list)];
  return nullptr;
}

std::vector<CycleRow> CycleRunner::Copy(const RowList& rows) const {
  const std::lock_guard lock(m_lock);
  return rows ? *rows : std::vector<CycleRow>();
}

CycleRow CycleRunner::CopyRow(const RowList& rows, int row) const {
  const std::lock_guard lock(m_lock);
  return rows ? rows->at(static_cast<std::size_t>(row)) : CycleRow();
}

void CycleRunner::Changed(int list) {
  if (m_hooks.changed) m_hooks.changed(list);
}
