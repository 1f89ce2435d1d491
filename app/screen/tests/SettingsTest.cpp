#include <gtest/gtest.h>

#include <filesystem>

#include "ControllerIni.h"
#include "ModelSettings.h"
#include "SiteNames.h"
#include "GridCtrl.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"
#include "UISubTabDlg.h"

namespace {

using qrv::test::StationFolder;

TEST(ModelSettingsTest, MissingFilesAndKeysGiveTheirDefaults) {
  StationFolder station;
  std::filesystem::remove(station.Path("Config/QRV_Config.ini"));
  EXPECT_EQ(ModelSettings::ReadModelName(), "NULL");
  EXPECT_EQ(ModelSettings::GetConfigIniPath(), "Ref/NULL/Config.ini");
  EXPECT_EQ(ModelSettings::ReadLineName(), "0");
  EXPECT_EQ(ModelSettings::ReadMachineName(), "0");
  EXPECT_EQ(ModelSettings::ReadSiteCount(), 1);
  EXPECT_EQ(ModelSettings::ReadSiteCount(-1), -1);
  EXPECT_EQ(ModelSettings::ReadPara(), 1);
  EXPECT_EQ(ModelSettings::ReadDraw(), 0);
  EXPECT_EQ(ModelSettings::ReadUserMsg(), "");
  EXPECT_EQ(ModelSettings::ReadLotNumber(), "0");
}

TEST(ModelSettingsTest, PresentValuesAreReadAsStored) {
  StationFolder station;
  station.Write("Ref/M/Config.ini",
                "[SITE]\r\nsite=abc\r\n[PARA]\r\npara=3\r\n[DRAW]\r\ndraw=5\r\n"
                "[LOG]\r\nLineName=\r\nMachineName=MC\r\nUserMsg=hello\r\nListLog_SubName=S1\r\n");
  EXPECT_EQ(ModelSettings::ReadSiteCount(), 0) << "not a number reads 0";
  EXPECT_EQ(ModelSettings::ReadPara(), 3);
  EXPECT_EQ(ModelSettings::ReadDraw(), 5);
  EXPECT_EQ(ModelSettings::ReadLineName(), "") << "present but empty is not missing";
  EXPECT_EQ(ModelSettings::ReadMachineName(), "MC");
  EXPECT_EQ(ModelSettings::ReadUserMsg(), "hello");
  EXPECT_EQ(ModelSettings::ReadListLogSubName(), "S1");

  ModelSettings::WriteLotNumber("LOT-9");
  EXPECT_EQ(ModelSettings::ReadLotNumber(), "LOT-9");
}

TEST(ModelSettingsTest, ListLogFolderDefaultsToTheStationAndResolvesStoredPaths) {
  StationFolder station;
  EXPECT_EQ(ModelSettings::GetListLogFolder(), station.Path("Log/ListLog"));
  station.Write("Ref/M/Config.ini", "[LOG]\r\nListLog=" + station.Path("Logs") + "/\r\n");
  EXPECT_EQ(ModelSettings::GetListLogFolder(), station.Path("Logs"));
  station.Write("Ref/M/Config.ini", "[LOG]\r\nListLog=Logs\\Lists\r\n");
  EXPECT_EQ(ModelSettings::GetListLogFolder(), station.Path("Logs/Lists"));
}

TEST(ModelSettingsTest, ModelsAreTheFoldersUnderRefButTheTemplate) {
  StationFolder station;
  for (const char* folder : {"Ref/beta", "Ref/Alpha", "Ref/Init_Model"}) {
    std::filesystem::create_directories(station.Path(folder));
  }
  station.Write("Ref/file.ini", "");
  EXPECT_EQ(ModelSettings::ListModels(), (std::vector<std::string>{"Alpha", "beta", "M"}));
}

TEST(SiteNamesTest, NamesFollowTheSiteCountAndDefaultToMinusOne) {
  StationFolder station;
  EXPECT_TRUE(SiteNames::ReadAll().empty()) << "no [SITE] site lists no site";

  station.Write("Ref/M/Config.ini", "[SITE]\r\nsite=2\r\n[SITE_NAME]\r\n5=KEEP\r\n");
  EXPECT_EQ(SiteNames::ReadAll(), (std::vector<std::string>{"-1", "-1"}));
  SiteNames::SaveAll({"LINE-A", "-1"});
  EXPECT_EQ(SiteNames::ReadSiteName(0), "LINE-A");
  EXPECT_EQ(SiteNames::ReadSiteName(1), "-1");
  EXPECT_EQ(SiteNames::ReadSiteName(5), "KEEP") << "sites beyond the count are left alone";
  EXPECT_NE(station.Read("Ref/M/Config.ini").find("1=-1"), std::string::npos);
}

TEST(SiteNamesTest, TheTabSettingTableEditsAndSavesTheNames) {
  qrv::test::TestApplication();
  StationFolder station;
  station.Write("Ref/M/Config.ini", "[SITE]\r\nsite=2\r\n");
  UISubTabDlg dialog;
  CGridCtrl* list = dialog.List();
  ASSERT_EQ(list->GetItemCount(), 2);
  EXPECT_EQ(list->GetItemText(1, 0), "1");
  EXPECT_EQ(list->GetItemText(1, 1), "-1");

  dialog.OnDoubleClick(0, 0);
  EXPECT_EQ(list->GetEditor(), nullptr) << "only the Value column is edited";
  dialog.OnDoubleClick(0, 1);
  ASSERT_NE(list->GetEditor(), nullptr);
  list->GetEditor()->setText("LINE-A");
  dialog.OnSave();
  EXPECT_EQ(SiteNames::ReadSiteName(0), "LINE-A");
  EXPECT_EQ(SiteNames::ReadSiteName(1), "-1");
  EXPECT_FALSE(qrv::test::SaveScreenshot(dialog, "tab_setting").empty());
}

struct RectCase {
  const char* value;
  int shown;
  QrvRect rect;
};

TEST(ControllerIniTest, RectanglesParseByFieldsWithMissingFieldsZero) {
  const RectCase cases[] = {
      {"1.10.20.110.70", 1, {10, 20, 110, 70}}, {"0.10.20.110.70", 0, {10, 20, 110, 70}},
      {"1.10.20", 1, {10, 20, 0, 0}},           {"0", 0, {0, 0, 0, 0}},
      {"-1", 1, {0, 0, 0, 0}},                  {"abc.1.2.3.4", 0, {1, 2, 3, 4}},
      {"1.5.0.405.-40", 1, {5, 0, 405, -40}},   {"", 0, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const ControlPlacement placement = ControllerIni::ParsePlacement(c.value);
    EXPECT_EQ(placement.shown, c.shown);
    EXPECT_EQ(placement.rect.left, c.rect.left);
    EXPECT_EQ(placement.rect.top, c.rect.top);
    EXPECT_EQ(placement.rect.right, c.rect.right);
    EXPECT_EQ(placement.rect.bottom, c.rect.bottom);
  }
}

TEST(ControllerIniTest, WrittenRectanglesAreShownAndReadBack) {
  StationFolder station;
  ControllerIni::WriteRect("USER_INTERFACE", "VIEW_SIZE", QrvRect{0, 0, 1200, 900});
  ControllerIni::WriteRect("USER_INIT", "DLL_LIST_A", QrvRect{-5, 20, 110, 70});
  const std::string file = station.Read("Ref/M/Controller.ini");
  EXPECT_NE(file.find("VIEW_SIZE=1.0.0.1200.900"), std::string::npos) << file;
  EXPECT_NE(file.find("DLL_LIST_A=1.-5.20.110.70"), std::string::npos) << file;

  const QrvRect view = ControllerIni::ReadControlRect("VIEW_SIZE");
  EXPECT_EQ(view.right, 1200);
  EXPECT_EQ(view.bottom, 900);
  const ControlPlacement list = ControllerIni::ReadControlPlacement("DLL_LIST_A");
  EXPECT_EQ(list.shown, 0) << "written to [USER_INIT], not to the working layout";
  const QrvRect userList = ControllerIni::ReadRect("USER_INIT", "DLL_LIST_A");
  EXPECT_EQ(userList.left, -5);
  EXPECT_EQ(userList.bottom, 70);
}

TEST(ControllerIniTest, FontsControlListWindowLevelAndErrorListStandard) {
  StationFolder station;
  station.Write("Ref/M/Controller.ini",
                "[USER_INIT]\r\nINFORMATION_MSG_FONT=15.242.230.97.128.65.217.1.1\r\n"
                "[CONTROLLER]\r\nCount=2\r\n0=TAB_CTRL\r\n");
  const FontSetting info = ControllerIni::ReadFont("USER_INIT", "INFORMATION_MSG");
  EXPECT_EQ(info.size, 15);
  EXPECT_EQ(info.backRed, 242);
  EXPECT_EQ(info.backBlue, 97);
  EXPECT_EQ(info.red, 128);
  EXPECT_EQ(info.blue, 217);
  EXPECT_EQ(info.italic, 1);
  EXPECT_EQ(info.border, 1);
  const FontSetting missing = ControllerIni::ReadFont("USER_INIT", "ERROR_MSG");
  EXPECT_EQ(missing.size, 10);
  EXPECT_EQ(missing.red + missing.italic + missing.border, 0);

  EXPECT_EQ(ControllerIni::ReadControlCount(), 2);
  EXPECT_EQ(ControllerIni::ReadControlName(0), "TAB_CTRL");
  EXPECT_EQ(ControllerIni::ReadControlName(1), "0");

  ControllerIni::WriteWindowLevel(3);
  EXPECT_NE(station.Read("Ref/M/Controller.ini").find("LEV=3"), std::string::npos);

  EXPECT_EQ(ControllerIni::ReadErrorListStandard(), 0);
  ControllerIni::WriteErrorListStandard(1);
  EXPECT_EQ(ControllerIni::ReadErrorListStandard(), 1);
  EXPECT_TRUE(station.Exists("Ref/MController.ini")) << "the standard lives beside the model folder";
}

}  // namespace
