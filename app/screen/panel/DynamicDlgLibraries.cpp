// The test items' libraries: the first load at start-up, the "Free Library" and "Load Library" commands, the
// load that a start makes when the items were freed, and the item-library window.
#include <atomic>

#include "CurrentLibrary.h"
#include "CycleRunner.h"
#include "DynamicDlg.h"
#include "port/ui_thread.h"

namespace {

// Marks a load or free of the items as under way; a second one that starts meanwhile (from an event loop
// nested in the first) does not own the mark and must not run.
class ItemsLoadingScope {
 public:
  explicit ItemsLoadingScope(std::atomic<bool>& loading) : m_loading(loading), m_owner(!loading.exchange(true)) {}
  ~ItemsLoadingScope() {
    if (m_owner) m_loading.store(false);
  }
  ItemsLoadingScope(const ItemsLoadingScope&) = delete;
  ItemsLoadingScope& operator=(const ItemsLoadingScope&) = delete;
  bool Owner() const { return m_owner; }

 private:
  std::atomic<bool>& m_loading;
  const bool m_owner;
};

}  // namespace

void DynamicDlg::CreateLibraryWindow() {
  const ItemPlatform platform{m_pInterFaceSW, m_pHardwareTable, m_pProtocolTable, this};
  std::vector<const SiteModel*> siteLists;
  for (const std::unique_ptr<SiteModel>& model : m_models) siteLists.push_back(model.get());
  m_pCurrentLibrary = new CurrentLibrary(m_items, *m_cycles, std::move(siteLists), m_szRoot, platform, this);
  m_pCurrentLibrary->hide();
  const ItemsLoadingScope loading(m_bItemsLoading);
  // The only time the window opens by itself: the operator sees at once which library failed.
  if (!m_pCurrentLibrary->LoadAllItems()) OpenCurrentLibrary();
  m_bItemsLoaded.store(1);
}

void DynamicDlg::FreeItemLibraries() {
  const ItemsLoadingScope loading(m_bItemsLoading);
  if (!loading.Owner() || m_bItemsLoaded.load() == 0 || !m_pCurrentLibrary) return;
  m_cycles->LoadAllCycleLists(static_cast<int>(m_models.size()));
  m_pCurrentLibrary->UnloadAllItems(false);
  m_bItemsLoaded.store(0);
}

void DynamicDlg::LoadItemLibraries() {
  const ItemsLoadingScope loading(m_bItemsLoading);
  if (!loading.Owner() || m_bItemsLoaded.load() != 0 || !m_pCurrentLibrary) return;
  m_cycles->LoadAllCycleLists(static_cast<int>(m_models.size()));
  m_pCurrentLibrary->LoadAllItems();
  m_bItemsLoaded.store(1);
}

// A start on any thread loads freed items first, on the UI thread, where every load runs.
bool DynamicDlg::EnsureItemsLoaded() {
  if (m_bItemsLoading.load()) return false;
  if (m_bItemsLoaded.load() != 0) return true;
  bool ready = false;
  port::ui::Send([this, &ready] {
    if (m_bItemsLoaded.load() == 0 && !m_bClosing.load()) LoadItemLibraries();
    ready = m_bItemsLoaded.load() != 0 && !m_bItemsLoading.load();
  });
  return ready;
}

// A library is never unloaded or loaded again under a running item; the command then does nothing.
bool DynamicDlg::FreeLibrary() {
  if (AnySiteRunningNow()) return false;
  FreeItemLibraries();
  return true;
}

bool DynamicDlg::LoadLibrary() {
  if (AnySiteRunningNow()) return false;
  LoadItemLibraries();
  return true;
}

void DynamicDlg::OpenCurrentLibrary() {
  if (!m_pCurrentLibrary) return;
  m_pCurrentLibrary->hide();
  m_pCurrentLibrary->show();
  m_pCurrentLibrary->raise();
}
