// The two menu bars and the item list's menu over a running station: what each login may choose, the login
// itself (wrong passwords, a password change across a restart), the platform-memory viewer, the folders and
// tools, and screenshots of every menu.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <QFocusEvent>

#include "CommandMenuBar.h"
#include "KeyBoardDlg.h"
#include "MenuRights.h"
#include "MenusTestSupport.h"
#include "ModalDriver.h"
#include "PfMemoryDlg.h"
#include "QRV_InterFace_SW.h"
#include "QRVAbout.h"
#include "QRVBaseDlg.h"
#include "SiteCtrl.h"
#include "SiteLogTab.h"
#include "SitePanelFixture.h"
#include "TestRunFixture.h"
#include "TicTimeDlg.h"
#include "port/ini.h"
#include "port/message_box.h"
#include "port/module.h"
#include "port/registry.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"
#include "qrv_test/scoped_env.h"

namespace fs = std::filesystem;
using namespace menu_table;
using menus_test::LoginThroughMenu;

namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string PlatformErrorLogText(const std::string& root) {
  std::string text;
  if (!fs::exists(fs::path(root) / "System" / "PlatformErrorLog")) return text;
  for (const auto& entry : fs::directory_iterator(fs::path(root) / "System" / "PlatformErrorLog"))
    text += FileText(entry.path().string());
  return text;
}

bool MessageShown(const std::string& text) {
  for (const port::ShownMessageBox& box : port::ShownMessageBoxes())
    if (box.text == text) return true;
  return false;
}

std::set<QWidget*> VisibleWindows() {
  std::set<QWidget*> shown;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible()) shown.insert(window);
  return shown;
}

// The Maintenance rights of this test: a different pattern in every group.
const std::map<std::string, std::string> kMaintenanceRights = {
    {"MT_File", "1;0;1;"},          {"MT_BaseSpec", "0;1;0;1;0;"},  {"MT_ItemManager", "1;0;1;0;1;0;1;"},
    {"MT_View", "1;0;"},            {"MT_TestOption", "0;1;"},      {"MT_FolderOpen", "1;0;1;0;1;0;1;"},
    {"MT_Cmd", "0;1;0;1;0;1;0;1;0;"}, {"MT_UserSpec", "1;"},        {"MT_About", "1;0;"},
    {"MT_UiMnanager", "1;"},        {"MT_Setting", "0;"},           {"MT_Library", "1;0;1;"},
    {"MT_Site", "1;0;1;0;"}};

bool RightOf(int level, const MenuPopup& group, std::size_t position) {
  if (level == 2) return true;
  if (level == 0) return group.Commands()[position].operatorDefault;
  const std::string flags = kMaintenanceRights.at(std::string("MT_") + group.rightsKey);
  return flags[position * 2] == '1';
}

void ExpectRights(CommandMenuBar& bar, const std::vector<MenuPopup>& menu, int level) {
  for (const MenuPopup& group : menu) {
    const std::vector<MenuCommand> commands = group.Commands();
    for (std::size_t i = 0; i < commands.size(); ++i) {
      EXPECT_EQ(bar.Action(commands[i].id)->isEnabled(), RightOf(level, group, i))
          << "level " << level << ", " << group.title << " / " << commands[i].text;
    }
  }
}

class MenusTest : public ::testing::Test {
 protected:
  MenusTest() : station("2", "2") {
    station.RegisterItems(2, {"TestItemA.dll"});
    for (const auto& [key, value] : kMaintenanceRights)
      port::ini::WriteString(ConfigFile(), "MENU_ENABLE", key.c_str(), value.c_str());
    port::ClearShownMessageBoxes();
  }
  std::string ConfigFile() const { return station.Root() + "/Config/QRV_Config.ini"; }

  SitePanelStation station;
};

}  // namespace

