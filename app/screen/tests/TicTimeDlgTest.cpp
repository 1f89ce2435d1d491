// "Test Log Info": the single-list test log shows each item's timing, keeps the file to its header and end
// blocks, and reports a file it cannot write.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "GridCtrl.h"
#include "PlatformErrorLog.h"
#include "TicTimeDlg.h"
#include "port/clock.h"
#include "port/text.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"

namespace {

using qrv::test::StationFolder;

ItemRow Row(const char* item, const char* code, const char* result, const char* message, const char* tact,
            const char* dll) {
  ItemRow row;
  row.item = item;
  row.code = code;
  row.result = result;
  row.errorMsg = message;
  row.tact = tact;
  row.dllName = dll;
  return row;
}

std::string Today(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm when{};
  localtime_r(&now, &when);
  return port::Format(format, when.tm_year + 1900, when.tm_mon + 1, when.tm_mday);
}

}  // namespace

// An item adds its timing row to the grid only; the file, checked for each item, gets the header and then the
// end blocks, and the item time is back at 0 after every item whose check found the file.
TEST(TicTimeDlgTest, ItemsShowTheirTimingAndTheFileHoldsTheHeaderAndEndBlocks) {
  qrv::test::TestApplication();
  StationFolder station;
  station.Write("Ref/M/Config.ini",
                "[LOG]\r\nLineName=LINE_7\r\nMachineName=M_3\r\nListLog=Logs\r\n[LOT_NUMBER]\r\nnumber=L001\r\n");
  TicTimeDlg dialog;
  dialog.show();
  ASSERT_TRUE(dialog.SetLogHeader());
  EXPECT_EQ(dialog.Path(), station.Path(Today("Logs/Log/PlatformLog/%04d/%02d/") + Today("%04d_%02d_%02d") +
                                        "_L001.csv"));
  ASSERT_TRUE(dialog.SetLogBody(4, 1, Row("Focus", "0", "PASS", "Focus OK", "100", "Focus.dll")));
  EXPECT_EQ(dialog.ItemTimeMs(), 0);
  ASSERT_TRUE(dialog.SetLogBody(5, 3, Row("Current", "0", "PASS", "Current OK", "200", "Current.dll")));
  ASSERT_TRUE(dialog.SetLogBody(6, 2, Row("Dark", "5", "FAIL", "Dark, hot pixel", "300", "Dark.dll")));
  EXPECT_EQ(dialog.ItemTimeMs(), 0);
  ASSERT_TRUE(dialog.SetLogEnd("12", 205, "Dark, hot pixel", false));

  EXPECT_EQ(qrv::test::ReadFile(dialog.Path()),
            "Line Name - LINE_7\r\nMachine Name - M_3\r\n\r\n"
            ", Index, Item name, Code, Result, Msg, reTryCount, Time(ms), Dll Name\r\n"
            " 12, Total Time ,0 ms\r\n, Result Handler Code, 205\r\n, MSG, Dark, hot pixel\r\n, Result, FAIL "
            "\r\n\r\n\r\n\r\n");

  const CGridCtrl& grid = *dialog.Grid();
  ASSERT_EQ(grid.GetItemCount(), 8);
  const QStringList second = {"1", "1", "0", "PASS", "Current OK", "3", "200", "200"};
  for (int column = 1; column <= 8; ++column) EXPECT_EQ(grid.GetItemText(1, column), second[column - 1]) << column;
  EXPECT_EQ(grid.GetItemText(2, 5), "Dark, hot pixel");
  EXPECT_EQ(grid.GetItemText(4, 1), "Total Time");
  EXPECT_EQ(grid.GetItemText(4, 2), "0 ms");
  EXPECT_EQ(grid.GetItemText(5, 2), "205");
  EXPECT_EQ(grid.GetItemText(7, 2), "FAIL");
  qrv::test::SaveScreenshot(dialog, "test_log_info");

  // A second test of the day and lot goes on in the same file, after one header; an item that finds the file
  // gone starts it again with its header.
  ASSERT_TRUE(dialog.SetLogHeader());
  dialog.ClearLog();
  EXPECT_EQ(grid.GetItemCount(), 0);
  std::filesystem::remove(dialog.Path());
  ASSERT_TRUE(dialog.SetLogBody(0, 1, Row("Focus", "0", "PASS", "Focus OK", "40", "Focus.dll")));
  ASSERT_TRUE(dialog.SetLogEnd("13", 0, "PASS", true));
  EXPECT_EQ(qrv::test::ReadFile(dialog.Path()),
            "Line Name - LINE_7\r\nMachine Name - M_3\r\n\r\n"
            ", Index, Item name, Code, Result, Msg, reTryCount, Time(ms), Dll Name\r\n"
            " 13, Total Time ,0 ms\r\n, Result Handler Code, 0\r\n, MSG, PASS\r\n, Result, PASS \r\n\r\n\r\n\r\n");
}

TEST(TicTimeDlgTest, FileThatCannotBeWrittenIsReportedAndKeepsTheItemTime) {
  qrv::test::TestApplication();
  StationFolder station;
  station.Write("blocked", "a file where the log folder should be");
  station.Write("Ref/M/Config.ini", "[LOG]\r\nListLog=blocked\r\n");
  TicTimeDlg dialog;
  EXPECT_FALSE(dialog.SetLogHeader());
  EXPECT_FALSE(dialog.SetLogBody(0, 1, Row("Focus", "0", "PASS", "Focus OK", "100", "Focus.dll")));
  EXPECT_EQ(dialog.Grid()->GetItemCount(), 1) << "the grid shows the row anyway";
  EXPECT_EQ(dialog.ItemTimeMs(), 100) << "a file that did not open does not lose the time";
  EXPECT_FALSE(dialog.SetLogEnd("1", 0, "PASS", true));
  EXPECT_EQ(dialog.Grid()->GetItemText(2, 2), "100 ms");
  const std::string errors = station.Read(
      "System/PlatformErrorLog/" +
      std::filesystem::path(platform_error_log::GetErrorLogPath(port::clock::NowLocal())).filename().string());
  EXPECT_NE(errors.find("TicTimeDlg::SetLogHeader [Line:"), std::string::npos) << errors;
  EXPECT_NE(errors.find("ERROR : Test log file create fail"), std::string::npos);
  EXPECT_NE(errors.find("TicTimeDlg::SetLogBody [Line:"), std::string::npos);
  EXPECT_NE(errors.find("ERROR : Ploatform Log Body fail"), std::string::npos);
  EXPECT_NE(errors.find("TicTimeDlg::SetLogEnd [Line:"), std::string::npos);
  EXPECT_NE(errors.find("ERROR : Ploatform Log End ReadWrite fail"), std::string::npos);
}
