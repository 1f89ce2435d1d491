#include "ItemRegistration.h"

#include <algorithm>

#include "ModelSettings.h"
#include "PlatformErrorLog.h"
#include "ProgramFolder.h"
#include "QRV_Types.h"
#include "Util.h"
#include "port/path.h"
#include "port/text.h"
#include "util/CLocale.h"
#include "util/CountRule.h"

namespace {

constexpr const char* kSingleList = "QRV_DLL_LOAD";
constexpr const char* kSingleListCheck = "QRV_DLL_LOAD_CHECK";
constexpr const char* kSingleListCount = "QRV_DLL_COUNT";
constexpr const char* kSystemKey = "Software\\QRV\\Platform\\SYSTEM\\";

std::string ModelFile(const char* name) { return ModelSettings::GetModelFolder() + "/" + name; }

std::string SiteFormat(const char* format, int site) { return port::Format(format, SiteLetter(site)); }

bool HasAny(const std::string& text, const char* characters) {
  return text.find_first_of(characters) != std::string::npos;
}

bool IsDigits(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string ItemRegistration::GetDllManagerIniPath() { return ModelFile("DllManager.ini"); }

std::string ItemRegistration::GetItemVersionIniPath() { return ModelFile("ItemVersion.ini"); }

std::string ItemRegistration::SiteSection(int site) { return SiteFormat("%c.QRV_DLL_LOAD", site); }

std::string ItemRegistration::VersionSection(int site) { return SiteFormat("%c.DLL_VERSION", site); }

std::string ItemRegistration::VersionIndexSection(int site) { return SiteFormat("%c.DLL_VERSION_INDEX", site); }

DllEntry ItemRegistration::ParseDllEntry(const std::string& value) {
  DllEntry entry;
  entry.dll = ExtractField(value, 0, ',');
  entry.checked = util::ToInt(ExtractField(value, 1, ',').c_str());
  entry.retry = ExtractField(value, 2, ',');
  return entry;
}

std::string ItemRegistration::FormatDllEntry(const DllEntry& entry) {
  return port::Format("%s,%d,%s", entry.dll.c_str(), entry.checked != 0 ? 1 : 0, entry.retry.c_str());
}

int ItemRegistration::ReadEntryCount(int site) {
  return std::max(ReadIniCount(SiteSection(site).c_str(), "Count", 0, kMaxEntries, GetDllManagerIniPath()), 0);
}

std::vector<DllEntry> ItemRegistration::ReadSiteEntries(int site) {
  // The count and the entries come from one version of the file: a list saved meanwhile is not mixed in.
  const util::ini::Snapshot file = ReadIniSnapshot(GetDllManagerIniPath());
  const std::string section = SiteSection(site);
  const int count = std::max(file.Count(section.c_str(), "Count", 0, kMaxEntries), 0);
  std::vector<DllEntry> entries;
  entries.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    entries.push_back(ParseDllEntry(file.Text(section.c_str(), std::to_string(i).c_str(), "0", kIniTextBuffer)));
  return entries;
}

std::vector<ItemRow> ItemRegistration::ReadSiteItems(int site) {
  std::vector<ItemRow> rows;
  if (!IsValidSite(site)) return rows;
  const std::string dllFolder = port::JoinPath(ProgramFolder::Root(), "Dll");
  const std::vector<DllEntry> entries = ReadSiteEntries(site);
  const std::string path = GetDllManagerIniPath(), section = SiteSection(site);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].checked == 0) continue;
    const std::string file = port::JoinPath(dllFolder, entries[i].dll);
    ItemRow row;
    row.item = GetVersionInfoString(file, "ItemName");
    row.versionIndex = ReadPinnedIndexText(site, row.item);
    row.dllName = entries[i].dll;
    row.productVersion = GetVersionInfoString(file, "ProductVersion");
    row.retry = util::ini::BoundCount(entries[i].retry, kMaxItemCalls, path, section.c_str(), std::to_string(i).c_str());
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string ItemRegistration::CheckDllName(const std::string& dll) {
  if (dll.empty()) return "the DLL name is empty";
  if (HasAny(dll, ",")) return "the DLL name \"" + dll + "\" contains a comma";
  if (HasAny(dll, "/\\") || dll == "." || dll == "..") return "the DLL name \"" + dll + "\" names a folder";
  if (HasAny(dll, "\r\n")) return "the DLL name contains a line break";
  if (dll.front() == ' ' || dll.back() == ' ' || dll.front() == '\t' || dll.back() == '\t') {
    return "the DLL name \"" + dll + "\" begins or ends with a blank";
  }
  return {};
}

std::string ItemRegistration::CheckEntry(const DllEntry& entry) {
  if (std::string reason = CheckDllName(entry.dll); !reason.empty()) return reason;
  if (!IsDigits(entry.retry)) return "the retry count \"" + entry.retry + "\" of " + entry.dll + " is not a number";
  return {};
}

int ItemRegistration::SaveDllList(int site, const std::vector<DllEntry>& entries, std::string* error) {
  auto refuse = [&](const std::string& reason) {
    LogPlatformError("ItemRegistration::SaveDllList [%d] ERROR : %s", __LINE__, reason.c_str());
    if (error) *error = reason;
    return 0;
  };
  if (!IsValidSite(site)) return refuse(port::Format("site %d does not exist", site));
  if (entries.size() > static_cast<std::size_t>(kMaxEntries)) return refuse("too many entries");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string reason = CheckEntry(entries[i]);
    if (!reason.empty()) return refuse(port::Format("entry %zu: %s", i, reason.c_str()));
  }
  const std::string path = GetDllManagerIniPath();
  const std::string section = SiteSection(site);
  // One write: a site that reads its list meanwhile gets the old list or the new one, never half of each.
  port::ini::KeyValues values{{"Count", std::to_string(entries.size())}};
  for (std::size_t i = 0; i < entries.size(); ++i) values.emplace_back(std::to_string(i), FormatDllEntry(entries[i]));
  if (WriteIniStrings(section.c_str(), values, path) == 0) return refuse(path + " cannot be written");
  if (error) error->clear();
  return 1;
}

