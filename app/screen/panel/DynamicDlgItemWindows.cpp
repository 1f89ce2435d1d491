// The engineer's item windows opened from the site panel: per-site registration ("Dll Manager"), the item
// settings pages ("Spec Setting") and the single-list item manager.
#include <functional>

#include "CDllManagerDlg.h"
#include "DynamicDlg.h"
#include "SiteCtrl.h"
#include "SiteManagerDlg.h"
#include "SiteSpecTabDlg.h"

namespace {

std::function<bool()> AnySiteRunning(DynamicDlg& panel) {
  return [&panel] { return panel.IsAnySiteRunning() != 0; };
}

}  // namespace

int DynamicDlg::OpenSiteManager() {
  SiteManagerDlg window(AnySiteRunning(*this), this);
  const int result = window.exec();
  if (result != QDialog::Accepted) return result;
  // A running site reads its item list: nothing is reloaded under it.
  if (AnySiteRunningNow()) return result;
  for (CSiteCtrl* list : m_vecItemList) list->LoadSiteItems();
  RebuildSpecSetting();
  FreeLibrary();
  LoadLibrary();
  return result;
}

SiteSpecTabDlg* DynamicDlg::OpenSpecSetting() {
  if (!m_pSpecWindow) {
    ItemSettingLinks links;
    links.items = &m_items;
    links.itemsLoaded = [this] { return m_bItemsLoaded.load() != 0; };
    m_pSpecWindow = new SiteSpecTabDlg(std::move(links), this);
  }
  m_pSpecWindow->show();
  m_pSpecWindow->raise();
  return m_pSpecWindow;
}

void DynamicDlg::RebuildSpecSetting() {
  if (m_pSpecWindow) m_pSpecWindow->BuildPages();
}

int DynamicDlg::OpenDllManager() {
  CDllManagerDlg window(AnySiteRunning(*this), this);
  return window.exec();
}
