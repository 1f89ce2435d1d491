// The engineer's item windows opened from the site panel: per-site registration ("Dll Manager"), the item
// settings pages ("Spec Setting") and the single-list item manager.
#include <QString>

#include "CDllManagerDlg.h"
#include "DynamicDlg.h"
#include "SiteCtrl.h"
#include "SiteManagerDlg.h"
#include "SiteSpecTabDlg.h"

namespace {

// An import must not replace a library the station holds from the Dll folder.
bool LoadedFromDllFolder(const ItemLibraryMap& items, const std::string& dll) {
  for (const ItemLibraryMap::Listed& listed : items.List()) {
    if (listed.status == kItemNotLoaded) continue;
    if (QString::fromStdString(listed.folder).compare("Dll", Qt::CaseInsensitive) == 0 &&
        QString::fromStdString(listed.dllName).compare(QString::fromStdString(dll), Qt::CaseInsensitive) == 0)
      return true;
  }
  return false;
}

DllRegistrationLists::Guards ItemGuards(DynamicDlg& panel) {
  DllRegistrationLists::Guards guards;
  guards.anySiteRunning = [&panel] { return panel.IsAnySiteRunning() != 0; };
  guards.isLoaded = [&panel](const std::string& dll) { return LoadedFromDllFolder(panel.Items(), dll); };
  return guards;
}

}  // namespace

int DynamicDlg::OpenSiteManager() {
  SiteManagerDlg window(ItemGuards(*this), this);
  const int result = window.exec();
  if (result != QDialog::Accepted) return result;
  if (AnySiteRunningNow()) {
    AddListLog(0, "Dll Manager: the items are not reloaded while a site is testing");
    return result;
  }
  FreeLibrary();
  for (CSiteCtrl* list : m_vecItemList) list->LoadSiteItems();
  RebuildSpecSetting();
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
  CDllManagerDlg window(ItemGuards(*this), this);
  return window.exec();
}
