// The test modes: the dialog shows and saves what the station holds, silently refuses a save while a site
// tests, and Aging mode repeats a Start the configured number of times until STOP ends it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <filesystem>
#include <fstream>

#include "CommandMenuBar.h"
#include "MenusTestSupport.h"
#include "QRVBaseDlg.h"
#include "SitePanelFixture.h"
#include "TestModeDlg.h"
#include "TestRunFixture.h"
#include "port/ini.h"
#include "port/message_box.h"
#include "qrv_test/file_text.h"
#include "qrv_test/scoped_env.h"
#include "qrv_test/temp_dir.h"
#include "qrv_test/screenshot.h"

namespace {

using menus_test::Click;
using menus_test::WhenModal;

class TestModeTest : public ::testing::Test {
 protected:
  TestModeTest() : station("2", "2") {
    station.RegisterItems(2, {"TestItemA.dll"});
    port::ini::WriteString(TestModeIni(), "TestMode", "OverrideMode", "1");
    port::ini::WriteString(TestModeIni(), "TestMode", "SimulationPath", "D:\\SIM");
  }
  std::string TestModeIni() const { return station.ModelFile("TestMode.ini"); }
  std::string Stored(const char* key) const {
    return port::ini::ReadString(TestModeIni(), "TestMode", key, "<missing>");
  }

  // Chooses the run mode and count in the dialog and saves.
  static void SetMode(TestModeDlg& dialog, bool aging, int count) {
    dialog.findChild<QRadioButton*>(aging ? "1026" : "1025")->click();
    dialog.findChild<QLineEdit*>("1034")->setText(QString::number(count));
    Click(dialog, "1");
  }

  SitePanelStation station;
};

}  // namespace

TEST_F(TestModeTest, TheDialogShowsTheStoredValuesAndSavesWhatWasEdited) {
  CQRVBaseDlg window;
  DynamicDlg& panel = *window.SitePanel();
  ASSERT_EQ(panel.GetOverridemode(), 1u) << "read from TestMode.ini at start";
  ASSERT_EQ(panel.GetSimulationPath(), "D:\\SIM");

  WhenModal<TestModeDlg>([](TestModeDlg& dialog) {
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("1025")->isChecked());
    EXPECT_FALSE(dialog.findChild<QLineEdit*>("1034")->isEnabled()) << "Auto mode has no count";
    EXPECT_EQ(dialog.findChild<QLineEdit*>("1034")->text(), "1");
    EXPECT_TRUE(dialog.findChild<QCheckBox*>("1121")->isChecked());
    EXPECT_FALSE(dialog.findChild<QCheckBox*>("1133")->isChecked());
    EXPECT_EQ(dialog.findChild<QLineEdit*>("1035")->text(), "D:\\SIM");
    EXPECT_FALSE(dialog.findChild<QWidget*>("1016")->isEnabled()) << "browse waits for Simulation Mode";
    dialog.findChild<QRadioButton*>("1026")->click();
    EXPECT_TRUE(dialog.findChild<QLineEdit*>("1034")->isEnabled());
    dialog.findChild<QCheckBox*>("1133")->click();
    EXPECT_TRUE(dialog.findChild<QWidget*>("1016")->isEnabled());
    dialog.findChild<QCheckBox*>("1121")->click();
    dialog.findChild<QLineEdit*>("1034")->setText("5");
    qrv::test::SaveScreenshot(dialog, "test_mode_dialog");
    Click(dialog, "1");
  });
  window.MenuBar()->Action(menu_table::kTestMode)->trigger();
  EXPECT_EQ(panel.RepeatMode(), 1);
  EXPECT_EQ(panel.RepeatCount(), 5u);
  EXPECT_EQ(panel.GetOverridemode(), 0u);
  EXPECT_EQ(panel.GetSimulationMode(), 1u);
  EXPECT_EQ(Stored("OverrideMode"), "0");
  EXPECT_EQ(Stored("SimulationPath"), "D:\\SIM");

  // The dialog opens again on what the station now holds; Close after changing everything keeps it.
  WhenModal<TestModeDlg>([](TestModeDlg& dialog) {
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("1026")->isChecked());
    EXPECT_EQ(dialog.findChild<QLineEdit*>("1034")->text(), "5");
    EXPECT_TRUE(dialog.findChild<QCheckBox*>("1133")->isChecked());
    dialog.findChild<QRadioButton*>("1025")->click();
    dialog.findChild<QCheckBox*>("1121")->click();
    Click(dialog, "2");
  });
  window.MenuBar()->Action(menu_table::kTestMode)->trigger();
  EXPECT_EQ(panel.RepeatMode(), 1);
  EXPECT_EQ(panel.RepeatCount(), 5u);
  EXPECT_EQ(panel.GetOverridemode(), 0u);
  EXPECT_EQ(Stored("OverrideMode"), "0");
}

