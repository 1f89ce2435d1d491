// The lot change, and the checks the item loop makes before a run: component versions, device, log folders.
#include <QPushButton>

#include "BaseDraw.h"
#include "DynamicDlg.h"
#include "GridCtrl.h"
#include "LogFile.h"
#include "LotNumberDlg.h"
#include "ModelSettings.h"
#include "Util.h"
#include "port/clock.h"
#include "port/module.h"
#include "port/path.h"
#include "port/text.h"
#include "port/version.h"

namespace {

constexpr const char* kAllZeroLot = "00000000000000";
constexpr std::int64_t kDeviceCheckPauseMs = 5000;

struct Component {
  const char* key;
  const char* file;  // under System; null for the program itself
  const char* line;
};
constexpr Component kComponents[] = {
    {"Platform_x64.exe", nullptr, "[ini - %s], [System - %s]\t:: exe\t\t"},
    {"QRV_PlatformHW.dll", "QRV_PlatformHW.dll", "[ini - %s], [System - %s]\t:: Hardware\t"},
    {"QRV_PlatformSW_x64.dll", "QRV_PlatformSW_x64.dll", "[ini - %s], [System - %s]\t:: Software\t"},
    {"QRV_Protocol.dll", "QRV_Protocol.dll", "[ini - %s], [System - %s]\t:: Protocol\t"},
    {"RigUtil_x64.dll", "RigUtil_x64.dll", "[ini - %s], [System - %s]\t:: Util\t\t"},
};

}  // namespace

std::string DynamicDlg::SanitizeLotNumber(const std::string& text) {
  std::string lot;
  for (const char c : text)
    if (c != '\r' && c != '\n') lot.push_back(c);
  return logfile::SafeFileNamePart(lot, kMaxLotNumber);
}

std::optional<std::string> DynamicDlg::PendingLot() const {
  const std::lock_guard lock(m_lotLock);
  return m_pendingLot;
}

void DynamicDlg::ChangeLotNumber() {
  if (m_bUiEditMode.load() != 0) return;
  LotNumberDlg dialog({[this] { return IsAnySiteRunning() != 0; }, [this] { WriteLotEndSummaries(); },
                       [this] { ResetLot(true, true); }});
  if (dialog.exec() == QDialog::Accepted) ApplyOperatorLot(dialog.LotText().toStdString());
}

void DynamicDlg::ApplyOperatorLot(const std::string& lot) {
  {
    const std::lock_guard lock(m_lotLock);
    m_pendingLot = SanitizeLotNumber(lot);
    m_pendingLotFromHandler = false;
  }
  ApplyPendingLot();
}

void DynamicDlg::ApplyHandlerLot(const std::string& received) {
  const std::string lot = SanitizeLotNumber(received);
  const std::string stored = ReadIniText("LOT_NUMBER", "number", 0, ModelSettings::GetConfigIniPath());
  if (lot == stored && lot != kAllZeroLot) return;
  {
    const std::lock_guard lock(m_lotLock);
    m_pendingLot = lot;
    m_pendingLotFromHandler = true;
  }
  if (IsAnySiteRunning() != 0) {
    Log(0, "---Lot Change Fail!! Platform Testing...---");
    return;
  }
  ApplyPendingLot();
}

// The whole change at once, on the UI thread, and only while no site runs: a half-reset lot never shows.
void DynamicDlg::ApplyPendingLot() {
  std::string lot;
  bool fromHandler = false;
  {
    const std::lock_guard lock(m_lotLock);
    if (!m_pendingLot || AnySiteRunningNow()) return;
    lot = *m_pendingLot;
    fromHandler = m_pendingLotFromHandler;
    m_pendingLot.reset();
  }
  // The operator closes a lot with "End", which writes its summaries; the handler's lot command has no "End".
  if (fromHandler) WriteLotEndSummaries();
  port::CopyText(m_szLotNumber, lot);
  if (IniWrite_String != nullptr)
    IniWrite_String("LOT_NUMBER", "number", lot.c_str(), port::JoinPath(m_szModelPath, "Config.ini").c_str());
  else
    ModelSettings::WriteLotNumber(lot);
  if (!fromHandler) m_btnLot->setText(QString::fromStdString(lot));
  ResetLot(fromHandler);
  StartLotTestLogs();
}

void DynamicDlg::ResetLot(bool clearErrorGrid, bool keepStoredErrorRows) {
  const std::string config = ModelSettings::GetConfigIniPath();
  m_Layout.LoadYieldCounts(true);
  if (m_errorList && keepStoredErrorRows)
    m_errorList->Clear();
  else if (m_errorList)
    m_errorList->Reset();
  m_Layout.LoadErrorList(true);
  for (int site = 0; site < m_Layout.GetSiteCount(); ++site) {
    const std::string section = port::Format("LOT_COUNT_%d", site);
    WriteIniInt(section.c_str(), "DLL_TOTAL_TIME", 0, config);
    WriteIniInt(section.c_str(), "THREAD_TOTAL_TIME", 0, config);
    m_Layout.UpdateAverageTime(site, "0", true);
    QueueSiteRefresh(site);
  }
  if (clearErrorGrid) m_gridList->DeleteAllItems();
}

bool DynamicDlg::CheckSystemVersion(int site) {
  if (RegReadInt(RegRootKey::CurrentUser, "Software\\QRV\\Platform\\SYSTEM\\", "SystemVersionByPass", 0) == 1)
    return true;
  const std::string systemIni = port::JoinPath(m_szModelPath, "System.ini");
  const std::string systemFolder = port::JoinPath(m_szRoot, "System");
  std::vector<std::pair<std::string, std::string>> versions;
  for (const Component& component : kComponents) {
    const std::string path = component.file != nullptr ? port::JoinPath(systemFolder, component.file)
                                                        : port::ProgramPath();
    std::string expected = ReadRecordIni("SYSTEM_VERSION", component.key, "", systemIni);
    std::string actual = UtilVersionInfo != nullptr ? UtilVersionInfo(path.c_str(), "FileVersion")
                                                    : GetVersionInfoString(path, "FileVersion");
    Log(site, component.line, expected.c_str(), actual.c_str());
    versions.emplace_back(std::move(expected), std::move(actual));
  }
  for (const auto& [expected, actual] : versions)
    if (expected != actual) return false;
  return true;
}

void DynamicDlg::CheckDeviceInit(int site) {
  if (RegReadInt(RegRootKey::CurrentUser, "System\\Hardware\\", "HardwareByPass", 0) != 0) return;
  if (GetDeviecInit != nullptr && GetDeviecInit() != 0) return;
  if (SiteModel* model = Model(site)) model->SetLabel("Device check");
  port::clock::SleepMs(kDeviceCheckPauseMs);
}

bool DynamicDlg::CheckLogDirectories() {
  if (LotNumberDlg::CreateLotFolders("EngineerLog") == 0) return false;
  if (LotNumberDlg::CreateLotFolders("ProductionLog") == 0) return false;
  return TestLogFolderWritable();
}

std::string DynamicDlg::ListLogFolder() { return ModelSettings::GetListLogFolder(); }
