// The library's exports: creation and deletion, the result and status reports, and the getters of the
// start-of-test values that the function table hands to the test items.
#include <memory>
#include <mutex>
#include <shared_mutex>

#include "ProtocolFunctionTable.h"
#include "QRV_PlatformMemory.h"
#include "port/text.h"
#include "library.h"
#include "protocol_core.h"
#include "protocol_dlg.h"
#include "result_report.h"

#include <QApplication>

using protocol::ProtocolCore;
using protocol::ServerLine;

namespace {

// Changed on the UI thread under the exclusive lock; other threads read it under the shared lock.
std::shared_mutex g_dialogMutex;
std::unique_ptr<ProtocolCore> g_dialog;
// The window, in a process with a screen (none under a plain core application); UI thread only.
std::unique_ptr<protocol::CProtocolDlg> g_window;

std::shared_ptr<ServerLine> Line(int server) { return protocol::FindServerLine(server); }

template <typename T, typename Read>
T Get(int server, T missing, Read read) {
  const auto line = Line(server);
  return line ? read(*line) : missing;
}

// Debug mode: the sequence replaces the handler's moves (the left site of a dual start first, then the
// right), and a "ReturnCode" row of the server's list replaces the result, a pair's too.
int SimulatedResult(ServerLine& line, int code) {
  int site = line.site.load();
  if (line.dual.load() != 0) {
    const std::lock_guard lock(line.resultMutex);
    site = line.dualSequenceCount++ == 0 ? line.dualSiteLeft.load() : line.dualSiteRight.load();
  }
  line.RunDebugSequence(site);
  const auto forced = line.sequences ? line.sequences->ReturnCode(line.Server()) : std::nullopt;
  if (!forced) return code;
  const std::lock_guard lock(line.resultMutex);
  line.dualCode = *forced;
  return *forced;
}

}  // namespace

namespace protocol {

ProtocolCore* Core() { return g_dialog.get(); }

std::shared_ptr<ServerLine> FindServerLine(int server) {
  const std::shared_lock lock(g_dialogMutex);
  return g_dialog ? g_dialog->IsServerCreated(server) : nullptr;
}

ChartSettings CurrentChart() {
  const std::shared_lock lock(g_dialogMutex);
  if (!g_dialog) return {};
  const auto& chart = g_dialog->Chart();
  return {chart.xInverse.load(), chart.yInverse.load(), chart.xyChange.load()};
}

}  // namespace protocol

QRV_EXPORT ProtocolFunctionTable* Load_Protocol(CQRV_LoadMemory* record, ModuleHandle* module) {
  if (!g_dialog) {
    auto dialog = std::make_unique<ProtocolCore>(record, module ? *module : nullptr);
    const std::unique_lock lock(g_dialogMutex);
    g_dialog = std::move(dialog);
  }
  if (!g_window && qobject_cast<QApplication*>(QCoreApplication::instance())) {
    g_window = std::make_unique<protocol::CProtocolDlg>(*g_dialog);
  }
  return g_dialog->Table();
}

QRV_EXPORT void OnSpecDlg() {
  if (g_window) g_window->OnSpecDlg();
}

// The first step of an ordered shutdown, before the sites are joined and the items unloaded: the servers
// stop listening, close their connections and end their workers, and a request waiting for the handler
// ends with its failure value. The library stays loaded; its entries give their failure values.
QRV_EXPORT void StopProtocolServers(CQRV_LoadMemory*) {
  if (g_dialog) g_dialog->CloseServers();
}

QRV_EXPORT void Load_OnDelete(CQRV_LoadMemory*) {
  g_window.reset();
  std::unique_ptr<ProtocolCore> dialog;
  {
    const std::unique_lock lock(g_dialogMutex);
    dialog = std::move(g_dialog);
  }
  // Deleted outside the lock: ending the workers serves the UI, and a worker may be reaching the dialog.
  dialog.reset();
  // Connections closed by deleteLater must go while their code is still loaded: after the main loop has
  // ended, nothing else would delete them before the library is unloaded.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QRV_EXPORT std::string GetDllVersion() { return port::Format("Release - %s", __DATE__); }

QRV_EXPORT int SendStatus(int server) {
  const auto line = Line(server);
  return line ? protocol::ReportStatus(*line) : 0;
}

QRV_EXPORT void SendResultCode(int server, int code, std::string message) {
  const auto line = Line(server);
  if (!line) return;
  if (line->IsDebugMode()) code = SimulatedResult(*line, code);
  protocol::ReportResult(*line, code, std::move(message));
}

QRV_EXPORT void SetDualResultCode(int server, int code) {
  if (const auto line = Line(server)) {
    const std::lock_guard lock(line->resultMutex);
    line->dualCode = code;
  }
}

QRV_EXPORT BarCodeData* GetBarCodeData(int server) {
  return Get<BarCodeData*>(server, nullptr, [](ServerLine& l) { return &l.barCode; });
}
QRV_EXPORT I1ProData* GetI1Pro(int server) {
  return Get<I1ProData*>(server, nullptr, [](ServerLine& l) { return &l.i1Pro; });
}
QRV_EXPORT int GetPara(int server) { return Get(server, -1, [](ServerLine& l) { return l.para.load(); }); }
QRV_EXPORT int GetTestSequence(int server) { return Get(server, -1, [](ServerLine& l) { return l.testSequence.load(); }); }
QRV_EXPORT int GetFirstStart(int server) { return Get(server, -1, [](ServerLine& l) { return l.firstStart.load(); }); }
QRV_EXPORT int GetLastStart(int server) { return Get(server, -1, [](ServerLine& l) { return l.lastStart.load(); }); }
QRV_EXPORT float GetDistance_Target(int server) {
  return Get(server, -1.0f, [](ServerLine& l) { return l.distanceTarget.load(); });
}
QRV_EXPORT float GetDistance_Actual(int server) {
  return Get(server, -1.0f, [](ServerLine& l) { return l.distanceActual.load(); });
}
QRV_EXPORT int GetTestCNT(int server) { return Get(server, -1, [](ServerLine& l) { return l.testCount.load(); }); }
QRV_EXPORT int GetGrrMode(int server) { return Get(server, -1, [](ServerLine& l) { return l.grrMode.load(); }); }
QRV_EXPORT int GetAgingMode(int server) { return Get(server, -1, [](ServerLine& l) { return l.agingMode.load(); }); }
QRV_EXPORT int GetUserBCDMode(int server) { return Get(server, -1, [](ServerLine& l) { return l.userInsertBcd.load(); }); }
QRV_EXPORT int GetFoxLogMode(int server) { return Get(server, -1, [](ServerLine& l) { return l.foxLog.load(); }); }
QRV_EXPORT int GetPauseStatus(int server) { return Get(server, -1, [](ServerLine& l) { return l.pauseStatus.load(); }); }

QRV_EXPORT int SetPauseStatus(int server, int status) {
  const auto line = Line(server);
  if (!line || status != 2) return 0;
  line->pauseStatus = 2;
  return 1;
}
