#pragma once
// One loaded test-item library, and the registry of all of them keyed by DLL file name.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <shared_mutex>
#include <string>
#include <vector>

#include "QRV_ItemContract.h"

// The four platform pointers every item receives in Item_OnCreate.
struct ItemPlatform {
  CInterFace_SW* binder = nullptr;
  HardwareFunctionTable* hardware = nullptr;
  ProtocolFunctionTable* protocol = nullptr;
  CQRV_LoadMemory* record = nullptr;
};

class CPlatformLoadlibrary {
 public:
  // name: folder word and DLL file name ("DLL/Item.dll"), relative to root.
  CPlatformLoadlibrary(std::string name, const std::string& root, const ItemPlatform& platform);
  ~CPlatformLoadlibrary();
  CPlatformLoadlibrary(const CPlatformLoadlibrary&) = delete;
  CPlatformLoadlibrary& operator=(const CPlatformLoadlibrary&) = delete;

  int Status() const { return m_nStatus; }
  const std::string& Name() const { return m_strName; }
  // The item's OnTest; only for a library of status 0.
  OnTest_Fn TestEntry() const { return m_nStatus == kItemLoaded ? OnTest : nullptr; }
  ItemOnSpecDlg_Fn SpecEntry() const { return m_nStatus == kItemLoaded ? OnSpecDlg : nullptr; }

 private:
  void LoadItemDll(const std::string& root);
  void BindItemFunctions(const ItemPlatform& platform);

  ModuleHandle m_hModule = nullptr;
  OnTest_Fn OnTest = nullptr;
  ItemOnSpecDlg_Fn OnSpecDlg = nullptr;
  Item_OnCreate_Fn Item_OnCreate = nullptr;
  Item_OnDelete_Fn Item_OnDelete = nullptr;
  int m_nStatus = kItemNotLoaded;
  std::string m_strName;
};

// The item registry. Calls into an item hold a shared lock for their whole duration and unloading takes it
// exclusively, so a library is never unloaded while one of its entry points runs.
class ItemLibraryMap {
 public:
  // DLL file names compare without case, as the file lookup does: one file is one registered library.
  struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const;
  };

  // Where a library was first named: the list's item name and its role ("Init", "Function", "End", "Close").
  struct ItemSource {
    std::string itemName;
    std::string role;
  };

  struct Listed {
    std::string itemName;
    std::string dllName;
    std::string folder;
    std::string role;
    int status;
  };

  ItemLibraryMap() = default;
  ~ItemLibraryMap();
  ItemLibraryMap(const ItemLibraryMap&) = delete;
  ItemLibraryMap& operator=(const ItemLibraryMap&) = delete;

  // Loads "<root>/<folder>/<dllName>" unless that DLL file name is registered already; returns its status.
  // A name whose load is still under way (a nested load from the item's create hook) is refused as not loaded.
  int Load(const std::string& dllName, const std::string& folder, const std::string& root,
           const ItemPlatform& platform, const ItemSource& source = {});
  // Item_OnDelete and unload of every library, in key order.
  void UnloadAll();

  // The load status of a name; a name that is not registered counts as not loaded.
  int Status(const std::string& dllName) const;
  // The item's OnTest result, or its load status when that is not 0 (nothing of the item is called then).
  int RunOnTest(const std::string& dllName, int usb, int site, int lotTotal, int server) const;
  // The item's settings window, for a library of status 0; false otherwise.
  bool ShowSpec(const std::string& dllName, int site) const;

  // Every library in load order, with its status.
  std::vector<Listed> List() const;
  bool AllLoaded() const;
  bool Empty() const;

 private:
  std::optional<int> RegisteredStatus(const std::string& dllName) const;

  mutable std::shared_mutex m_lock;
  std::map<std::string, std::unique_ptr<CPlatformLoadlibrary>, NameLess> m_map;
  std::vector<Listed> m_order;
  std::set<std::string, NameLess> m_loading;
};