// Every command of both menu bars and of the item list, at each login, as [MENU_ENABLE] gives it, whether or
// not the station has what the command works on; before any login nothing is greyed.
TEST_F(MenusTest, EachLoginEnablesOrGreysEveryCommandAsItsRightsGive) {
  CQRVBaseDlg window;
  DynamicDlg& panel = *window.SitePanel();
  CommandMenuBar& mainMenu = *window.MenuBar();
  ExpectRights(mainMenu, MainMenu(), 2);
  ExpectRights(*panel.PanelMenuBar(), PanelMenu(), 2);

  const std::pair<int, std::string> logins[] = {{0, ""}, {1, "1111"}, {2, "2222"}, {0, ""}};
  for (const auto& [level, password] : logins) {
    // The Operator's rights grey "Login" only when the station says so; here it stays.
    LoginThroughMenu(mainMenu, panel, level, password);
    ASSERT_EQ(panel.IsLoggedIn(), 1) << level;
    ASSERT_EQ(panel.LoginLevel(), level);
    ExpectRights(mainMenu, MainMenu(), level);
    ExpectRights(*panel.PanelMenuBar(), PanelMenu(), level);

    const std::unique_ptr<QMenu> itemMenu = panel.ItemList(0)->CreateItemMenu();
    const QList<QAction*> actions = itemMenu->actions();
    ASSERT_EQ(actions.size(), 4);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(actions[i]->isEnabled(), RightOf(level, ItemListMenu(), static_cast<std::size_t>(i)))
          << "level " << level << ", item list / " << actions[i]->text().toStdString();
  }
  for (const MenuPopup& group : MainMenu())
    EXPECT_EQ(port::ini::ReadString(ConfigFile(), "MENU_ENABLE", std::string("OP_") + group.rightsKey, "<missing>"),
              menu_rights::DefaultFlags(group, "OP_"))
        << "the Operator's keys were written with their defaults";
}

// A rights field that is missing, empty or no number greys its command on the menu bars, though the
// Maintenance default would enable it; the fields around it keep their rights.
TEST_F(MenusTest, GarbledRightsGreyTheirCommandsOnBothMenuBars) {
  struct Case {
    const char* key;
    const char* value;
    std::vector<int> greyed;
    std::vector<int> enabled;
  };
  const Case cases[] = {
      {"MT_File", "1;1;", {kDcSave}, {kLogin, kConfig}},                         // a field missing
      {"MT_View", ";1;", {kImageFit}, {kShowListBox}},                            // an empty field
      {"MT_TestOption", "x;1;", {kCommunication}, {kTestMode}},                   // no number
      {"MT_ItemManager", "1; ;1;1;1;1;1;", {kDllManager}, {kUiManager, kItemSpec}},  // a blank field
      {"MT_FolderOpen", "", {kFolderRoot, kFolderConfig, kFolderLog}, {}},        // an empty value
      {"MT_Cmd", "yes", {kNotePad, kCalc, kOsk}, {}},                              // a word for the list
      {"MT_UiMnanager", "on;", {kControllerSetting}, {}},                          // the panel's own bar
      {"MT_Library", "1;+;1;", {kLoadLibrary}, {kFreeLibrary, kCurrentLibrary}},  // a sign alone
  };
  for (const Case& c : cases) port::ini::WriteString(ConfigFile(), "MENU_ENABLE", c.key, c.value);
  CQRVBaseDlg window;
  window.resize(1000, 700);
  window.show();
  DynamicDlg& panel = *window.SitePanel();
  LoginThroughMenu(*window.MenuBar(), panel, 1, "1111");
  ASSERT_EQ(panel.LoginLevel(), 1);
  const auto enabled = [&](int id) {
    QAction* action = window.MenuBar()->Action(id);
    if (action == nullptr) action = panel.PanelMenuBar()->Action(id);
    EXPECT_NE(action, nullptr) << id;
    return action != nullptr && action->isEnabled();
  };
  for (const Case& c : cases) {
    for (const int id : c.greyed) EXPECT_FALSE(enabled(id)) << c.key << "=\"" << c.value << "\" " << id;
    for (const int id : c.enabled) EXPECT_TRUE(enabled(id)) << c.key << "=\"" << c.value << "\" " << id;
    EXPECT_EQ(port::ini::ReadString(ConfigFile(), "MENU_ENABLE", c.key, "<missing>"), c.value);
  }
  for (const auto& [bar, title, shot] :
       {std::tuple<CommandMenuBar*, const char*, const char*>{window.MenuBar(), "File", "File"},
        {window.MenuBar(), "Item Manager", "ItemManager"},
        {panel.PanelMenuBar(), "Library", "Library"}}) {
    QMenu* menu = bar->Popup(title);
    ASSERT_NE(menu, nullptr) << title;
    menu->popup(bar->mapToGlobal(QPoint(0, bar->height())));
    SitePanelStation::ProcessEvents();
    qrv::test::SaveScreenshot(*menu, std::string("menu_garbled_rights_") + shot);
    menu->hide();
  }
}

