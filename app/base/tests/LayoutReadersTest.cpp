#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ModelSettings.h"
#include "ProgramFolder.h"
#include "ControllerIni.h"
#include "qrv_test/temp_dir.h"

namespace {

class LayoutReadersTest : public ::testing::Test {
 protected:
  void SetUp() override { ProgramFolder::SetRoot(root.path()); }
  void TearDown() override { ProgramFolder::SetRoot({}); }

  void UseModel(const std::string& controller) {
    std::filesystem::create_directories(root.File("Config"));
    std::filesystem::create_directories(root.File("Ref/M1"));
    std::ofstream(root.File("Config/QRV_Config.ini")) << "[QRV_Equip]\nModel_Name=M1\n";
    std::ofstream(root.File("Ref/M1/Controller.ini")) << controller;
  }
  qrv::test::TempDir root;
};

TEST_F(LayoutReadersTest, WithoutSettingsTheModelIsNullAndDefaultsApply) {
  EXPECT_EQ(ModelSettings::ReadModelName(), "NULL");
  EXPECT_EQ(ControllerIni::GetControllerIniPath(), "Ref/NULL/Controller.ini");
  EXPECT_EQ(ControllerIni::ReadWindowLevel(), -1);
  EXPECT_EQ(ControllerIni::ReadUserInterfaceValue("ZOOM_SLIDER"), 0);
  EXPECT_EQ(ControllerIni::ReadFontSetting("USER_INIT", "ERROR_MSG", "FontSize"), "10");
  EXPECT_EQ(ControllerIni::ReadFontSetting("USER_INIT", "ERROR_MSG", "R"), "");
}

TEST_F(LayoutReadersTest, ReadsTheCurrentModelsControllerFile) {
  UseModel(
      "[USER_INTERFACE]\nZOOM_SLIDER=1.5.155.500.180\nSTOP_BUTTON=0.10.20.110.70\nLOT_BUTTON=-1.0.0.0.0\n"
      "[USER_INIT]\nINFORMATION_MSG_FONT=15.242.230.97.128.65.217.1.1\n"
      "[USER_INTERFACE_WINDOW_LEV]\nLEV=3\n");
  EXPECT_EQ(ModelSettings::ReadModelName(), "M1");
  EXPECT_EQ(ControllerIni::GetControllerIniPath(), "Ref/M1/Controller.ini");
  EXPECT_EQ(ControllerIni::ReadWindowLevel(), 3);
  EXPECT_EQ(ControllerIni::ReadUserInterfaceValue("ZOOM_SLIDER"), 1);
  EXPECT_EQ(ControllerIni::ReadUserInterfaceValue("STOP_BUTTON"), 0);
  EXPECT_EQ(ControllerIni::ReadUserInterfaceValue("LOT_BUTTON"), -1);

  struct Case {
    const char* field;
    const char* expected;
  };
  const Case cases[] = {{"FontSize", "15"}, {"R(B)", "242"}, {"G(B)", "230"}, {"B(B)", "97"},  {"R", "128"},
                        {"G", "65"},        {"B", "217"},    {"ITALIC", "1"}, {"BOADER", "1"}, {"other", "15"}};
  for (const auto& c : cases) {
    EXPECT_EQ(ControllerIni::ReadFontSetting("USER_INIT", "INFORMATION_MSG", c.field), c.expected) << c.field;
  }
  EXPECT_EQ(ControllerIni::ReadFontSetting("USER_INTERFACE", "INFORMATION_MSG", "FontSize"), "10");
}

}  // namespace
