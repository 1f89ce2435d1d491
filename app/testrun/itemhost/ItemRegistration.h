#pragma once
// The model's two item registration files. DllManager.ini: per site, which item libraries of the Dll folder
// run, in which order, whether each is switched on and how often a failing one runs ("%c.QRV_DLL_LOAD":
// Count, then "0".."Count-1" = "name,checked,retry"). ItemVersion.ini: per site, the version and list
// position each item is pinned to, the handler codes of the version failures and the item set's version.
#include <string>
#include <vector>

#include "SiteModel.h"

struct DllEntry {
  std::string dll;    // file name in the Dll folder, without a folder
  int checked = 0;    // not 0: part of the site's test
  std::string retry;  // runs of a failing item in all, as the list shows it
};

// Handler codes of the item-version failures, ItemVersion.ini [HANDLER_RETURN].
struct HandlerReturnCodes {
  std::string count = "615";
  std::string version = "616";
  std::string define = "617";
  std::string index = "618";
};

class ItemRegistration {
 public:
  // A Count beyond this is a damaged file; readers stop here.
  static constexpr int kMaxEntries = 1000;

  // Paths relative to the program folder, formed with the current model.
  static std::string GetDllManagerIniPath();
  static std::string GetItemVersionIniPath();
  // "%c.QRV_DLL_LOAD", "%c.DLL_VERSION", "%c.DLL_VERSION_INDEX" with the site letter.
  static std::string SiteSection(int site);
  static std::string VersionSection(int site);
  static std::string VersionIndexSection(int site);

  // Splits "name,checked,retry": a missing field is empty text (checked 0).
  static DllEntry ParseDllEntry(const std::string& value);
  static std::string FormatDllEntry(const DllEntry& entry);

  static int ReadEntryCount(int site);
  // Every entry of the site, checked or not, in run order, from one version of the file; a missing entry key
  // reads "0" (dll "0", not checked).
  static std::vector<DllEntry> ReadSiteEntries(int site);
  // The item-list rows of the site's checked entries, "Ready", with item name, pinned position and product
  // version read from the item files in the Dll folder, and the entry's retry text as a number (empty or not a
  // number: 0).
  static std::vector<ItemRow> ReadSiteItems(int site);

  // Empty when the name is a bare file name that the entries can hold, else the reason it is not.
  static std::string CheckDllName(const std::string& dll);
  // Empty when the entry can be stored and read back as it is, else the reason it cannot.
  static std::string CheckEntry(const DllEntry& entry);
  // Writes Count, then "0".."n-1". Refuses the whole list, writing nothing, when one entry cannot be
  // stored; returns 0 then, or when the file cannot be written, with the reason in *error.
  static int SaveDllList(int site, const std::vector<DllEntry>& entries, std::string* error = nullptr);

  // The older station-wide list: [QRV_DLL_LOAD] Count and one DLL name per key, each name's checked flag in
  // [QRV_DLL_LOAD_CHECK] and its retry count in [QRV_DLL_COUNT], keyed by the name.
  static std::vector<DllEntry> ReadSingleListEntries();
  // Checks every entry first, as SaveDllList does; a name must also be usable as a key.
  static int SaveSingleList(const std::vector<DllEntry>& entries, std::string* error = nullptr);

  // DllManager.ini [USER_SPEC_MENU] name, "0" when missing.
  static std::string ReadUserSpecMenuName();

  // ItemVersion.ini, per site and item name.
  static int ReadPinnedCount(int site);
  static std::string ReadPinnedVersion(int site, const std::string& itemName);
  // The pinned position as the lists show it ("0" when missing) and as the version check reads it (-1).
  static std::string ReadPinnedIndexText(int site, const std::string& itemName);
  static int ReadPinnedIndex(int site, const std::string& itemName);
  // The station-wide pins of the older list, [DLL_VERSION] and [DLL_VERSION_INDEX].
  static std::string ReadSingleListPinnedVersion(const std::string& itemName);
  static std::string ReadSingleListPinnedIndexText(const std::string& itemName);
  static HandlerReturnCodes ReadHandlerReturn();
  static int WriteHandlerReturn(const HandlerReturnCodes& codes);
  // [LOG] VERSION, empty when missing.
  static std::string ReadVersionText();

  // "Item version use": off when the registry value VersionByPass is 1.
  static bool ReadItemVersionUse();
  static int WriteItemVersionUse(bool use);
};