// The rights follow the login flag too: logged out, the Operator's apply whatever level the record holds; a
// level of ten or more asks the timer to apply the rights of the level ten below.
TEST_F(MenusTest, LoggingOutAppliesTheOperatorsRightsAndTheTimerReappliesOnRequest) {
  CQRVBaseDlg window;
  DynamicDlg& panel = *window.SitePanel();
  CommandMenuBar& mainMenu = *window.MenuBar();
  menus_test::WhenModal<LoginDlg>([](LoginDlg& dialog) { menus_test::Click(dialog, "LogOut"); });
  mainMenu.Action(kLogin)->trigger();
  EXPECT_EQ(panel.IsLoggedIn(), 0);
  EXPECT_EQ(panel.GetLoginLevel(), 0u);
  ExpectRights(mainMenu, MainMenu(), 0);

  LoginThroughMenu(mainMenu, panel, 0, "");
  panel.m_nLoginLevel.store(9);
  panel.OnTimer(DynamicDlg::kTimerId);
  EXPECT_EQ(panel.GetLoginLevel(), 9u);
  EXPECT_FALSE(mainMenu.Action(kTestMode)->isEnabled()) << "a level below ten asks for nothing";

  panel.m_nLoginLevel.store(12);
  panel.OnTimer(DynamicDlg::kTimerId);
  EXPECT_EQ(panel.GetLoginLevel(), 2u);
  ExpectRights(mainMenu, MainMenu(), 2);
}

// A refused login or password change shows its box and nothing else: no log line, the typed text stays, the
// dialog stays open and the login is as it was.
TEST_F(MenusTest, AWrongPasswordShowsItsBoxAndNothingElse) {
  CQRVBaseDlg window;
  DynamicDlg& panel = *window.SitePanel();
  CommandMenuBar& mainMenu = *window.MenuBar();
  LoginThroughMenu(mainMenu, panel, 0, "");
  ASSERT_EQ(panel.LoginLevel(), 0);
  const std::string log = PlatformErrorLogText(station.Root());

  struct Case {
    int level;
    const char* password;
    const char* message;
  };
  const Case cases[] = {{2, "2223", "UserPassword Fail"},
                        {2, "", "Please enter a password."},
                        {1, "2222", "UserPassword Fail"},
                        {1, "1111 ", "UserPassword Fail"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.level) + " \"" + c.password + "\"");
    // Logged in as Operator: log out first, then the refused login.
    menus_test::WhenModal<LoginDlg>([](LoginDlg& dialog) { menus_test::Click(dialog, "LogOut"); });
    mainMenu.Action(kLogin)->trigger();
    port::ClearShownMessageBoxes();
    menus_test::WhenModal<LoginDlg>([&c](LoginDlg& dialog) {
      dialog.findChild<QComboBox*>("User")->setCurrentIndex(c.level);
      menus_test::Type(dialog, "Password", c.password);
      menus_test::Click(dialog, "Login");
      EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open after a refusal";
      EXPECT_EQ(dialog.findChild<QLineEdit*>("Password")->text().toStdString(), c.password);
      EXPECT_EQ(dialog.GetLoginFlag(), 0);
      if (c.level == 2 && *c.password != '\0') qrv::test::SaveScreenshot(dialog, "login_dialog_wrong_password");
    });
    mainMenu.Action(kLogin)->trigger();
    ASSERT_EQ(port::ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(port::ShownMessageBoxes()[0].text, c.message);
    EXPECT_EQ(panel.LoginLevel(), 0);
    EXPECT_EQ(panel.IsLoggedIn(), 0) << "closed without a login: not logged in";
    LoginThroughMenu(mainMenu, panel, 0, "");
  }

  // Logged in as Engineer, a wrong current password refuses the change in the same way.
  LoginThroughMenu(mainMenu, panel, 2, "2222");
  ASSERT_EQ(panel.LoginLevel(), 2);
  port::ClearShownMessageBoxes();
  menus_test::WhenModal<LoginDlg>([](LoginDlg& dialog) {
    menus_test::Type(dialog, "Current PW", "2221");
    menus_test::Type(dialog, "New Password", "Eng-Neu-7");
    menus_test::Type(dialog, "New Password Repeat", "Eng-Neu-7");
    menus_test::Click(dialog, "Save");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.findChild<QLineEdit*>("Current PW")->text(), "2221");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("New Password")->text(), "Eng-Neu-7");
  });
  mainMenu.Action(kLogin)->trigger();
  ASSERT_EQ(port::ShownMessageBoxes().size(), 1u);
  EXPECT_EQ(port::ShownMessageBoxes()[0].text, "Different from the current password");
  EXPECT_EQ(panel.IsLoggedIn(), 1);
  EXPECT_EQ(panel.LoginLevel(), 2);
  LoginThroughMenu(mainMenu, panel, 2, "2222");
  EXPECT_EQ(panel.LoginLevel(), 2) << "the password was not changed";
  EXPECT_EQ(PlatformErrorLogText(station.Root()), log) << "no log line";
}