std::vector<DllEntry> ItemRegistration::ReadSingleListEntries() {
  const std::string path = GetDllManagerIniPath();
  const int count = std::max(ReadIniCount(kSingleList, "Count", 0, kMaxEntries, path), 0);
  std::vector<DllEntry> entries(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    DllEntry& entry = entries[static_cast<std::size_t>(i)];
    entry.dll = ReadIniString(kSingleList, std::to_string(i).c_str(), "0", path);
    entry.checked = ReadIniInt(kSingleListCheck, entry.dll.c_str(), 0, path);
    entry.retry = ReadIniString(kSingleListCount, entry.dll.c_str(), "0", path);
  }
  return entries;
}

int ItemRegistration::SaveSingleList(const std::vector<DllEntry>& entries, std::string* error) {
  auto refuse = [&](const std::string& reason) {
    LogPlatformError("ItemRegistration::SaveSingleList [%d] ERROR : %s", __LINE__, reason.c_str());
    if (error) *error = reason;
    return 0;
  };
  if (entries.size() > static_cast<std::size_t>(kMaxEntries)) return refuse("too many entries");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::string reason = CheckEntry(entries[i]);
    // The name is also a key of two sections: '=' would end it early, a leading '[' or ';' hide it.
    if (reason.empty() && (HasAny(entries[i].dll, "=") || entries[i].dll.front() == '[' || entries[i].dll.front() == ';'))
      reason = "the DLL name \"" + entries[i].dll + "\" cannot be a key";
    if (!reason.empty()) return refuse(port::Format("entry %zu: %s", i, reason.c_str()));
  }
  const std::string path = GetDllManagerIniPath();
  bool written = WriteIniInt(kSingleList, "Count", static_cast<int>(entries.size()), path) != 0;
  for (std::size_t i = 0; written && i < entries.size(); ++i) {
    const DllEntry& entry = entries[i];
    written = WriteIniString(kSingleListCount, entry.dll.c_str(), entry.retry.c_str(), path) != 0 &&
              WriteIniString(kSingleList, std::to_string(i).c_str(), entry.dll.c_str(), path) != 0 &&
              WriteIniInt(kSingleListCheck, entry.dll.c_str(), entry.checked != 0 ? 1 : 0, path) != 0;
  }
  if (!written) return refuse(path + " cannot be written");
  if (error) error->clear();
  return 1;
}

