// What the site runners and the program's exports reach of the site panel.
#include <QTabBar>
#include <cstdio>

#include "BaseDraw.h"
#include "DynamicDlg.h"
#include "IntegratedLog.h"
#include "ItemRegistration.h"
#include "ModelSettings.h"
#include "SiteCtrl.h"
#include "Util.h"
#include "port/path.h"
#include "port/ui_thread.h"

CTestThread* DynamicDlg::SiteRunner(int site) const {
  const std::lock_guard lock(m_runnerLock);
  if (site < 0 || site >= static_cast<int>(m_vecTestThread.size())) return nullptr;
  return m_vecTestThread[static_cast<std::size_t>(site)].get();
}

CTestThread* DynamicDlg::Runner(int site) { return m_bClosing.load() ? nullptr : SiteRunner(site); }

SiteModel* DynamicDlg::Model(int site) {
  if (site < 0 || site >= static_cast<int>(m_models.size())) return nullptr;
  return m_models[static_cast<std::size_t>(site)].get();
}

void DynamicDlg::AddListLog(int site, std::string text) {
  if (m_pIntegratedLog != nullptr)
    m_pIntegratedLog->AddListLog(site, std::move(text));
  else
    std::fprintf(stderr, "[site %d] %s\n", site, text.c_str());
}

void DynamicDlg::SelectSiteTab(int site) {
  if (site < 0 || site >= SiteCount()) return;
  m_nTabSite.store(site);
  std::weak_ptr<QPointer<DynamicDlg>> self = m_self;
  port::ui::Post([self, site] {
    if (const auto panel = self.lock(); panel && *panel) (*panel)->m_tabSite->setCurrentIndex(site);
  });
}

void DynamicDlg::DrawSiteLabel(int site) {
  const DrawOptions options = LiveDrawOptions();
  if (!options.siteDraw) return;
  const CTestThread* runner = SiteRunner(site);
  if (CBaseDraw* view = View(site)) view->DrawSiteLabel(options, runner != nullptr ? runner->Usb() : site);
}

bool DynamicDlg::AllItemsLoaded() { return m_bItemsLoaded.load() != 0 && m_items.AllLoaded(); }

std::string DynamicDlg::ErrorCodePath() { return port::JoinPath(m_szModelPath, "ErrorCode.ini"); }

void DynamicDlg::SetProtocolErrorMsg(const std::string& text) {
  WriteIniString("PROTOCOL", "ERROR_MSG", text.c_str(), ModelSettings::GetConfigIniPath());
}

std::vector<ItemRow> DynamicDlg::LoadSiteItems(int site) { return ItemRegistration::ReadSiteItems(site); }


void DynamicDlg::UpdateYield(bool pass, int site) { m_Layout.UpdateYield(pass, site); }

void DynamicDlg::UpdateAverageTime(int site, const std::string& elapsedMs, bool reset) {
  m_Layout.UpdateAverageTime(site, elapsedMs, reset);
}