// A Start in Aging mode runs the sites again each time none runs, until the tab's site has run the count.
TEST_F(TestModeTest, AgingRepeatsAStartTheConfiguredNumberOfTimesAndStopEndsIt) {
  CQRVBaseDlg window;
  DynamicDlg& panel = *window.SitePanel();
  const TestItemControl item(station.Root() + "/Dll/TestItemA.dll");
  WhenModal<TestModeDlg>([](TestModeDlg& dialog) { SetMode(dialog, true, 3); });
  window.MenuBar()->Action(menu_table::kTestMode)->trigger();
  ASSERT_EQ(panel.RepeatMode(), 1);

  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 6; }));
  // The repeat has ended: no fourth run comes.
  SitePanelStation::ProcessEvents();
  station.WaitFor([] { return false; }, std::chrono::milliseconds(300));
  EXPECT_EQ(station.CountCalls("SendStatus"), 6);
  EXPECT_EQ(item.Calls(0), 3);
  EXPECT_EQ(item.Calls(1), 3);

  // A long repeat: STOP during a run ends it, and no run starts after.
  WhenModal<TestModeDlg>([](TestModeDlg& dialog) { SetMode(dialog, true, 50); });
  window.MenuBar()->Action(menu_table::kTestMode)->trigger();
  item.SetDelayMs(100);
  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return item.Calls(0) >= 5; }));
  panel.StopButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return panel.IsAnySiteRunning() == 0; }));
  // A start handed to a site just before the STOP may still run once; after it the repeat has ended.
  station.WaitFor([] { return false; }, std::chrono::milliseconds(300));
  ASSERT_TRUE(station.WaitFor([&] { return panel.IsAnySiteRunning() == 0; }));
  const int calls = item.Calls(0);
  station.WaitFor([] { return false; }, std::chrono::milliseconds(500));
  EXPECT_EQ(item.Calls(0), calls) << "no run after STOP";
  EXPECT_LT(calls, 3 + 50);

  // Auto mode again: one Start, one run.
  item.SetDelayMs(0);
  WhenModal<TestModeDlg>([](TestModeDlg& dialog) { SetMode(dialog, false, 50); });
  window.MenuBar()->Action(menu_table::kTestMode)->trigger();
  const int before = item.Calls(1);
  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return item.Calls(1) == before + 1 && panel.IsAnySiteRunning() == 0; }));
  station.WaitFor([] { return false; }, std::chrono::milliseconds(300));
  EXPECT_EQ(item.Calls(1), before + 1);
}

// A Save while a site tests does nothing at all: no box, no file change, nothing applied, the dialog open.
TEST_F(TestModeTest, ASaveWhileASiteTestsIsRefusedSilentlyAndChangesNothing) {
  CQRVBaseDlg window;
  DynamicDlg& panel = *window.SitePanel();
  const TestItemControl item(station.Root() + "/Dll/TestItemA.dll");
  item.SetDelayMs(3000);
  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return panel.Model(0)->Label() == "Testing..."; }));
  port::ClearShownMessageBoxes();
  const std::string before = qrv::test::ReadFile(TestModeIni());
  WhenModal<TestModeDlg>([](TestModeDlg& dialog) {
    dialog.findChild<QCheckBox*>("1121")->click();
    dialog.findChild<QCheckBox*>("1133")->click();
    SetMode(dialog, true, 4);
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("1034")->text(), "4") << "what was typed stays";
    EXPECT_FALSE(dialog.findChild<QCheckBox*>("1121")->isChecked());
    qrv::test::SaveScreenshot(dialog, "test_mode_dialog_save_refused");
  });
  window.MenuBar()->Action(menu_table::kTestMode)->trigger();
  item.SetDelayMs(0);
  EXPECT_TRUE(port::ShownMessageBoxes().empty()) << port::ShownMessageBoxes().front().text;
  EXPECT_EQ(qrv::test::ReadFile(TestModeIni()), before);
  EXPECT_EQ(panel.RepeatMode(), 0);
  EXPECT_EQ(panel.RepeatCount(), 1u);
  EXPECT_EQ(panel.GetOverridemode(), 1u);
  EXPECT_EQ(panel.GetSimulationMode(), 0u);
}

// OPEN hands the desktop the folder that the stored path names on this station (D:\SIM under the drive root);
// while that folder is missing it opens nothing and says nothing.
TEST_F(TestModeTest, OpenShowsTheStoredFolderAndIsSilentWhileItIsMissing) {
  namespace fs = std::filesystem;
  qrv::test::TempDir bin;
  const std::string opened = bin.File("opened.txt");
  std::ofstream(bin.File("xdg-open")) << "#!/bin/sh\necho \"$@\" >> '" << opened << "'\n";
  fs::permissions(bin.File("xdg-open"), fs::perms::owner_all);
  // Only the recording opener is on the path: no real program is started.
  const qrv::test::ScopedEnv path("PATH", bin.path());
  qrv::test::TempDir drives;
  const qrv::test::ScopedEnv driveRoot("QRV_DRIVE_ROOT", drives.path());
  CQRVBaseDlg window;
  const auto openAndClose = [&] {
    WhenModal<TestModeDlg>([](TestModeDlg& dialog) {
      Click(dialog, "1017");
      Click(dialog, "2");
    });
    window.MenuBar()->Action(menu_table::kTestMode)->trigger();
  };

  port::ClearShownMessageBoxes();
  openAndClose();
  EXPECT_TRUE(port::ShownMessageBoxes().empty()) << port::ShownMessageBoxes().front().text;
  EXPECT_FALSE(fs::exists(fs::path(drives.path()) / "d" / "SIM")) << "nothing is created";

  fs::create_directories(fs::path(drives.path()) / "d" / "SIM");
  openAndClose();
  EXPECT_TRUE(station.WaitFor([&] {
    return qrv::test::ReadFile(opened).find("file://" + drives.path() + "/d/SIM") != std::string::npos;
  })) << qrv::test::ReadFile(opened);
  EXPECT_EQ(Stored("SimulationPath"), "D:\\SIM") << "the stored path stays as the model has it";
}
