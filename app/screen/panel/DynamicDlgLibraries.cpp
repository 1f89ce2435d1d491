// The test items' libraries: the first load at start-up, the "Free Library" and "Load Library" commands, the
// load that a start makes when the items were freed, and the item-library window.
#include "CurrentLibrary.h"
#include "CycleRunner.h"
#include "DynamicDlg.h"
#include "port/message_box.h"
#include "port/ui_thread.h"

void DynamicDlg::CreateLibraryWindow() {
  const ItemPlatform platform{m_pInterFaceSW, m_pHardwareTable, m_pProtocolTable, this};
  m_pCurrentLibrary =
      new CurrentLibrary(m_items, *m_cycles, static_cast<int>(m_models.size()), m_szRoot, platform, this);
  m_pCurrentLibrary->hide();
  // The only time the window opens by itself: the operator sees at once which library failed.
  if (!m_pCurrentLibrary->LoadAllItems()) OpenCurrentLibrary();
  m_bItemsLoaded.store(1);
}

void DynamicDlg::FreeItemLibraries() {
  if (m_bItemsLoaded.load() == 0 || !m_pCurrentLibrary) return;
  m_cycles->LoadAllCycleLists(static_cast<int>(m_models.size()));
  m_pCurrentLibrary->UnloadAllItems(false);
  m_bItemsLoaded.store(0);
}

void DynamicDlg::LoadItemLibraries() {
  if (m_bItemsLoaded.load() != 0 || !m_pCurrentLibrary) return;
  m_cycles->LoadAllCycleLists(static_cast<int>(m_models.size()));
  m_pCurrentLibrary->LoadAllItems();
  m_bItemsLoaded.store(1);
}

// A start on any thread loads freed items first, on the UI thread, where every load runs.
void DynamicDlg::EnsureItemsLoaded() {
  if (m_bItemsLoaded.load() != 0) return;
  port::ui::Send([this] {
    if (m_bItemsLoaded.load() == 0 && !m_bClosing.load()) LoadItemLibraries();
  });
}

bool DynamicDlg::FreeLibrary() {
  if (AnySiteRunningNow()) {
    AddListLog(0, "Free Library refused: a site is testing");
    port::MessageBox("Free Library refused: a site is testing");
    return false;
  }
  FreeItemLibraries();
  return true;
}

bool DynamicDlg::LoadLibrary() {
  if (AnySiteRunningNow()) {
    AddListLog(0, "Load Library refused: a site is testing");
    port::MessageBox("Load Library refused: a site is testing");
    return false;
  }
  LoadItemLibraries();
  return true;
}

void DynamicDlg::OpenCurrentLibrary() {
  if (!m_pCurrentLibrary) return;
  m_pCurrentLibrary->hide();
  m_pCurrentLibrary->show();
  m_pCurrentLibrary->raise();
}
