#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QListView>
#include <QListWidget>
#include <QTabBar>
#include <cctype>
#include <set>
#include <thread>
#include <vector>

#include "IntegratedLog.h"
#include "LogFile.h"
#include "PlatformLog.h"
#include "QRV_PlatformMemory.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"
#include "port/clock.h"
#include "port/text.h"

namespace {

using port::clock::LocalTime;
using qrv::test::ProcessEventsUntil;
using qrv::test::StationFolder;
using qrv::test::TestApplication;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "the file ends with a whole line";
  return lines;
}

// "<id> <filler>" with the id "T<n> L<n>": the id, or empty when the rest is not exactly that.
std::string IdBeforeFiller(const std::string& rest, const std::string& filler) {
  const std::size_t blank = rest.find(' ', rest.find(' ') + 1);
  if (blank == std::string::npos || rest.compare(blank + 1, std::string::npos, filler) != 0) return {};
  return rest.substr(0, blank);
}

// "[YYYY/MM/DD hh:mm:ss:mmm] <id> <filler>"
std::string ListLineId(const std::string& line, const std::string& filler) {
  static const std::string stamp = "[dddd/dd/dd dd:dd:dd:ddd] ";
  if (line.size() < stamp.size()) return {};
  for (std::size_t i = 0; i < stamp.size(); ++i) {
    const bool ok = stamp[i] == 'd' ? std::isdigit(static_cast<unsigned char>(line[i])) != 0 : line[i] == stamp[i];
    if (!ok) return {};
  }
  return IdBeforeFiller(line.substr(stamp.size()), filler);
}

// The lines site `site`'s list shows.
int Rows(const CIntegratedLog& log, int site) { return log.List(site)->model()->rowCount(); }

std::string ErrorLogFile(const StationFolder& station) {
  return station.Read("System/PlatformErrorLog/" +
                      std::filesystem::path(platform_error_log::GetErrorLogPath(port::clock::NowLocal()))
                          .filename()
                          .string());
}

class ListLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    record.m_nSiteCount = 2;
  }
  std::string ListLogFile(int site, const LocalTime& day, const std::string& sub = "") const {
    return CIntegratedLog::GetListLogPath(station.Path("Log/ListLog"), site, day, sub);
  }

  StationFolder station;
  CQRV_LoadMemory record;
};

TEST_F(ListLogTest, EightThreadsLogAtOnceAndEveryLineLandsWhole) {
  station.Write("Ref/M/Config.ini", "[LOG]\r\nLineName=L1\r\n");
  CIntegratedLog log(&record);
  constexpr int kThreads = 8;
  constexpr int kLines = 150;
  // Long lines, so that a torn or interleaved write could not go unnoticed.
  const std::string filler(3000, 'x');
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLines; ++i) {
        log.AddListLog(t % 2, "T" + std::to_string(t) + " L" + std::to_string(i) + " " + filler);
        LogPlatformError("ERR T%d L%d %s", t, i, filler.c_str());
      }
    });
  }
  for (auto& thread : threads) thread.join();

  const LocalTime today = port::clock::NowLocal();
  std::set<std::string> seen;
  for (int site = 0; site < 2; ++site) {
    for (const std::string& line : Lines(qrv::test::ReadFile(ListLogFile(site, today)))) {
      const std::string id = ListLineId(line, filler);
      ASSERT_FALSE(id.empty()) << line.substr(0, 80);
      EXPECT_TRUE(seen.insert(id).second) << "duplicate " << id;
    }
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kLines));

  const std::vector<std::string> errorLines = Lines(ErrorLogFile(station));
  ASSERT_EQ(errorLines.size(), 4u + kThreads * kLines);
  EXPECT_EQ(errorLines[0], "Model Name - M ");
  EXPECT_EQ(errorLines[1], "LineName - L1");
  std::set<std::string> errors;
  for (std::size_t i = 4; i < errorLines.size(); ++i) {
    const std::string id =
        errorLines[i].rfind("ERR ", 0) == 0 ? IdBeforeFiller(errorLines[i].substr(4), filler) : std::string();
    ASSERT_FALSE(id.empty()) << errorLines[i].substr(0, 80);
    errors.insert(id);
  }
  EXPECT_EQ(errors.size(), static_cast<std::size_t>(kThreads * kLines));

  ASSERT_TRUE(ProcessEventsUntil([&] { return Rows(log, 0) + Rows(log, 1) == kThreads * kLines; }));
}

