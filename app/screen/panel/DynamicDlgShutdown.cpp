// The site panel's teardown and its one-second timer.
#include <QApplication>
#include <QTimerEvent>

#include "BaseDraw.h"
#include "DynamicDlg.h"
#include "FontStatic.h"
#include "IntegratedLog.h"
#include "ProtocolFunctionTable.h"
#include "SiteCtrl.h"
#include "StaticImage.h"
#include "port/module.h"
#include "port/ui_thread.h"
#include "port/window_message.h"

namespace {

template <typename Widget>
void DeleteControls(std::vector<Widget*>& controls) {
  for (Widget* control : controls) delete control;
  controls.clear();
}

}  // namespace

void DynamicDlg::StopPanelWorkers() {
  m_bWorkersStop.store(true);
  m_hStartDispatchEvent.Set();
  if (m_pStartThread.joinable()) m_pStartThread.join();
  m_hTabFollowEvent.Set();
  if (m_tabFollowThread.joinable()) m_tabFollowThread.join();
}

// No new handler request comes in, and an item waiting for the handler's answer gets its failure now. The
// library stays loaded: items keep calling its table until they are unloaded.
void DynamicDlg::StopHandlerServers() {
  const std::shared_lock lock(m_protocolLock);
  if (m_hProtocol == nullptr) return;
  if (const auto stop = port::FindFunction<prototable::StopProtocolServers_Fn>(m_hProtocol, "StopProtocolServers"))
    stop(this);
}

// All runners are told at once: one after the other, a site that begins a run meanwhile would run its whole
// list while the others are joined. They stay registered while they end, so the run each one finishes still
// reports with its site's identity; then they go.
void DynamicDlg::JoinSiteRunners() {
  std::vector<std::thread> joiners;
  for (int site = 0; site < static_cast<int>(m_vecTestThread.size()); ++site)
    if (CTestThread* runner = SiteRunner(site)) joiners.emplace_back([runner] { runner->Stop(); });
  for (std::thread& joiner : joiners) joiner.join();
  // The slots stay, empty: the site count is read without the lock.
  for (std::unique_ptr<CTestThread>& slot : m_vecTestThread) {
    std::unique_ptr<CTestThread> gone;
    const std::lock_guard lock(m_runnerLock);
    gone = std::move(slot);
  }
}

// The order matters: nothing may call into a library, a test item or a window after it is gone.
// 1. no more starts and commands; stop-all; the handler servers stop, their library stays;
// 2. every site's runner joined (a running item finishes first);
// 3. the test items (each joins its own workers), then the protocol, hardware, image and MES libraries;
// 4. the exports are withdrawn, then the windows they log to go. The utility library goes with the record.
void DynamicDlg::OnDestroy() {
  if (m_bDestroyed) return;
  m_bDestroyed = true;
  m_bClosing.store(true);
  // Waits of workers for the UI thread give up from here on, so no join below can wait for this thread.
  const bool wasClosing = port::ui::IsClosing();
  port::ui::SetClosing(true);
  if (m_nTimer != 0) killTimer(m_nTimer);
  m_nTimer = 0;
  qApp->removeEventFilter(this);
  StopPanelWorkers();
  // Stop-all first: an item whose handler request the servers' stop ends must be the last of its run.
  SetStopButtonFlag(1);
  StopHandlerServers();
  port::UnregisterMessageHandler(this);

  // Re-registering waits for exports that are running; from here on they find no runner.
  if (m_bInitialised) SetExportTarget(this);
  // A single-item test runs on its site's runner: it ends before the runner goes.
  for (CSiteCtrl* list : m_vecItemList) list->JoinSingleItem();
  JoinSiteRunners();

  DeleteControls(m_vecItemList);
  m_Layout.DeleteYieldLists();
  DeleteControls(m_vecResultImage);
  DeleteControls(m_vecResultLabel);
  DeleteControls(m_vecTimeLabel);
  DeleteControls(m_vecAverageDll);
  DeleteControls(m_vecAverageThread);
  for (const auto& model : m_models) model->SetUpdateHook({});

  m_items.UnloadAll();
  {
    const std::unique_lock lock(m_protocolLock);
    UnloadProtocolLibrary();
  }
  UnloadHardwareLibrary();
  UnloadSoftwareLibrary();
  UnloadMesLibrary();

  if (m_bInitialised) SetExportTarget(nullptr);
  delete m_pIntegratedLog.data();
  {
    const std::lock_guard lock(m_viewLock);
    m_views.clear();
  }
  port::ui::SetClosing(wasClosing);
}

void DynamicDlg::timerEvent(QTimerEvent* event) {
  if (event->timerId() == m_nTimer) OnTimer(kTimerId);
  QDialog::timerEvent(event);
}

void DynamicDlg::OnTimer(int id) {
  if (id != kTimerId || m_bClosing.load()) return;
  if (m_nLoginLevel.load() >= 10) {
    m_nLoginLevel.fetch_sub(10);
    ApplyMenuRights();
  }
  ApplyPendingLot();
}
