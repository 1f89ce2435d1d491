#include "PlatformLoadlibrary.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <mutex>

#include "port/module.h"
#include "port/path.h"
#include "port/thread_site.h"

CPlatformLoadlibrary::CPlatformLoadlibrary(std::string name, const std::string& root, const ItemPlatform& platform)
    : m_strName(std::move(name)) {
  LoadItemDll(root);
  BindItemFunctions(platform);
}

CPlatformLoadlibrary::~CPlatformLoadlibrary() {
  if (m_hModule == nullptr) return;
  if (Item_OnDelete != nullptr) Item_OnDelete();
  port::FreeModule(m_hModule);
}

void CPlatformLoadlibrary::LoadItemDll(const std::string& root) {
  // The stored lists spell the folder "DLL" while the station folder is "Dll": resolve without case.
  const std::string path = port::ResolvePathCase(port::JoinPath(root, port::NormalizePath(m_strName)));
  m_hModule = port::LoadModule(path);
}

void CPlatformLoadlibrary::BindItemFunctions(const ItemPlatform& platform) {
  if (m_hModule == nullptr) {
    m_nStatus = kItemNotLoaded;
    return;
  }
  OnTest = port::FindFunction<OnTest_Fn>(m_hModule, "OnTest");
  OnSpecDlg = port::FindFunction<ItemOnSpecDlg_Fn>(m_hModule, "OnSpecDlg");
  Item_OnCreate = port::FindFunction<Item_OnCreate_Fn>(m_hModule, "Item_OnCreate");
  Item_OnDelete = port::FindFunction<Item_OnDelete_Fn>(m_hModule, "Item_OnDelete");
  if (OnTest == nullptr || OnSpecDlg == nullptr || Item_OnCreate == nullptr || Item_OnDelete == nullptr) {
    std::fputs("Failed to get function pointer.\n", stderr);
    m_nStatus = kItemEntryMissing;
    return;
  }
  Item_OnCreate(platform.binder, platform.hardware, platform.protocol, platform.record);
  std::fputs("Pass to get function pointer.\n", stderr);
  m_nStatus = kItemLoaded;
}

bool ItemLibraryMap::NameLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
    return std::tolower(x) < std::tolower(y);
  });
}

ItemLibraryMap::~ItemLibraryMap() { UnloadAll(); }

// The item's create and delete hooks run outside the lock: an item may show a message box there, and the
// screen's nested event loop may then ask the registry again on this thread. A second load of a name that is
// still loading is refused: the same file is the same module, so a second object would create the registered
// item twice and its delete hook would run on the registered item's state.
int ItemLibraryMap::Load(const std::string& dllName, const std::string& folder, const std::string& root,
                         const ItemPlatform& platform, const ItemSource& source) {
  {
    std::unique_lock lock(m_lock);
    if (const auto found = m_map.find(dllName); found != m_map.end()) return found->second->Status();
    if (!m_loading.insert(dllName).second) return kItemNotLoaded;
  }
  auto library = std::make_unique<CPlatformLoadlibrary>(folder + "/" + dllName, root, platform);
  const int status = library->Status();
  std::unique_lock lock(m_lock);
  m_loading.erase(dllName);
  m_map.emplace(dllName, std::move(library));
  m_order.push_back({source.itemName, dllName, folder, source.role, status});
  return status;
}

// Taking the libraries out under the exclusive lock waits for every running entry point; no new call can
// find them afterwards, so their delete hooks run unlocked.
// The names are unloaded in the order of their bytes ("A.dll", "B.dll", "a.dll"), not in the map's order.
void ItemLibraryMap::UnloadAll() {
  std::map<std::string, std::unique_ptr<CPlatformLoadlibrary>> unloaded;
  {
    std::unique_lock lock(m_lock);
    for (auto& [name, library] : m_map) unloaded.emplace(name, std::move(library));
    m_map.clear();
    m_order.clear();
  }
  while (!unloaded.empty()) unloaded.erase(unloaded.begin());
}

std::optional<int> ItemLibraryMap::RegisteredStatus(const std::string& dllName) const {
  std::shared_lock lock(m_lock);
  const auto found = m_map.find(dllName);
  if (found == m_map.end()) return std::nullopt;
  return found->second->Status();
}

int ItemLibraryMap::Status(const std::string& dllName) const {
  return RegisteredStatus(dllName).value_or(kItemNotLoaded);
}

int ItemLibraryMap::RunOnTest(const std::string& dllName, int usb, int site, int lotTotal, int server) const {
  std::shared_lock lock(m_lock);
  const auto found = m_map.find(dllName);
  if (found == m_map.end()) return kItemNotLoaded;
  const OnTest_Fn onTest = found->second->TestEntry();
  if (onTest == nullptr) return found->second->Status() != kItemLoaded ? found->second->Status() : kItemEntryMissing;
  const port::ThreadSiteScope forSite(site);
  return onTest(usb, site, lotTotal, server);
}

bool ItemLibraryMap::ShowSpec(const std::string& dllName, int site) const {
  std::shared_lock lock(m_lock);
  const auto found = m_map.find(dllName);
  if (found == m_map.end()) return false;
  const ItemOnSpecDlg_Fn spec = found->second->SpecEntry();
  if (spec == nullptr) return false;
  spec(site);
  return true;
}

std::vector<ItemLibraryMap::Listed> ItemLibraryMap::List() const {
  std::shared_lock lock(m_lock);
  return m_order;
}

bool ItemLibraryMap::AllLoaded() const {
  std::shared_lock lock(m_lock);
  for (const auto& listed : m_order)
    if (listed.status != kItemLoaded) return false;
  return true;
}

bool ItemLibraryMap::Empty() const {
  std::shared_lock lock(m_lock);
  return m_map.empty();
}
