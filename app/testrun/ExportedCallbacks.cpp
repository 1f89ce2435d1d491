#include "ExportedCallbacks.h"

#include <cstdarg>
#include <cstdio>
#include <exception>
#include <shared_mutex>

#include "QRV_Exports.h"
#include "QRV_InterFace_SW.h"
#include "QRV_PlatformMemory.h"
#include "SiteModel.h"
#include "TestThread.h"
#include "port/catch_all.h"
#include "port/text.h"

namespace {

std::shared_mutex g_targetLock;
ExportTarget* g_target = nullptr;

using AutoFocusEntry = int (*)();
constexpr int kAutoFocusHomeEntry = 11;

void ReportFailure(const char* what) { std::fprintf(stderr, "Platform export failed: %s\n", what); }

// Runs call with the target under a shared lock; false when there is none. The callers are C code of
// libraries and items, so a failure inside the panel ends here, reported, and the export returns its
// "nothing done" value.
template <typename Call>
bool WithTarget(Call&& call) {
  std::shared_lock lock(g_targetLock);
  if (g_target == nullptr) return false;
  return port::ValueOrFailure(
      true,
      [&] {
        call(*g_target);
        return true;
      },
      ReportFailure);
}

void LogLine(ExportTarget& target, int site, std::string text) {
  if (site >= 0 && site < kMaxSites) {
    target.AddListLog(site, std::move(text));
  } else {
    target.AddListLog(0, port::Format("Site %d is not a site: %s", site, text.c_str()));
  }
}

// True for a configured site whose runner is there; an index from outside is refused and logged. A closing
// panel has let its runners go, and a worker that still draws meanwhile is refused without a line.
bool CheckSite(ExportTarget& target, int site, const char* caller) {
  if (site < 0 || site >= target.SiteCount()) {
    LogLine(target, 0, port::Format("%s : site %d refused (configured sites: %d)", caller, site, target.SiteCount()));
    return false;
  }
  return target.Runner(site) != nullptr;
}

std::string VersionLine(int which) {
  std::string line;
  WithTarget([&](ExportTarget& target) {
    const CQRV_LoadMemory& record = target.Record();
    const char* fields[] = {record.m_szHardwareVer, record.m_szProtocolVer, record.m_szSoftwareVer,
                            record.m_szPlatformVer};
    line = fields[which];
  });
  return line;
}

}  // namespace

void SetExportTarget(ExportTarget* target) {
  std::unique_lock lock(g_targetLock);
  g_target = target;
}

QRV_EXPORT int OnSiteDrawExe(int site) {
  WithTarget([&](ExportTarget& target) {
    if (CheckSite(target, site, "OnSiteDrawExe")) target.DrawSiteLabel(site);
  });
  return 0;
}

QRV_EXPORT int GetFpsDraw() {
  int draw = 0;
  WithTarget([&](ExportTarget& target) { draw = target.GetFpsDraw() != 0 ? 1 : 0; });
  return draw;
}

QRV_EXPORT void InitStopFlagExe() {
  WithTarget([](ExportTarget& target) { target.Record().SetStopButtonFlag(0); });
}

QRV_EXPORT int AutoFocus_Home() {
  int result = 0;
  WithTarget([&](ExportTarget& target) {
    const CInterFace_SW* binder = target.Record().m_pInterFaceSW;
    if (binder == nullptr || binder->GetUserMemory == nullptr) return;
    const auto* table = static_cast<const AutoFocusEntry*>(binder->GetUserMemory("AutoFocus"));
    if (table != nullptr && table[kAutoFocusHomeEntry] != nullptr) result = table[kAutoFocusHomeEntry]();
  });
  return result;
}

QRV_EXPORT int GetTestErrorCode(int site) {
  int code = 0;
  WithTarget([&](ExportTarget& target) {
    if (CheckSite(target, site, "GetTestErrorCode")) code = target.Runner(site)->LastResult();
  });
  return code;
}

QRV_EXPORT void SetSiteStatus(int site) {
  WithTarget([&](ExportTarget& target) {
    if (CheckSite(target, site, "SetSiteStatus") && target.Model(site) != nullptr) {
      target.Model(site)->SetPicture(kPictureReady);
      target.Model(site)->SetLabel("Ready");
    }
    target.SetFinishAfterPass();
  });
}

QRV_EXPORT std::string GetHardwareVer() { return VersionLine(0); }
QRV_EXPORT std::string GetProtocolVer() { return VersionLine(1); }
QRV_EXPORT std::string GetSoftwareVer() { return VersionLine(2); }
QRV_EXPORT std::string GetPlatformVer() { return VersionLine(3); }

QRV_EXPORT __attribute__((format(printf, 2, 3))) void SetLog(int site, const char* format, ...) {
  if (format == nullptr) return;
  std::va_list args;
  va_start(args, format);
  std::string text;
  bool formatted = true;
  try {
    text = port::FormatV(format, args);
  } catch (const std::exception& error) {
    ReportFailure(error.what());
    formatted = false;
  }
  va_end(args);
  if (!formatted) return;
  if (!WithTarget([&](ExportTarget& target) { LogLine(target, site, text); }))
    std::fprintf(stderr, "[site %d] %s\n", site, text.c_str());
}

QRV_EXPORT int ExportPlatformStart(int site, int usbIndex, int server, int overrideFlag) {
  int status = -1;
  WithTarget([&](ExportTarget& target) {
    if (!CheckSite(target, site, "ExportPlatformStart")) return;
    target.SetOverride(overrideFlag);
    CQRV_LoadMemory& record = target.Record();
    if (record.GetPara() == 1) {
      target.SelectSiteTab(site);
      if (record.GetUSBID != nullptr) usbIndex = record.GetUSBID();
    }
    LogLine(target, site,
            port::Format("Receive START : Site - %d, USB_INDEX - %d, Server - %d", site, usbIndex, server));
    status = target.StartSite(site, usbIndex, server);
  });
  return status;
}

QRV_EXPORT void ExportPlatformStop(int) {
  WithTarget([](ExportTarget& target) {
    target.StopAll();
    for (int site = 0; site < target.SiteCount(); ++site)
      if (SiteModel* model = target.Model(site)) model->SetLabel("STOP");
  });
}

QRV_EXPORT void ExportPlatformMsg(int site, std::string text) {
  WithTarget([&](ExportTarget& target) {
    if (CheckSite(target, site, "ExportPlatformMsg") && target.Model(site) != nullptr)
      target.Model(site)->SetLabel(text);
  });
}

QRV_EXPORT ModuleHandle GetHardwareInstance() {
  ModuleHandle module = nullptr;
  WithTarget([&](ExportTarget& target) { module = target.Record().m_hHardware; });
  return module;
}

// The exports keep the types their callers look them up with.
namespace {
#define QRV_CHECK_EXPORT(name) [[maybe_unused]] constexpr QRV_EXPORT_FN(name) k##name##Checked = &name;
QRV_PROGRAM_EXPORTS(QRV_CHECK_EXPORT)
#undef QRV_CHECK_EXPORT
}  // namespace
