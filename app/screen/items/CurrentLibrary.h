#pragma once
// The item loader and its "Current Dll Loadlibrary" window. Loading follows one order, so that a DLL named in
// several lists is loaded once, from the folder of the first list that names it: the Init list (whose items
// then run at once), the site lists in site order, the End lists in site order, the Close list. The window
// lists every library with its load result; a double-click opens the item's settings window.
// UI thread only: loading, unloading and the window.
#include <QDialog>
#include <string>
#include <vector>

#include "PlatformLoadlibrary.h"

class CGridCtrl;
class CycleRunner;
class SiteModel;

class CurrentLibrary : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kColResult = 4;

  // One row of a source list: the item name shown and the DLL file name loaded.
  struct SourceRow {
    std::string item;
    std::string dll;
  };

  // siteLists: the item lists of the main screen, one per site in site order; the rows they show are the ones
  // loaded, whatever the registration file says since they were read.
  CurrentLibrary(ItemLibraryMap& items, CycleRunner& cycles, std::vector<const SiteModel*> siteLists,
                 std::string root, ItemPlatform platform, QWidget* parent = nullptr);

  // Every list's libraries, with the Init list run right after its own items; false when one did not load.
  bool LoadAllItems();
  void LoadItemGroup(const std::vector<SourceRow>& rows, const char* folder, const char* role);
  // Item_OnDelete and unload of every library; the status list is emptied unless the window goes too.
  void UnloadAllItems(bool destroying);
  // 1 when every library of the last load has status 0.
  int AllLoaded() const { return m_bAllLoaded; }

  CGridCtrl* StatusList() const { return m_list; }
  // Opens the settings window of the row's item, when it loaded; false otherwise.
  bool OpenRowSettings(int row);

 private:
  void ShowStatusRows();

  ItemLibraryMap& m_items;
  CycleRunner& m_cycles;
  const std::vector<const SiteModel*> m_siteLists;
  const std::string m_root;
  const ItemPlatform m_platform;
  CGridCtrl* m_list = nullptr;
  int m_bAllLoaded = 0;
};
