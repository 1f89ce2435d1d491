// What the screen-layout editor stores and the screen reads back: values beyond any screen held in bounds,
// the site panel docked beside the main window, and the fonts it writes for labels that have none.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ControllerIni.h"
#include "ProgramFolder.h"
#include "qrv_test/temp_dir.h"

namespace {

// A layout value stored beyond any screen, by the editor or by hand, is read back within bounds; values a
// screen can use are read as they are, and colours are left for the drawing to take modulo 256.
TEST(ControllerIniEditTest, StoredRectanglesAndFontSizesAreReadWithinBounds) {
  constexpr int kMax = ControllerIni::kMaxCoordinate;
  const struct {
    const char* value;
    QrvRect rect;
  } rects[] = {
      {"1.405.45.500.120", {405, 45, 500, 120}},
      {"1.5.0.405.-40", {5, 0, 405, -40}},
      {"1.-99999999999.-40000.900000.2147483647", {-kMax, -kMax, kMax, kMax}},
      {"0.abc...", {0, 0, 0, 0}},
  };
  for (const auto& c : rects) {
    SCOPED_TRACE(c.value);
    const QrvRect r = ControllerIni::ParseRect(c.value);
    EXPECT_EQ(r.left, c.rect.left);
    EXPECT_EQ(r.top, c.rect.top);
    EXPECT_EQ(r.right, c.rect.right);
    EXPECT_EQ(r.bottom, c.rect.bottom);
  }
  // The site panel of the farthest stored values is docked without the sums running out of int.
  const QrvRect far = ControllerIni::ParseRect("1.99999999999.0.99999999999.99999999999");
  const QrvRect docked = ControllerIni::DockedPanelRect(far, far);
  EXPECT_EQ(docked.left, 2 * kMax);
  EXPECT_EQ(docked.bottom - docked.top, 2 * kMax);

  const struct {
    const char* value;
    int size;
  } fonts[] = {{"15.242.230.97.128.65.217.1.1", 15}, {"0", 0}, {"99999999999", ControllerIni::kMaxFontSize},
               {"-99999999999", -ControllerIni::kMaxFontSize}};
  for (const auto& c : fonts) EXPECT_EQ(FontSetting::Parse(c.value).size, c.size) << c.value;
  EXPECT_EQ(FontSetting::Parse("15.300.0.0.256.0.0.0.0").backRed, 300);
  EXPECT_EQ(FontSetting::Parse("15.300.0.0.256.0.0.0.0").red, 256);
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