std::string ItemRegistration::ReadUserSpecMenuName() {
  return ReadIniString("USER_SPEC_MENU", "name", "0", GetDllManagerIniPath());
}

int ItemRegistration::ReadPinnedCount(int site) {
  return ReadIniInt(VersionIndexSection(site).c_str(), "count", 0, GetItemVersionIniPath());
}

std::string ItemRegistration::ReadPinnedVersion(int site, const std::string& itemName) {
  return ReadIniString(VersionSection(site).c_str(), itemName.c_str(), "", GetItemVersionIniPath());
}

std::string ItemRegistration::ReadPinnedIndexText(int site, const std::string& itemName) {
  return ReadIniString(VersionIndexSection(site).c_str(), itemName.c_str(), "0", GetItemVersionIniPath());
}

int ItemRegistration::ReadPinnedIndex(int site, const std::string& itemName) {
  return ReadIniInt(VersionIndexSection(site).c_str(), itemName.c_str(), -1, GetItemVersionIniPath());
}

std::string ItemRegistration::ReadSingleListPinnedVersion(const std::string& itemName) {
  return ReadIniString("DLL_VERSION", itemName.c_str(), "", GetItemVersionIniPath());
}

std::string ItemRegistration::ReadSingleListPinnedIndexText(const std::string& itemName) {
  return ReadIniString("DLL_VERSION_INDEX", itemName.c_str(), "0", GetItemVersionIniPath());
}

HandlerReturnCodes ItemRegistration::ReadHandlerReturn() {
  const std::string path = GetItemVersionIniPath();
  HandlerReturnCodes codes;
  codes.count = ReadIniString("HANDLER_RETURN", "Count code", codes.count.c_str(), path);
  codes.version = ReadIniString("HANDLER_RETURN", "Version code", codes.version.c_str(), path);
  codes.define = ReadIniString("HANDLER_RETURN", "Define code", codes.define.c_str(), path);
  codes.index = ReadIniString("HANDLER_RETURN", "Index code", codes.index.c_str(), path);
  return codes;
}

int ItemRegistration::WriteHandlerReturn(const HandlerReturnCodes& codes) {
  const std::string path = GetItemVersionIniPath();
  int ok = WriteIniString("HANDLER_RETURN", "Count code", codes.count.c_str(), path);
  ok &= WriteIniString("HANDLER_RETURN", "Version code", codes.version.c_str(), path);
  ok &= WriteIniString("HANDLER_RETURN", "Define code", codes.define.c_str(), path);
  ok &= WriteIniString("HANDLER_RETURN", "Index code", codes.index.c_str(), path);
  return ok;
}

std::string ItemRegistration::ReadVersionText() { return ReadIniString("LOG", "VERSION", "", GetItemVersionIniPath()); }

bool ItemRegistration::ReadItemVersionUse() {
  return RegReadInt(RegRootKey::CurrentUser, kSystemKey, "VersionByPass", 0) != 1;
}

int ItemRegistration::WriteItemVersionUse(bool use) {
  return RegWriteInt(RegRootKey::CurrentUser, kSystemKey, "VersionByPass", use ? 0 : 1);
}
