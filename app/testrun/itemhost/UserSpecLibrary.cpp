#include "UserSpecLibrary.h"

#include "port/module.h"

bool OpenUserSpecLibrary(const std::string& path, const ItemPlatform& platform, int site) {
  const ModuleHandle module = port::LoadModule(path);
  if (module == nullptr) return false;
  const auto create = port::FindFunction<Item_OnCreate_Fn>(module, "Item_OnCreate");
  if (create == nullptr) return false;
  create(platform.binder, platform.hardware, platform.protocol, platform.record);
  if (const auto spec = port::FindFunction<ItemOnSpecDlg_Fn>(module, "OnSpecDlg")) spec(site);
  return true;
}
