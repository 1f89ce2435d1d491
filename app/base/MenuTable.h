#pragma once
// The station's menus as data: the main window's menu bar, the site panel's menu bar and the item list's
// right-click menu. Each popup is one rights group of QRV_Config.ini [MENU_ENABLE]; its commands take the
// group's flags by position, separators skipped.
#include <string>
#include <vector>

struct MenuCommand {
  int id = 0;  // 0: a separator
  const char* text = "";
  // Enabled for the Operator when the station has no rights of its own yet.
  bool operatorDefault = false;
};

struct MenuPopup {
  const char* title;
  const char* rightsKey;
  std::vector<MenuCommand> items;

  // The commands without the separators, in rights order.
  std::vector<MenuCommand> Commands() const;
};

namespace menu_table {

// Command ids of the main window's menu bar.
enum MainCommand {
  kLogin = 32771, kConfig = 32772, kDcSave = 32877,
  kHardware = 32833, kSoftware = 32834, kProtocol = 32835, kPfMemory = 32871, kMes = 32880,
  kUiManager = 32792, kDllManager = 32774, kItemSpec = 32776, kCycleManager = 32804, kCycleSpec = 32805,
  kTestLogInfo = 32777, kErrorCodeEdit = 32778,
  kImageFit = 32781, kShowListBox = 32827,
  kCommunication = 32785, kTestMode = 32786,
  kFolderRoot = 32822, kFolderConfig = 32817, kFolderRef = 32836, kFolderModel = 32837, kFolderCycle = 32818,
  kFolderDll = 32819, kFolderLog = 32820,
  kNotePad = 32838, kCalc = 32840, kPbrush = 32841, kRegedit = 32842, kControl = 32843, kCmd = 32844,
  kDevmgmt = 32845, kExplorer = 32847, kOsk = 32862,
  kUserSpec = 32831,
  kAbout = 32787, kPlatformLog = 32809,
};

// Command ids of the site panel's menu bar.
enum PanelCommand {
  kControllerSetting = 32793, kLotNumber = 32796,
  kFreeLibrary = 32866, kLoadLibrary = 32867, kCurrentLibrary = 32868,
};

// Command ids of the item list's right-click menu.
enum ItemListCommand { kSpec = 32872, kBeforeImage = 32824, kSiteTest = 32873, kSitePlay = 32874 };

const std::vector<MenuPopup>& MainMenu();
const std::vector<MenuPopup>& PanelMenu();
const MenuPopup& ItemListMenu();

}  // namespace menu_table
