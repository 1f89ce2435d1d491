#include "MenuTable.h"

std::vector<MenuCommand> MenuPopup::Commands() const {
  std::vector<MenuCommand> commands;
  for (const MenuCommand& item : items)
    if (item.id != 0) commands.push_back(item);
  return commands;
}

namespace menu_table {
namespace {

constexpr MenuCommand kSeparator{};

}  // namespace

const std::vector<MenuPopup>& MainMenu() {
  static const std::vector<MenuPopup> menu = {
      {"File", "File", {{kLogin, "Login", true}, {kConfig, "Config"}, kSeparator, {kDcSave, "DC Save", true}}},
      {"Base Spec",
       "BaseSpec",
       {{kHardware, "Hardware"}, {kSoftware, "Software"}, {kProtocol, "Protocol"}, {kPfMemory, "PF Memory"},
        {kMes, "MES"}}},
      {"Item Manager",
       "ItemManager",
       {{kUiManager, "UI_MANAGER"}, kSeparator, {kDllManager, "Dll Manager"}, {kItemSpec, "Item Spec"}, kSeparator,
        {kCycleManager, "Cycle Manager"}, {kCycleSpec, "Cycle Spec"}, kSeparator, {kTestLogInfo, "Test Log Info"},
        kSeparator, {kErrorCodeEdit, "Error Code Edit"}}},
      {"View", "View", {{kImageFit, "Image Fit"}, kSeparator, {kShowListBox, "Show ListBox"}}},
      {"Test Option", "TestOption", {{kCommunication, "Communication"}, kSeparator, {kTestMode, "Test Mode"}}},
      {"Folder Open",
       "FolderOpen",
       {{kFolderRoot, "Root"}, {kFolderConfig, "Config"}, {kFolderRef, "Ref"}, {kFolderModel, "Model"},
        {kFolderCycle, "Cycle"}, {kFolderDll, "Dll"}, {kFolderLog, "Log"}}},
      {"Cmd",
       "Cmd",
       {{kNotePad, "NotePad"}, {kCalc, "Calc"}, {kPbrush, "Pbrush"}, {kRegedit, "Regedit"}, {kControl, "Control"},
        {kCmd, "Cmd "}, {kDevmgmt, "Devmgmt"}, {kExplorer, "Explorer"}, {kOsk, "Osk"}}},
      {"User Spec", "UserSpec", {{kUserSpec, "User Spec"}}},
      {"About", "About", {{kAbout, "Tarvesta System Information"}, {kPlatformLog, "QRV Platform Log"}}},
  };
  return menu;
}

const std::vector<MenuPopup>& PanelMenu() {
  static const std::vector<MenuPopup> menu = {
      {"UI Manager", "UiMnanager", {{kControllerSetting, "Controller Setting"}}},
      {"Setting", "Setting", {{kLotNumber, "Lot Number"}}},
      {"Library",
       "Library",
       {{kFreeLibrary, "Free Library"}, {kLoadLibrary, "Load Library"}, {kCurrentLibrary, "Current Library"}}},
  };
  return menu;
}

const MenuPopup& ItemListMenu() {
  static const MenuPopup menu = {
      "DLL_List_RclickMenu",
      "Site",
      {{kSpec, "Spec"}, {kBeforeImage, "Before Image"}, {kSiteTest, "Site Test"}, {kSitePlay, "Site Play"}}};
  return menu;
}

}  // namespace menu_table