TEST_F(ListLogTest, FileNamesFollowTheDateTheSiteAndTheSubName) {
  station.Write("Ref/M/Config.ini", "[LOG]\r\nListLog_SubName=LINE1\r\n");
  CIntegratedLog log(&record);
  log.AddListLog(1, "before midnight", LocalTime{2024, 2, 29, 23, 59, 59, 999});
  log.AddListLog(1, "after midnight", LocalTime{2024, 3, 1, 0, 0, 0, 0});
  EXPECT_EQ(station.Read("Log/ListLog/2024/02/ListLog_2024_02_29_B_LINE1.txt"),
            "[2024/02/29 23:59:59:999] before midnight\r\n");
  EXPECT_EQ(station.Read("Log/ListLog/2024/03/ListLog_2024_03_01_B_LINE1.txt"),
            "[2024/03/01 00:00:00:000] after midnight\r\n");
}

TEST_F(ListLogTest, AConfiguredFolderIsUsedAndASubNameCannotLeaveIt) {
  station.Write("Ref/M/Config.ini", "[LOG]\r\nListLog=" + station.Path("Lists") +
                                        "\r\nListLog_SubName=../../x/y\r\n");
  CIntegratedLog log(&record);
  log.AddListLog(0, "line", LocalTime{2024, 3, 5, 1, 2, 3, 4});
  EXPECT_EQ(station.Read("Lists/2024/03/ListLog_2024_03_05_A_.._.._x_y.txt"), "[2024/03/05 01:02:03:004] line\r\n");
}

TEST_F(ListLogTest, SitesWithoutAListWriteNothingAndAreReported) {
  CIntegratedLog log(&record);
  const LocalTime day{2024, 3, 5, 1, 2, 3, 4};
  for (const int site : {-1, 2, 7, 8, 1000}) log.AddListLog(site, "lost", day);
  EXPECT_FALSE(station.Exists("Log/ListLog/2024"));
  const std::vector<std::string> errors = Lines(ErrorLogFile(station));
  ASSERT_EQ(errors.size(), 4u + 5u);
  EXPECT_NE(errors[5].find("Log Dlg pointer null"), std::string::npos) << errors[5];
}

TEST_F(ListLogTest, TheListEmptiesAfterTenThousandLinesWhileTheFileKeepsThem) {
  CIntegratedLog log(&record);
  const LocalTime day{2024, 3, 5, 1, 2, 3, 4};
  for (int i = 0; i < CIntegratedLog::kMaxListEntries; ++i) log.AddListLog(0, "l", day);
  ASSERT_TRUE(ProcessEventsUntil([&] { return Rows(log, 0) == CIntegratedLog::kMaxListEntries; }));
  log.AddListLog(0, "one more", day);
  ASSERT_TRUE(ProcessEventsUntil([&] { return Rows(log, 0) == 0; }));
  EXPECT_EQ(Lines(station.Read("Log/ListLog/2024/03/ListLog_2024_03_05_A.txt")).size(),
            static_cast<std::size_t>(CIntegratedLog::kMaxListEntries + 1));
}

