// Starting and stopping sites, and the site's reports to the handler through the protocol library.
#include <cstdarg>

#include "BaseDraw.h"
#include "DynamicDlg.h"
#include "ProtocolFunctionTable.h"
#include "port/clock.h"
#include "port/module.h"
#include "port/text.h"

namespace {

constexpr std::int64_t kIdlePauseMs = 50;
// While a site runs, the repeat loop looks again after this pause instead of spinning.
constexpr std::int64_t kRepeatPollMs = 20;

bool ReportsByHandlerIdentity(std::uint32_t protocolType) {
  return protocolType == 1 || protocolType == 4 || protocolType == 6 || protocolType == 8;
}

}  // namespace

void DynamicDlg::Log(int site, const char* format, ...) const {
  std::va_list args;
  va_start(args, format);
  const std::string text = port::FormatV(format, args);
  va_end(args);
  if (SetLog != nullptr)
    SetLog(site, "%s", text.c_str());
  else
    const_cast<DynamicDlg*>(this)->AddListLog(site, text);
}

// Starts that come while a start is dispatched are dropped with the event's reset; the stop is looked at after
// each reset, so a close that came meanwhile is never lost with them.
void DynamicDlg::StartDispatcher() {
  while (!m_bWorkersStop.load()) {
    m_hStartDispatchEvent.Wait();
    if (m_bWorkersStop.load()) return;
    // The flags are cleared before the items load: a STOP pressed while they load still holds.
    SetStopButtonFlag(0);
    for (int site = 0; site < SiteCount(); ++site) SetSiteStopFlag(site, 0);
    if (!EnsureItemsLoaded()) {
      Log(0, "Start refused: the test items are loading");
      m_hStartDispatchEvent.ResetEvent();
      continue;
    }
    for (int site = 0; site < SiteCount(); ++site)
      if (CBaseDraw* view = View(site)) view->SetCapturedImage(false);

    if (m_nRepeatMode.load() == 1) {
      if (CTestThread* selected = SiteRunner(m_nTabSite.load())) selected->ResetRunCount();
      const unsigned stops = m_nStopRequests.load();
      const auto stopped = [&] { return GetStopButtonFlag() != 0 || m_nStopRequests.load() != stops; };
      // The count is read only once every site is idle, so a run still starting is never missed. It is the
      // count of the site the tab shows now: another tab chosen during the repeat is followed.
      while (!stopped() && !m_bWorkersStop.load()) {
        if (IsAnySiteRunning() != 0) {
          port::clock::SleepMs(kRepeatPollMs);
          continue;
        }
        const CTestThread* shown = SiteRunner(m_nTabSite.load());
        if (shown == nullptr || static_cast<unsigned>(shown->RunCount()) >= m_nRepeatCount.load()) break;
        StartSites(m_nPara == 1);
      }
    } else {
      StartSites(m_nPara == 1 && m_nDrawMode.load() == 3);
    }
    m_hStartDispatchEvent.ResetEvent();
  }
}

void DynamicDlg::StartSites(bool onlyTabSite) {
  const int tabSite = m_nTabSite.load();
  for (int site = 0; site < SiteCount(); ++site)
    if (CTestThread* runner = SiteRunner(site); runner != nullptr && (!onlyTabSite || site == tabSite))
      runner->Start();
}

void DynamicDlg::SetRepeatRun(int repeatMode, unsigned repeatCount) {
  m_nRepeatMode.store(repeatMode);
  m_nRepeatCount.store(repeatCount);
}

void DynamicDlg::OnBnClickedStart() {
  if (m_bClosing.load()) return;
  m_hStartDispatchEvent.Set();
  for (int site = 0; site < SiteCount(); ++site) Log(site, "Clicked Start Button");
}

void DynamicDlg::ShowStopOnSite(int site) {
  if (SiteModel* model = Model(site)) model->SetLabel("STOP");
  m_Layout.StyleSiteMessage("USER_INIT", site);
}

void DynamicDlg::StopAll() {
  SetStopButtonFlag(1);
  m_nStopRequests.fetch_add(1);
}

void DynamicDlg::OnBnClickedStop() {
  StopAll();
  for (int site = 0; site < SiteCount(); ++site) {
    Log(site, "Clicked Stop Button");
    ShowStopOnSite(site);
  }
}

int DynamicDlg::StartSite(int site, int usb, int server) {
  if (m_bClosing.load()) {
    Log(site >= 0 && site < kMaxSites ? site : 0, "Start refused: the station is closing");
    return -1;
  }
  CTestThread* runner = SiteRunner(site);
  if (runner == nullptr) {
    Log(0, "Start refused: site %d is not one of the %d configured sites", site, SiteCount());
    return -1;
  }
  if (!EnsureItemsLoaded()) {
    Log(site, "Start refused: the test items are loading");
    return -1;
  }
  runner->StartSite(usb, server);
  return 0;
}

bool DynamicDlg::AnySiteRunningNow() const {
  for (int site = 0; site < static_cast<int>(m_vecTestThread.size()); ++site)
    if (const CTestThread* runner = SiteRunner(site); runner != nullptr && runner->IsRunning()) return true;
  return false;
}

int DynamicDlg::IsAnySiteRunning() {
  if (AnySiteRunningNow()) return 1;
  port::clock::SleepMs(kIdlePauseMs);
  return 0;
}

void DynamicDlg::ClearStopFlag() { SetStopButtonFlag(0); }

void DynamicDlg::SendSiteStatus(int usb, int site) {
  const std::shared_lock lock(m_protocolLock);
  if (m_hProtocol == nullptr) return;
  const auto sendStatus = port::FindFunction<prototable::SendStatus_Fn>(m_hProtocol, "SendStatus");
  if (sendStatus == nullptr) return;
  const CTestThread* runner = SiteRunner(site);
  sendStatus(ProtocolType == 8 && runner != nullptr ? runner->Server() : usb);
}

void DynamicDlg::SendSiteResult(int site, int code) {
  const std::shared_lock lock(m_protocolLock);
  if (m_hProtocol == nullptr) return;
  const auto sendResult = port::FindFunction<prototable::SendResultCode_Fn>(m_hProtocol, "SendResultCode");
  const CTestThread* runner = SiteRunner(site);
  if (sendResult == nullptr || runner == nullptr) return;
  std::string text = m_models[static_cast<std::size_t>(site)]->Label();
  if (!ReportsByHandlerIdentity(ProtocolType)) {
    sendResult(site, code, std::move(text));
    return;
  }
  SetSiteStopFlag(site, 0);
  Log(site, "---SendResultCode---%d %s", code, text.c_str());
  sendResult(ProtocolType == 8 ? runner->Server() : runner->Usb(), code, std::move(text));
}

void DynamicDlg::DrawSiteResult(int site, int usb, int code, const std::string& text) {
  CBaseDraw* view = View(site);
  if (view == nullptr) return;
  const DrawOptions options = LiveDrawOptions();
  if (options.siteDraw) view->DrawSiteLabel(options, usb);
  if (options.resultDraw) view->DrawResultText(code, text);
}