// While a site tests, LogOut and Save do nothing at all: no box, no change, the dialog stays open.
TEST_F(MenusTest, LogOutAndSaveDoNothingWhileASiteTests) {
  for (const char* button : {"LogOut", "Save"}) {
    SCOPED_TRACE(button);
    port::ClearShownMessageBoxes();
    LoginDlg dialog(1, 2, [] { return true; });
    dialog.show();
    menus_test::Type(dialog, "Current PW", "2222");
    menus_test::Type(dialog, "New Password", "x");
    menus_test::Type(dialog, "New Password Repeat", "x");
    menus_test::Click(dialog, button);
    EXPECT_TRUE(port::ShownMessageBoxes().empty());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.GetLoginFlag(), 1);
    EXPECT_EQ(dialog.GetUserLevel(), 2);
  }
}

// On the touch screen the password comes from the on-screen keyboard, which shows only stars.
TEST_F(MenusTest, AnEngineerLogsInThroughTheOnScreenKeyboard) {
  CQRVBaseDlg window;
  DynamicDlg& panel = *window.SitePanel();
  CommandMenuBar& mainMenu = *window.MenuBar();
  menus_test::WhenModal<LoginDlg>([](LoginDlg& dialog) { menus_test::Click(dialog, "LogOut"); });
  mainMenu.Action(kLogin)->trigger();
  ASSERT_EQ(panel.IsLoggedIn(), 0);

  menus_test::WhenModal<LoginDlg>([](LoginDlg& dialog) {
    qrv::test::SaveScreenshot(dialog, "login_dialog_logged_out");
    dialog.findChild<QComboBox*>("User")->setCurrentIndex(2);
    menus_test::WhenModal<KeyBoardDlg>([](KeyBoardDlg& keyboard) {
      for (const char* key : {"2", "2", "2", "2"}) menus_test::Click(keyboard, key);
      EXPECT_EQ(keyboard.findChild<QLineEdit*>("1030")->echoMode(), QLineEdit::Password);
      qrv::test::SaveScreenshot(keyboard, "login_keyboard");
      menus_test::Click(keyboard, "Enter");
    });
    QLineEdit* password = dialog.findChild<QLineEdit*>("Password");
    QFocusEvent touch(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(password, &touch);
    EXPECT_TRUE(qrv::test::ProcessEventsUntil([password] { return !password->text().isEmpty(); }));
    EXPECT_EQ(password->text(), "2222") << "the keyboard's text is the edit's";

    // Focus given back by a closing window, or an edit that takes no input here, opens no keyboard.
    const qrv::test::ModalWatch keyboardWatch([](QDialog&) {});
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(password, &back);
    QFocusEvent tab(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(dialog.findChild<QLineEdit*>("Current PW"), &tab);
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(keyboardWatch.Acted());
    menus_test::Click(dialog, "Login");
  });
  mainMenu.Action(kLogin)->trigger();
  EXPECT_EQ(panel.IsLoggedIn(), 1);
  EXPECT_EQ(panel.LoginLevel(), 2);
}

// A changed password is what the next start of the program asks for; the registry never holds it readable.
TEST_F(MenusTest, APasswordChangeSurvivesARestartAndIsNeverStoredReadable) {
  {
    CQRVBaseDlg window;
    DynamicDlg& panel = *window.SitePanel();
    LoginThroughMenu(*window.MenuBar(), panel, 2, "2222");
    ASSERT_EQ(panel.LoginLevel(), 2);

    port::ClearShownMessageBoxes();
    menus_test::WhenModal<LoginDlg>([](LoginDlg& dialog) {
      menus_test::Type(dialog, "Current PW", "2221");
      menus_test::Type(dialog, "New Password", "Eng-Neu-7");
      menus_test::Type(dialog, "New Password Repeat", "Eng-Neu-7");
      menus_test::Click(dialog, "Save");
      EXPECT_TRUE(dialog.isVisible());
      menus_test::Type(dialog, "Current PW", "2222");
      menus_test::Type(dialog, "New Password Repeat", "Eng-Neu-8");
      menus_test::Click(dialog, "Save");
      EXPECT_TRUE(dialog.isVisible());
      menus_test::Type(dialog, "New Password Repeat", "Eng-Neu-7");
      qrv::test::SaveScreenshot(dialog, "login_dialog_password_change");
      menus_test::Click(dialog, "Save");
    });
    window.MenuBar()->Action(kLogin)->trigger();
    EXPECT_TRUE(MessageShown("Different from the current password"));
    EXPECT_TRUE(MessageShown("Different from the new password"));
    EXPECT_EQ(panel.LoginLevel(), 2);
    window.RequestExit();
  }
  const std::string registry = FileText(port::registry::StoreFolder() + "/HKEY_CURRENT_USER.ini");
  EXPECT_EQ(registry.find("Eng-Neu-7"), std::string::npos) << registry;
  EXPECT_EQ(registry.find("2222"), std::string::npos) << registry;

  CQRVBaseDlg restarted;
  DynamicDlg& panel = *restarted.SitePanel();
  port::ClearShownMessageBoxes();
  LoginThroughMenu(*restarted.MenuBar(), panel, 2, "2222");
  EXPECT_TRUE(MessageShown("UserPassword Fail")) << "the old password no longer logs in";
  LoginThroughMenu(*restarted.MenuBar(), panel, 2, "Eng-Neu-7");
  EXPECT_EQ(panel.IsLoggedIn(), 1);
  EXPECT_EQ(panel.LoginLevel(), 2);
  EXPECT_EQ(port::registry::ReadDword(port::registry::Root::CurrentUser, "Software\\QRV\\Platform\\LOGIN\\", "LoginLev"), 2u);
}

// "PF Memory" refills the viewer: fifteen rows every time, with the values of the moment.
TEST_F(MenusTest, PlatformMemoryShowsTheRecordAsItIsWhenTheCommandIsChosen) {
  CQRVBaseDlg window;
  DynamicDlg& panel = *window.SitePanel();
  CommandMenuBar& mainMenu = *window.MenuBar();
  mainMenu.Action(kPfMemory)->trigger();
  CPfMemoryDlg* viewer = panel.PfMemoryWindow();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->isVisible());
  QTableWidget& list = *viewer->List();
  ASSERT_EQ(list.rowCount(), 15);
  EXPECT_EQ(list.item(0, 0)->text(), "GetLoginLevel()");
  EXPECT_EQ(list.item(0, 1)->text(), "2") << "the station starts as Engineer";
  EXPECT_EQ(list.item(2, 0)->text(), "GetOverridemode()");
  EXPECT_EQ(list.item(5, 1)->text().toStdString(), panel.GetRoot());
  EXPECT_EQ(list.item(6, 1)->text(), "Init_Model");
  EXPECT_EQ(list.item(12, 0)->text(), "GetEnginnerPath()");
  qrv::test::SaveScreenshot(*viewer, "pf_memory_dialog");

  panel.SetStopButtonFlag(1);
  EXPECT_EQ(list.item(1, 1)->text(), "0") << "nothing refreshes the snapshot in between";
  menus_test::WhenModal<LoginDlg>([](LoginDlg& dialog) { menus_test::Click(dialog, "LogOut"); });
  mainMenu.Action(kLogin)->trigger();
  LoginThroughMenu(mainMenu, panel, 1, "1111");
  window.MenuBar()->Action(kPfMemory)->trigger();
  EXPECT_EQ(list.rowCount(), 15) << "a second refill does not add rows";
  EXPECT_EQ(list.item(0, 1)->text(), "1");
  EXPECT_EQ(list.item(1, 1)->text(), "1");
}

// The folder commands open only folders that exist; a missing folder or tool is neither created nor said.
TEST_F(MenusTest, FolderAndToolCommandsOpenThroughTheDesktopAndStaySilentOnWhatIsMissing) {
  qrv::test::TempDir bin;
  const std::string record = bin.File("opened.txt");
  {
    std::ofstream script(bin.File("xdg-open"));
    script << "#!/bin/sh\necho \"$@\" >> '" << record << "'\n";
  }
  fs::permissions(bin.File("xdg-open"), fs::perms::owner_all);
  // Only the recording opener is on the path: no real program is started, and no tool is found.
  const qrv::test::ScopedEnv path("PATH", bin.path());

  CQRVBaseDlg window;
  CommandMenuBar& mainMenu = *window.MenuBar();
  fs::remove_all(fs::path(station.Root()) / "Cycle");
  port::ClearShownMessageBoxes();
  mainMenu.Action(kFolderCycle)->trigger();
  EXPECT_TRUE(port::ShownMessageBoxes().empty());
  EXPECT_FALSE(fs::exists(fs::path(station.Root()) / "Cycle")) << "nothing is created";

  mainMenu.Action(kFolderConfig)->trigger();
  mainMenu.Action(kFolderModel)->trigger();
  ASSERT_TRUE(station.WaitFor([&] { return FileText(record).find("Init_Model") != std::string::npos; }));
  EXPECT_NE(FileText(record).find("file://" + station.Root() + "/Config"), std::string::npos) << FileText(record);

  // DC Save: a picture of every site view that shows one, then their folder; a view without one is named.
  DynamicDlg& panel = *window.SitePanel();
  std::vector<unsigned char> frame(64 * 48 * 3, 0x80);
  panel.m_pInterFaceSW->InDrawImage(0, frame.data(), 64, 48);
  port::ClearShownMessageBoxes();
  mainMenu.Action(kDcSave)->trigger();
  EXPECT_TRUE(fs::exists(fs::path(station.Root()) / "Image capture" / "captureDC_0.jpg"));
  EXPECT_FALSE(fs::exists(fs::path(station.Root()) / "Image capture" / "captureDC_1.jpg"));
  EXPECT_TRUE(MessageShown("No picture was saved of the view of site B: it shows nothing yet."));
  ASSERT_TRUE(station.WaitFor([&] { return FileText(record).find("Image capture") != std::string::npos; }))
      << FileText(record);

  port::ClearShownMessageBoxes();
  mainMenu.Action(kCalc)->trigger();
  mainMenu.Action(kCmd)->trigger();
  EXPECT_TRUE(port::ShownMessageBoxes().empty()) << "no calculator or terminal is installed, and none is asked for";
  EXPECT_EQ(FileText(record).find("Cycle"), std::string::npos) << "the missing folder never reached the desktop";
}

// The model's user-spec library needs only Item_OnCreate: every use of the command loads and creates it again
// and opens its settings when it has them. A library that lacks Item_OnCreate or does not load ends the
// command without a word. A name that leaves the Dll folder is never loaded: the library's own name, chosen
// right after, counts only its own creations.
TEST_F(MenusTest, UserSpecCreatesTheModelsLibraryOnEveryUseAndFailsSilently) {
  const fs::path dll = fs::path(station.Root()) / "Dll";
  fs::copy_file(USER_SPEC_ITEM, dll / "UserSpecItem.dll");
  fs::copy_file(USER_SPEC_CREATE_ONLY, dll / "UserSpecCreateOnly.dll");
  fs::copy_file(USER_SPEC_NO_CREATE, dll / "UserSpecNoCreate.dll");
  std::ofstream(dll / "NotALibrary.dll") << "not a library";
  const std::string dllManager = station.ModelFile("DllManager.ini");
  const struct {
    const char* name;
    int created;  // per use of the command
    int specCalls;
  } cases[] = {{"UserSpecItem.dll", 1, 1}, {"UserSpecCreateOnly.dll", 1, 0}, {"UserSpecNoCreate.dll", 0, 0},
               {"NotALibrary.dll", 0, 0}};
  CQRVBaseDlg window;
  CommandMenuBar& mainMenu = *window.MenuBar();
  const std::string errorLog = PlatformErrorLogText(station.Root());
  port::ini::WriteString(dllManager, "USER_SPEC_MENU", "name", "../Dll/UserSpecItem.dll");
  mainMenu.Action(kUserSpec)->trigger();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    port::ini::WriteString(dllManager, "USER_SPEC_MENU", "name", c.name);
    mainMenu.Action(kUserSpec)->trigger();
    mainMenu.Action(kUserSpec)->trigger();
    EXPECT_TRUE(port::ShownMessageBoxes().empty());
    const ModuleHandle library = port::LoadModule((dll / c.name).string());
    if (library == nullptr) continue;
    EXPECT_EQ(port::FindFunction<int (*)()>(library, "UserSpec_Created")(), 2 * c.created);
    EXPECT_EQ(port::FindFunction<int (*)()>(library, "UserSpec_SpecCalls")(), 2 * c.specCalls);
    port::FreeModule(library);
  }
  EXPECT_EQ(PlatformErrorLogText(station.Root()), errorLog) << "no log line either";
  window.RequestExit();
}