TEST_F(ListLogTest, TabsShowOneSiteAndClearEmptiesOnlyIt) {
  CIntegratedLog log(&record);
  log.show();
  const LocalTime day{2024, 3, 5, 1, 2, 3, 4};
  log.AddListLog(0, "a", day);
  log.AddListLog(1, "b", day);
  ASSERT_TRUE(ProcessEventsUntil([&] { return Rows(log, 0) == 1 && Rows(log, 1) == 1; }));
  EXPECT_EQ(log.List(0)->model()->index(0, 0).data().toString(), "[2024/03/05 01:02:03:004] a");
  EXPECT_TRUE(log.List(0)->isVisible());
  EXPECT_FALSE(log.List(1)->isVisible());

  log.Tabs()->setCurrentIndex(1);
  EXPECT_FALSE(log.List(0)->isVisible());
  EXPECT_TRUE(log.List(1)->isVisible());
  log.OnLogClear();
  EXPECT_EQ(Rows(log, 1), 0);
  EXPECT_EQ(Rows(log, 0), 1);
  EXPECT_EQ(station.Read("Log/ListLog/2024/03/ListLog_2024_03_05_B.txt"), "[2024/03/05 01:02:03:004] b\r\n");
}

// The operator's view of a long run: the newest line selected and scrolled to, and Ctrl+C copies that line.
TEST_F(ListLogTest, TheNewestLineIsSelectedShownAndCopiedWithCtrlC) {
  CIntegratedLog log(&record);
  log.show();
  const LocalTime day{2024, 3, 5, 1, 2, 3, 4};
  constexpr int kLines = 300;
  for (int i = 0; i < kLines; ++i)
    log.AddListLog(0, port::Format("[ModuleTest] Supply %d : %d.25 mA (5.00 ~ 100.00)", i % 3 + 1, 20 + i), day);
  ASSERT_TRUE(ProcessEventsUntil([&] { return Rows(log, 0) == kLines; }));
  QListView& list = *log.List(0);
  const QModelIndex newest = list.model()->index(kLines - 1, 0);
  EXPECT_EQ(list.currentIndex(), newest);
  EXPECT_TRUE(list.selectionModel()->isSelected(newest));
  EXPECT_TRUE(list.viewport()->rect().intersects(list.visualRect(newest))) << "the newest line is in view";

  QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
  QApplication::sendEvent(&list, &copy);
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            "[2024/03/05 01:02:03:004] [ModuleTest] Supply 3 : 319.25 mA (5.00 ~ 100.00)\r\n");
  EXPECT_FALSE(qrv::test::SaveScreenshot(log, "list_log").empty());
}

TEST(PlatformLogTest, TheFirstLineOfADayWritesTheHeaderAndTheWindowPopsUp) {
  TestApplication();
  StationFolder station;
  station.Write("Ref/M/Config.ini", "[LOG]\r\nMachineName=MC-7\r\n");
  CQRVPlatformLog window;
  LogPlatformError("%s [Line:%d] ERROR : Test log file create fail", "SiteLogCtrl::SetLogHeader", 42);
  LogPlatformError("Platform Testing...");
  EXPECT_EQ(ErrorLogFile(station),
            "Model Name - M \r\nLineName - 0\r\nMachineName - MC-7\r\n\r\n"
            "SiteLogCtrl::SetLogHeader [Line:42] ERROR : Test log file create fail\r\n"
            "Platform Testing...\r\n");
  ASSERT_TRUE(ProcessEventsUntil([&] { return window.List()->count() == 2; }));
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.GetLogMode(), 1);

  window.hide();
  LogPlatformError("again");
  ASSERT_TRUE(ProcessEventsUntil([&] { return window.isVisible(); }));
}

TEST(LogFileTest, NamePartsFromOutsideCannotNameAnotherFolder) {
  EXPECT_EQ(logfile::SafeFileNamePart("LOT-01"), "LOT-01");
  EXPECT_EQ(logfile::SafeFileNamePart("a/b\\c:d\r\ne"), "a_b_c_d__e");
  EXPECT_EQ(logfile::SafeFileNamePart(".."), "__");
  EXPECT_EQ(logfile::SafeFileNamePart(std::string(500, 'z')).size(), logfile::kMaxNamePart);
  // Cut before a character that would not fit whole.
  EXPECT_EQ(logfile::SafeFileNamePart("ab\xC3\xA9", 3), "ab");
}

}  // namespace
