// What the screen-layout editor stores: the refusal of values it cannot use, the site panel docked beside
// the main window, and the fonts it writes for labels that have none.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ControllerIni.h"
#include "LayoutValueCheck.h"
#include "ProgramFolder.h"
#include "qrv_test/temp_dir.h"

namespace {

struct RectCase {
  const char* key;
  std::array<std::string, 4> cells;
  bool control;
  const char* refusal;  // part of the message; "" = accepted
};

TEST(LayoutValueCheckTest, RectanglesThatCannotPlaceAWindowAreRefusedWithTheCellNamed) {
  const RectCase cases[] = {
      {"START_BUTTON", {"405", "45", "500", "120"}, true, ""},
      {"START_BUTTON", {"0", "0", "0", "0"}, true, ""},
      {"START_BUTTON", {"4o5", "45", "500", "120"}, true, "START_BUTTON: Left must be a whole number"},
      {"START_BUTTON", {"405", "", "500", "120"}, true, "Top must be a whole number"},
      {"START_BUTTON", {"405", "45", "-500", "120"}, true, "Right must be a whole number from 0"},
      {"START_BUTTON", {"405", "45", "40000", "120"}, true, "Right must be a whole number from 0 to 32767"},
      {"START_BUTTON", {"405", "45", "99999999999999", "120"}, true, "Right must be a whole number"},
      {"START_BUTTON", {"405", "45", "400", "120"}, true, "Right must not be less than Left"},
      {"START_BUTTON", {"405", "45", "500", "40"}, true, "Bottom must not be less than Top"},
      {"VIEW_SIZE_SUB", {"5", "0", "405", "-40"}, false, ""},
      {"VIEW_SIZE_SUB", {"5", "0", "5", "-40"}, false, "site panel has no width"},
      {"VIEW_SIZE_SUB", {"5", "0", "abc", "-40"}, false, "Right must be a whole number from -32767"},
      {"LISTLOG_SIZE", {"-1", "-1", "0", "0"}, false, ""},
      {"LISTLOG_SIZE", {"-", "0", "0", "0"}, false, "Left must be a whole number"},
      {"VIEW_SIZE", {"x", "y", "", ""}, false, ""},
  };
  for (const RectCase& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.cells[0] + "." + c.cells[1] + "." + c.cells[2] + "." + c.cells[3]);
    const std::string message = c.control ? LayoutValueCheck::CheckControlRect(c.key, c.cells)
                                          : LayoutValueCheck::CheckWindowRect(c.key, c.cells);
    if (*c.refusal == '\0')
      EXPECT_EQ(message, "");
    else
      EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
  }
}

TEST(LayoutValueCheckTest, FontsNeedASizeColourBytesAndOnOffFlags) {
  struct Case {
    std::array<std::string, 9> cells;
    const char* refusal;
  };
  const Case cases[] = {
      {{"15", "242", "230", "97", "128", "65", "217", "1", "1"}, ""},
      {{"100", "0", "0", "0", "0", "0", "0", "0", "0"}, ""},
      {{"0", "0", "0", "0", "0", "0", "0", "0", "0"}, "ERROR_MSG: Size must be a whole number from 1 to 999"},
      {{"15", "256", "0", "0", "0", "0", "0", "0", "0"}, "R(B) must be a whole number from 0 to 255"},
      {{"15", "0", "0", "0", "0", "0", "300", "0", "0"}, "ERROR_MSG: B must be"},
      {{"15", "0", "0", "0", "0", "0", "0", "2", "0"}, "Italic must be a whole number from 0 to 1"},
      {{"15", "0", "0", "0", "0", "0", "0", "0", ""}, "Boader must be"},
      {{"15", "0", "0", "0", "-1", "0", "0", "0", "0"}, "R must be"},
  };
  for (const Case& c : cases) {
    const std::string message = LayoutValueCheck::CheckFont("ERROR_MSG", c.cells);
    if (*c.refusal == '\0')
      EXPECT_EQ(message, "");
    else
      EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
  }
}

TEST(ControllerIniEditTest, SitePanelDocksAtTheMainWindowsRightEdge) {
  const QrvRect panel = ControllerIni::DockedPanelRect(QrvRect{0, 0, 1200, 900}, QrvRect{5, 0, 405, -40});
  EXPECT_EQ(panel.left, 1205);
  EXPECT_EQ(panel.top, 0);
  EXPECT_EQ(panel.right - panel.left, 400);
  EXPECT_EQ(panel.bottom - panel.top, 860);
  const QrvRect moved = ControllerIni::DockedPanelRect(QrvRect{100, 50, 1380, 1010}, QrvRect{0, 10, 600, 0});
  EXPECT_EQ(moved.left, 1380);
  EXPECT_EQ(moved.top, 60);
  EXPECT_EQ(moved.bottom - moved.top, 960);
}

class DefaultFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramFolder::SetRoot(root.path());
    std::filesystem::create_directories(root.File("Config"));
    std::filesystem::create_directories(root.File("Ref/M"));
    std::ofstream(root.File("Config/QRV_Config.ini")) << "[QRV_Equip]\nModel_Name=M\n";
  }
  void TearDown() override { ProgramFolder::SetRoot({}); }
  std::string Controller() const {
    std::ifstream in(root.File("Ref/M/Controller.ini"));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  qrv::test::TempDir root;
};

TEST_F(DefaultFontTest, MissingFontsAreCreatedWithTheirDefaultsAndPresentOnesKept) {
  std::ofstream(root.File("Ref/M/Controller.ini")) << "[USER_INIT]\nUSER_MSG_FONT=30.1.2.3.4.5.6.0.0\n";
  for (const DefaultFont& font : ControllerIni::DefaultFonts())
    ControllerIni::WriteDefaultFont(font.label, font.size, font.back, font.text, font.italic, font.border);
  const std::string file = Controller();
  const char* expected[] = {"ERROR_MSG_FONT=19.0.0.0.255.0.0.0.0",
                            "INFORMATION_MSG_FONT=15.242.230.97.128.65.217.1.1",
                            "USER_MSG_FONT=30.1.2.3.4.5.6.0.0",
                            "FIRMWARE_VERSION_FONT=15.0.216.255.0.0.0.1.1",
                            "ITEM_VERSION_FONT=15.242.150.97.0.0.255.1.1",
                            "AVERAGE_DLL_H_FONT=20.0.0.0.35.150.230.0.0",
                            "AVERAGE_THREAD_A_FONT=20.0.0.0.35.150.230.0.0",
                            "TIME_COUNTER_E_FONT=20.0.0.0.35.150.230.0.0",
                            "SITE_DRAW_FONT=50.0.0.0.35.150.230.0.0",
                            "RESULT_MSG_FONT=100.0.0.0.0.0.0.0.0",
                            "RESULT_DESC_MSG_FONT=100.0.0.0.0.0.0.0.0"};
  for (const char* line : expected) EXPECT_NE(file.find(line), std::string::npos) << line << "\n" << file;
  EXPECT_EQ(ControllerIni::DefaultFonts().front().label, std::string("ERROR_MSG"));
  EXPECT_EQ(ControllerIni::DefaultFonts().back().label, std::string("RESULT_DESC_MSG"));
}

}  // namespace