// A command whose library, file or window is missing is as its rights make it, enabled here, and choosing it
// does nothing: no box, no window, no dialog, no log line, and nothing of the station is called.
TEST_F(MenusTest, ACommandWithNothingToWorkOnIsEnabledByItsRightsAndDoesNothing) {
  for (const char* key : {"OP_BaseSpec", "OP_UserSpec", "OP_About"})
    port::ini::WriteString(ConfigFile(), "MENU_ENABLE", key, "1;1;1;1;1;1;1;");
  const qrv::test::TempDir noTools;
  const qrv::test::ScopedEnv path("PATH", noTools.path());  // an attempt to open a folder would be told
  const fs::path dll = fs::path(station.Root()) / "Dll";
  fs::copy_file(USER_SPEC_ITEM, dll / "UserSpecItem.dll");
  const std::string dllManager = station.ModelFile("DllManager.ini");
  CQRVBaseDlg window;
  window.resize(1000, 700);
  window.show();
  DynamicDlg& panel = *window.SitePanel();
  LoginThroughMenu(*window.MenuBar(), panel, 0, "");
  ASSERT_EQ(panel.GetLoginLevel(), 0u);
  ASSERT_EQ(panel.m_hHardware, nullptr) << "this station runs without the hardware library";
  CInterFace_SW& binder = *panel.m_pInterFaceSW;
  const auto saveImage = binder.OnSaveImageDC;

  const struct {
    const char* what;
    int command;
    std::function<void()> arrange;
  } cases[] = {
      {"MES: no library is ever loaded", kMes, [] {}},
      {"Hardware: the library is not loaded", kHardware, [] {}},
      {"Protocol: the library has no OnSpecDlg", kProtocol, [] {}},
      {"User Spec: the model names none", kUserSpec, [] {}},
      {"User Spec: the file is missing", kUserSpec,
       [&] { port::ini::WriteString(dllManager, "USER_SPEC_MENU", "name", "Missing.dll"); }},
      {"User Spec: the name leaves the Dll folder", kUserSpec,
       [&] { port::ini::WriteString(dllManager, "USER_SPEC_MENU", "name", "../Dll/UserSpecItem.dll"); }},
      {"About: the Operator's login", kAbout, [] {}},
      {"DC Save: the image library saves no pictures", kDcSave, [&] { binder.OnSaveImageDC = nullptr; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.arrange();
    QAction* command = window.MenuBar()->Action(c.command);
    ASSERT_TRUE(command->isEnabled()) << "the rights alone enable it";
    const std::set<QWidget*> windows = VisibleWindows();
    const std::string errorLog = PlatformErrorLogText(station.Root());
    const std::vector<std::string> protocolCalls = station.ProtocolCalls();
    port::ClearShownMessageBoxes();
    const qrv::test::ModalWatch dialog([](QDialog&) {});
    command->trigger();
    SitePanelStation::ProcessEvents();
    EXPECT_FALSE(dialog.Acted()) << "a dialog opened";
    EXPECT_TRUE(port::ShownMessageBoxes().empty()) << port::ShownMessageBoxes().front().text;
    EXPECT_EQ(VisibleWindows(), windows);
    EXPECT_EQ(PlatformErrorLogText(station.Root()), errorLog);
    EXPECT_EQ(station.ProtocolCalls(), protocolCalls);
  }
  binder.OnSaveImageDC = saveImage;
  EXPECT_FALSE(fs::exists(fs::path(station.Root()) / "Image capture" / "captureDC_0.jpg"));
  const ModuleHandle userSpec = port::LoadModule((dll / "UserSpecItem.dll").string());
  ASSERT_NE(userSpec, nullptr);
  EXPECT_EQ(port::FindFunction<int (*)()>(userSpec, "UserSpec_Created")(), 0) << "a library outside Dll was loaded";
  port::FreeModule(userSpec);
  window.RequestExit();
}

// The Operator may be given the about box's command, but only Maintenance and Engineer see the box.
TEST_F(MenusTest, TheAboutBoxOpensAboveTheOperatorLoginOnly) {
  port::ini::WriteString(ConfigFile(), "MENU_ENABLE", "OP_About", "1;1;");
  CQRVBaseDlg window;
  DynamicDlg& panel = *window.SitePanel();
  const std::pair<int, std::string> logins[] = {{0, ""}, {1, "1111"}, {2, "2222"}};
  for (const auto& [level, password] : logins) {
    LoginThroughMenu(*window.MenuBar(), panel, level, password);
    ASSERT_EQ(panel.LoginLevel(), level);
    bool aboutBox = false;
    const qrv::test::ModalWatch dialog([&aboutBox](QDialog& shown) { aboutBox = qobject_cast<CQRVAbout*>(&shown) != nullptr; });
    ASSERT_TRUE(window.MenuBar()->Action(kAbout)->isEnabled()) << level;
    window.MenuBar()->Action(kAbout)->trigger();
    EXPECT_EQ(aboutBox, level != 0) << level;
  }
}

// Image Fit: the zoom back to 100 on the panel and the views; Show ListBox brings up the list log.
// "Test Log Info" brings up the per-site "Test Log"; the single-list window of that name is never made.
TEST_F(MenusTest, TestLogInfoShowsThePerSiteTestLogAndMakesNoSingleListWindow) {
  CQRVBaseDlg window;
  DynamicDlg& panel = *window.SitePanel();
  window.MenuBar()->Action(kTestLogInfo)->trigger();
  SitePanelStation::ProcessEvents();
  ASSERT_NE(panel.TestLogWindow(), nullptr);
  EXPECT_TRUE(panel.TestLogWindow()->isVisible());
  for (QWidget* widget : QApplication::allWidgets())
    EXPECT_EQ(qobject_cast<TicTimeDlg*>(widget), nullptr) << "a TicTimeDlg was made";
}

TEST_F(MenusTest, ImageFitAndShowListBox) {
  CQRVBaseDlg window;
  DynamicDlg& panel = *window.SitePanel();
  window.SetViewZoom(150);
  panel.ShowZoom(150);
  window.MenuBar()->Action(kImageFit)->trigger();
  EXPECT_EQ(window.Zoom(), 100);
  EXPECT_EQ(panel.findChild<QLabel*>("1206")->text(), "100%");
  window.MenuBar()->Action(kShowListBox)->trigger();
  bool shown = false;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->inherits("CIntegratedLog") && top->isVisible()) shown = true;
  EXPECT_TRUE(shown);
}

// Screenshots of the main window with its menu bar and of every popup of both menu bars opened, as the
// station starts (an Engineer, nothing greyed); then every popup of the main menu bar as each login sees it.
TEST_F(MenusTest, EveryMenuOpened) {
  CQRVBaseDlg window;
  window.resize(1000, 700);
  window.show();
  DynamicDlg& panel = *window.SitePanel();
  qrv::test::SaveScreenshot(window, "menus_main_window");
  qrv::test::SaveScreenshot(panel, "menus_site_panel");
  const auto shootPopups = [](CommandMenuBar& bar, const std::string& prefix) {
    for (const MenuPopup& popup : bar.Popups()) {
      QMenu* menu = bar.Popup(popup.title);
      ASSERT_NE(menu, nullptr) << popup.title;
      menu->popup(bar.mapToGlobal(QPoint(0, bar.height())));
      SitePanelStation::ProcessEvents();
      EXPECT_TRUE(menu->isVisible()) << popup.title;
      qrv::test::SaveScreenshot(*menu, "menu_" + prefix + "_" + popup.rightsKey);
      menu->hide();
    }
  };
  shootPopups(*window.MenuBar(), "main");
  shootPopups(*panel.PanelMenuBar(), "panel");

  const struct {
    int level;
    const char* name;
    const char* password;
  } logins[] = {{0, "Operator", ""}, {1, "Maintenance", "1111"}, {2, "Engineer", "2222"}};
  for (const auto& login : logins) {
    LoginThroughMenu(*window.MenuBar(), panel, login.level, login.password);
    ASSERT_EQ(panel.LoginLevel(), login.level);
    ExpectRights(*window.MenuBar(), MainMenu(), login.level);
    shootPopups(*window.MenuBar(), std::string("main_") + login.name);
  }
}
