// What a run leaves behind: the site's test log file, the station's error list, the cycle lists read from
// a hand-edited Cycle.ini, and the End cycle runner with its retries.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>

#include "CycleIni.h"
#include "CycleRunner.h"
#include "ErrorList.h"
#include "PlatformErrorLog.h"
#include "ProgramFolder.h"
#include "TestLogCsv.h"
#include "TestRunFixture.h"
#include "Util.h"
#include "port/clock.h"
#include "port/text.h"
#include "qrv_test/file_text.h"
#include "qrv_test/temp_dir.h"

namespace fs = std::filesystem;

namespace {

ItemRow Row(std::string item, std::string code, std::string result, std::string msg, std::string tact) {
  ItemRow row;
  row.item = std::move(item);
  row.code = std::move(code);
  row.result = std::move(result);
  row.errorMsg = std::move(msg);
  row.tact = std::move(tact);
  row.dllName = row.item + ".dll";
  return row;
}

std::function<TestLogPlace()> PlaceOf(std::string base, std::string lot, std::string line, std::string machine) {
  return [=] { return TestLogPlace{base, lot, line, machine}; };
}

// The program folder is the station folder for the ini helpers while a test runs.
class RootedTest : public ::testing::Test {
 protected:
  void SetUp() override { ProgramFolder::SetRoot(m_station.Root()); }
  void TearDown() override { ProgramFolder::SetRoot(""); }
  void WriteText(const std::string& relative, const std::string& text) const {
    fs::create_directories(fs::path(m_station.Root() + "/" + relative).parent_path());
    qrv::test::WriteFile(m_station.Root() + "/" + relative, text);
  }

  TestStation m_station;
};

// A log file in a folder of its own, which is also the program folder, so that the failures' lines go to the
// platform error log there.
class TestLogCsvTest : public ::testing::Test {
 protected:
  void SetUp() override { ProgramFolder::SetRoot(dir.path()); }
  void TearDown() override { ProgramFolder::SetRoot(""); }

  qrv::test::TempDir dir;
};

// Today's platform error log of the program folder.
std::string ErrorLogText() {
  const std::string path = platform_error_log::GetErrorLogPath(port::clock::NowLocal());
  return fs::exists(path) ? qrv::test::ReadFile(path) : std::string();
}

}  // namespace

TEST_F(TestLogCsvTest, WholeFileHasTheHeaderRowsEndBlockAndSummariesInOrder) {
  TestLogCsv log("A", PlaceOf(dir.path(), "LOT7", "Line 1", "M-03"));
  ASSERT_TRUE(log.SetLogHeader());
  const std::time_t now = std::time(nullptr);
  std::tm when{};
  localtime_r(&now, &when);
  EXPECT_EQ(log.Path(), TestLogCsv::FileFor(TestLogCsv::FolderFor(dir.path(), when), when, "A", "LOT7"));
  EXPECT_NE(log.Path().find(port::Format("/Log/PlatformLog/%04d/%02d/%04d_%02d_%02d_A_LOT7.csv",
                                         when.tm_year + 1900, when.tm_mon + 1, when.tm_year + 1900,
                                         when.tm_mon + 1, when.tm_mday)),
            std::string::npos);

  ASSERT_TRUE(log.SetLogBody(0, 1, Row("Focus", "0", "PASS", "", "120")));
  ASSERT_TRUE(log.SetLogBody(1, 3, Row("Blemish", "5", "FAIL", "Blemish NG", "80")));
  ASSERT_TRUE(log.SetCycleLogHeader());
  CycleRow first{"Power", "30", "Power.dll", "1.0", "1", "1", "PASS", "0", ""};
  CycleRow second{"Park", "75", "Park.dll", "1.0", "2", "2", "FAIL", "7", "Park NG"};
  ASSERT_TRUE(log.SetCycleLogBody(0, first));
  ASSERT_TRUE(log.SetCycleLogBody(1, second));
  TestLogEnd end;
  end.lotTotal = "4";
  end.resultCode = 105;
  end.label = "Blemish NG";
  end.startStamp = "2026/12/10 10:00:00:000";
  end.barcode = "BC1";
  end.para = 2;
  ASSERT_TRUE(log.SetLogEnd(end));
  EXPECT_EQ(log.ItemTimeMs(), 0);
  ASSERT_TRUE(log.SetLogYieldEnd({5, 3, 2}, "60.00%"));
  ASSERT_TRUE(log.SetLogErrorListEnd({{"Blemish NG", "5", 2, "Blemish", "0"}, {"Park NG", "7", 1, "Park", "0"}}));

  EXPECT_EQ(qrv::test::ReadFile(log.Path()),
            "Line Name - Line 1\r\nMachine Name - M-03\r\n\r\n"
            ", Index, Item name, Code, Result, Message, reTryCount, Time(ms), Dll Name\r\n"
            " , 0, Focus, 0, PASS, , 1, 120, Focus.dll\r\n"
            " , 1, Blemish, 5, FAIL, Blemish NG, 3, 80, Blemish.dll\r\n"
            ", Cycle End\r\n"
            " , 0, Power, 0, PASS, , 1, 30, Power.dll\r\n"
            " , 1, Park, 7, FAIL, Park NG, 2, 45, Park.dll\r\n"
            " 4, Test Start Time,2026/12/10 10:00:00:000\r\n, Barcode,BC1\r\n, Para,2\r\n, Result Handler Code, 105\r\n"
            ", MSG, Blemish NG\r\n, Result, FAIL\r\n, Test Item, 200, Cycle End, 75, Total Time, 275 \r\n\r\n\r\n\r\n"
            "\r\n\r\n, Total: 5, Pass: 3, Fail: 2, Yield: 60.00%"
            "\r\n,Item Nmae : Blemish, Code : 5, Count : 2, Msg : Blemish NG"
            "\r\n,Item Nmae : Park, Code : 7, Count : 1, Msg : Park NG");
}

TEST_F(TestLogCsvTest, UnwritableFolderFailsEveryWriteAndNamesNoFalseSuccess) {
  const std::string blocked = dir.File("blocked");
  qrv::test::WriteFile(blocked, "a file where the folder should be");
  TestLogCsv log("B", PlaceOf(blocked, "0", "", ""));
  EXPECT_FALSE(log.SetLogHeader());
  EXPECT_FALSE(log.SetLogBody(0, 1, Row("Focus", "0", "PASS", "", "1")));
  EXPECT_FALSE(log.SetLogEnd({}));
  TestLogCsv unset("C", PlaceOf(blocked, "0", "", ""));
  EXPECT_FALSE(unset.SetLogBody(0, 1, Row("Focus", "0", "PASS", "", "1")));
  // The failures' lines stay in the test's own folder.
  const std::string errorLog = platform_error_log::GetErrorLogPath(port::clock::NowLocal());
  EXPECT_TRUE(errorLog.starts_with(dir.path() + "/")) << errorLog;
  EXPECT_NE(ErrorLogText().find("SiteLogCtrl::SetLogHeader [Line:"), std::string::npos);
}

TEST_F(TestLogCsvTest, SiteAndLotCannotLeaveTheFolder) {
  std::tm when{};
  when.tm_year = 126;
  when.tm_mon = 0;
  when.tm_mday = 2;
  EXPECT_EQ(TestLogCsv::FileFor("/logs", when, "../A", "x/../../y"), "/logs/2026_01_02_.._A_x_.._.._y.csv");
}

// Every write that cannot reach its file says so in the platform error log, under its operation, its line
// and its failure; the caller learns it too.
TEST_F(RootedTest, EveryWriteThatFailsSendsItsLineToThePlatformErrorLog) {
  const std::string blocked = m_station.Root() + "/blocked";
  qrv::test::WriteFile(blocked, "a file where the log folder should be");
  TestLogCsv log("A", PlaceOf(blocked, "L1", "", ""));
  struct Case {
    const char* operation;
    std::function<bool()> write;
    const char* failure;
  };
  const Case cases[] = {
      {"SiteLogCtrl::SetLogHeader", [&] { return log.SetLogHeader(); }, "Test log file create fail"},
      {"SiteLogCtrl::SetLogBody", [&] { return log.SetLogBody(0, 1, Row("Focus", "0", "PASS", "", "5")); },
       "Ploatform Log Body fail"},
      {"SiteLogCtrl::SetCycleLogHeader", [&] { return log.SetCycleLogHeader(); }, "Ploatform Log Body fail"},
      {"SiteLogCtrl::SetCycleLogBody", [&] { return log.SetCycleLogBody(0, CycleRow{}); }, "Ploatform Log Body fail"},
      {"SiteLogCtrl::SetLogEnd", [&] { return log.SetLogEnd({}); }, "Ploatform Log End ReadWrite fail"},
      {"SiteLogCtrl::SetLogYieldEnd", [&] { return log.SetLogYieldEnd({1, 1, 0}, "100.00%"); },
       "Ploatform Log End ReadWrite fail"},
      {"SiteLogCtrl::SetLogErrorListEnd", [&] { return log.SetLogErrorListEnd({}); },
       "Ploatform Log End ReadWrite fail"},
  };
  for (const Case& c : cases) {
    const std::size_t before = ErrorLogText().size();
    EXPECT_FALSE(c.write()) << c.operation;
    const std::string added = ErrorLogText().substr(before);
    const std::size_t at = added.find(std::string(c.operation) + " [Line:");
    ASSERT_NE(at, std::string::npos) << c.operation << "\n" << added;
    EXPECT_EQ(added.find(std::string("] ERROR : ") + c.failure + "\r\n", at),
              added.find("] ERROR : ", at)) << added;
  }
}

// Only a written end block starts the times again, so a lost one leaves them for the next test's block; and
// only the header creates the file, so the section line and the end block never start a headless file.
TEST_F(RootedTest, ALostEndBlockKeepsTheTimesAndOnlyTheHeaderCreatesTheFile) {
  TestLogCsv log("A", PlaceOf(m_station.Root(), "L1", "Line 1", "M-03"));
  ASSERT_TRUE(log.SetLogHeader());
  ASSERT_TRUE(log.SetLogBody(0, 1, Row("Focus", "0", "PASS", "", "120")));
  CycleRow park;
  park.tact = "50";
  ASSERT_TRUE(log.SetCycleLogBody(0, park));
  const std::string path = log.Path();
  fs::remove(path);

  EXPECT_FALSE(log.SetCycleLogHeader());
  EXPECT_FALSE(log.SetLogEnd({}));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(log.ItemTimeMs(), 120);
  EXPECT_EQ(log.CycleTimeMs(), 50);
  EXPECT_NE(ErrorLogText().find("SiteLogCtrl::SetLogEnd [Line:"), std::string::npos);

  ASSERT_TRUE(log.SetLogHeader());
  ASSERT_TRUE(log.SetLogEnd({}));
  EXPECT_EQ(log.ItemTimeMs(), 0);
  EXPECT_EQ(log.CycleTimeMs(), 0);
  const std::string text = qrv::test::ReadFile(path);
  EXPECT_EQ(text.rfind("Line Name - Line 1\r\n", 0), 0u) << text;
  EXPECT_NE(text.find(", Test Item, 120, Cycle End, 50, Total Time, 170 \r\n"), std::string::npos) << text;

  // An item row finds its file gone: the file of now starts again with its header.
  fs::remove(path);
  ASSERT_TRUE(log.SetLogBody(0, 1, Row("Focus", "0", "PASS", "", "7")));
  EXPECT_EQ(qrv::test::ReadFile(path).rfind("Line Name - Line 1\r\n", 0), 0u);
}

TEST_F(RootedTest, ErrorListCountsPerItemCodeAndKeyAndSurvivesAReload) {
  const std::string config = "Ref/M/Config.ini";
  WriteText(config, "");
  ErrorList list(config);
  list.Load();
  const std::vector<ItemRow> run = {Row("Focus", "0", "PASS", "", "1"), Row("Blemish", "5", "FAIL", "Blemish NG", "1"),
                                    Row("Shading", "", "Ready", "", "")};
  list.Update(run, "1");
  list.Update(run, "1");
  list.Update(run, "2");
  list.Update({Row("Blemish", "6", "FAIL", "Dust, many", "1")}, "1");

  ErrorList reloaded(config);
  reloaded.Load();
  const std::vector<ErrorListRow> rows = reloaded.Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].count, 2);
  EXPECT_EQ(rows[0].key, "1");
  EXPECT_EQ(rows[1].count, 1);
  EXPECT_EQ(rows[1].key, "2");
  // A comma in a message is stored as it stands and shifts the fields on the next load.
  EXPECT_EQ(rows[2].msg, "Dust");
  EXPECT_EQ(rows[2].code, " many");
  EXPECT_EQ(ReadIniString("ERROR_LIST", "2", "", config), "Dust, many,6,1,Blemish,1");

  reloaded.Reset();
  EXPECT_TRUE(reloaded.Rows().empty());
  EXPECT_EQ(ReadIniInt("ERROR_LIST", "COUNT", -1, config), 0);
}

TEST(ErrorListTest, ShortRowsGetEmptyFields) {
  const struct {
    const char* value;
    ErrorListRow expected;
  } cases[] = {
      {"", {"", "", 0, "", ""}},
      {"Msg,5", {"Msg", "5", 0, "", ""}},
      {"Msg,5,x,Item,3", {"Msg", "5", 0, "Item", "3"}},
      {"Msg,5,4,Item,3", {"Msg", "5", 4, "Item", "3"}},
  };
  for (const auto& c : cases) {
    const ErrorListRow row = ErrorList::ParseRow(c.value);
    EXPECT_EQ(row.msg, c.expected.msg) << c.value;
    EXPECT_EQ(row.code, c.expected.code) << c.value;
    EXPECT_EQ(row.count, c.expected.count) << c.value;
    EXPECT_EQ(row.itemName, c.expected.itemName) << c.value;
    EXPECT_EQ(row.key, c.expected.key) << c.value;
  }
}

// Fields by position, the checked flag by the text-to-integer rule, a missing key as "0".
TEST_F(RootedTest, CycleEntriesAreReadByPosition) {
  WriteText("Ref/M/Cycle.ini", "[A.CYCLE_END_DLL]\nCount=7\n0=A.dll,1,2,extra\n1=A.dll, 1,1\n2=A.dll,1\n"
                               "3=Garbled\n4=,1,1\n5=A.dll,x,1\n");
  const std::vector<CycleEntry> want = {{"A.dll", true, "2"}, {"A.dll", true, "1"}, {"A.dll", true, ""},
                                        {"Garbled", false, ""}, {"", true, "1"}, {"A.dll", false, "1"},
                                        {"0", false, ""}};
  EXPECT_EQ(cycleini::ReadCycleList("Ref/M/Cycle.ini", "A.CYCLE_END_DLL"), want);
  std::vector<CycleEntry> stored;
  for (const StoredCycleEntry& entry : cycleini::ReadStoredEntries("Ref/M/Cycle.ini", "A.CYCLE_END_DLL"))
    stored.push_back(entry.entry);
  EXPECT_EQ(stored, want) << "the editor shows what the runner takes";
}

TEST_F(RootedTest, SavedListReadsBackInOrder) {
  WriteText("Ref/M/Cycle.ini", "");
  cycleini::SaveCycleList("Ref/M/Cycle.ini", "CYCLE_INIT_DLL", {{"B.dll", false, "1"}, {"A.dll", true, ""}});
  const std::vector<CycleEntry> load = cycleini::ReadCycleList("Ref/M/Cycle.ini", "CYCLE_INIT_DLL");
  ASSERT_EQ(load.size(), 2u);
  EXPECT_EQ(load[0].dll, "B.dll");
  EXPECT_EQ(load[1].retry, "");
}

namespace {

int g_powerDowns = 0;
int g_powerDownBoard = -1;
int PowerDown(int board, int) {
  ++g_powerDowns;
  g_powerDownBoard = board;
  return 0;
}

}  // namespace

class CycleRunnerTest : public RootedTest {
 protected:
  void SetUp() override {
    RootedTest::SetUp();
    fs::create_directories(m_station.Root() + "/Cycle");
    fs::copy_file(m_station.Root() + "/Dll/TestItemA.dll", m_station.Root() + "/Cycle/TestItemA.dll");
    ASSERT_EQ(m_station.LoadItem("TestItemA.dll"), 0);
    m_station.WriteErrorCodes("[TestItemA.dll]\ncount=1\n0=1,7,107,Park NG\n");
    m_runner = std::make_unique<CycleRunner>(m_station.Items(), m_station.Record(),
                                             [this] { return m_station.ErrorCodePath(); });
    m_runner->SetFolders(m_station.Root(), "Ref/M/Cycle.ini");
    CycleRunner::Hooks hooks;
    hooks.showWindow = [this] { ++m_shown; };
    hooks.siteLog = [this](int) { return &m_log; };
    hooks.siteLogSection = [this](int) { ++m_sections; };
    m_runner->SetHooks(std::move(hooks));
    ASSERT_TRUE(m_log.SetLogHeader());
  }

  void WriteCycle(const std::string& endA, int showEnd) {
    WriteText("Ref/M/Cycle.ini", "[CYCLE_END_DLL]\nShowWIndow=" + std::to_string(showEnd) +
                                     "\n[A.CYCLE_END_DLL]\n" + endA);
    m_runner->ReadShowWindowFlags();
    m_runner->LoadAllCycleLists(1);
  }

  std::unique_ptr<CycleRunner> m_runner;
  TestLogCsv m_log{"A", PlaceOf(m_station.Root(), "0", "", "")};
  int m_shown = 0;
  int m_sections = 0;
};

TEST_F(CycleRunnerTest, FailingItemIsRetriedAndPassesOnItsLastCall) {
  WriteCycle("Count=1\n0=TestItemA.dll,1,3\n", 1);
  m_station.ItemA().Script(0, {7, 7, 0});
  EXPECT_EQ(m_runner->RunCycle(CycleRunner::kEnd, 0, 0, 0, 0), 0);
  const CycleRow row = m_runner->Rows(CycleRunner::kEnd)[0];
  EXPECT_EQ(row.retryCount, "3");
  EXPECT_EQ(row.result, "PASS");
  EXPECT_EQ(row.code, "0");
  EXPECT_EQ(m_shown, 0);
  const std::string file = qrv::test::ReadFile(m_log.Path());
  const std::string rowText = ", Cycle End\r\n , 0, " + row.item + ", 0, PASS, " + row.errorMsg + ", 3, " + row.tact +
                              ", TestItemA.dll\r\n";
  EXPECT_NE(file.find(rowText), std::string::npos) << file;
  EXPECT_EQ(m_sections, 1);
}

// The window shows the End section only when its line went into the file.
TEST_F(CycleRunnerTest, ASectionLineThatIsLostIsNotShown) {
  WriteCycle("Count=1\n0=TestItemA.dll,1,1\n", 0);
  fs::remove(m_log.Path());
  m_runner->RunCycle(CycleRunner::kEnd, 0, 0, 0, 0);
  EXPECT_EQ(m_sections, 0);
  EXPECT_EQ(qrv::test::ReadFile(m_log.Path()).find(", Cycle End"), std::string::npos)
      << "the row after it starts the file afresh";
}

TEST_F(CycleRunnerTest, FailingRowShowsTheWindowWhenAskedAndTheNextRowStillRuns) {
  for (const int show : {0, 1}) {
    m_shown = 0;
    WriteCycle("Count=2\n0=TestItemA.dll,1,3\n1=Missing.dll,1,1\n", show);
    m_station.ItemA().Script(0, {7});
    EXPECT_EQ(m_runner->RunCycle(CycleRunner::kEnd, 0, 0, 0, 0), -2);
    const std::vector<CycleRow> rows = m_runner->Rows(CycleRunner::kEnd);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].result, "FAIL");
    EXPECT_EQ(rows[0].code, "7");
    EXPECT_EQ(rows[0].errorMsg, "Park NG");
    EXPECT_EQ(rows[1].code, "-2");
    EXPECT_EQ(rows[1].errorMsg, "Dll loadlibrary FAIL");
    // The row that is not loaded shows the window whatever the option.
    EXPECT_EQ(m_shown, show + 1) << show;
  }
}

// The runner takes every checked entry as the reader gives it; the Item and Version cells show the version
// strings as read.
TEST_F(CycleRunnerTest, EveryCheckedEntryRunsAsTheReaderGivesIt) {
  fs::copy_file(m_station.Root() + "/Dll/MissingEntry.dll", m_station.Root() + "/Cycle/MissingEntry.dll");
  WriteCycle("Count=5\n0=TestItemA.dll,1,2,extra\n1=TestItemA.dll, 1,1\n2=TestItemA.dll,1\n"
             "3=TestItemA.dll,0,1\n4=MissingEntry.dll,1,1\n",
             0);
  const std::vector<CycleRow> loaded = m_runner->Rows(CycleRunner::kEnd);
  ASSERT_EQ(loaded.size(), 4u);
  EXPECT_EQ(loaded[0].item, "TestItemA");
  EXPECT_EQ(loaded[0].version, "1.0.0.1");
  EXPECT_EQ(loaded[3].item, "(null)") << "a plug-in without a version block";
  EXPECT_EQ(loaded[3].version, "(null)");
  const int before = m_station.ItemA().TotalCalls();
  m_station.ItemA().Script(0, {7, 0});
  m_runner->RunCycle(CycleRunner::kEnd, 0, 0, 0, 0);
  const std::vector<CycleRow> rows = m_runner->Rows(CycleRunner::kEnd);
  EXPECT_EQ(rows[0].defineCount, "2");
  EXPECT_EQ(rows[0].result, "PASS") << "called twice";
  EXPECT_EQ(rows[1].result, "PASS");
  EXPECT_EQ(rows[2].defineCount, "");
  EXPECT_EQ(rows[2].result, "FAIL") << "no call count: not called";
  EXPECT_EQ(m_station.ItemA().TotalCalls(), before + 3);
}

TEST_F(CycleRunnerTest, HardwareType20PowersDownFirstEvenWithAnEmptyList) {
  WriteCycle("Count=0\n", 0);
  g_powerDowns = 0;
  m_station.Record().PowerDownSequence = PowerDown;
  m_station.Record().HardwareType = 20;
  m_station.Record().m_nPara = 0;
  EXPECT_EQ(m_runner->RunCycle(CycleRunner::kEnd, 3, 0, 0, 0), 0);
  EXPECT_EQ(g_powerDowns, 1);
  EXPECT_EQ(g_powerDownBoard, 3);
  m_station.Record().HardwareType = 0;
  m_runner->RunCycle(CycleRunner::kEnd, 3, 0, 0, 0);
  EXPECT_EQ(g_powerDowns, 1);
}

// The row says that its count is at fault, not its library, which did load; the test log writes the same.
TEST_F(CycleRunnerTest, ZeroOrBadCallCountFailsTheRowWithoutCallingIt) {
  WriteCycle("Count=3\n0=TestItemA.dll,1,0\n1=TestItemA.dll,1,x\n2=TestItemA.dll,1,-3\n", 0);
  const int before = m_station.ItemA().TotalCalls();
  EXPECT_EQ(m_runner->RunCycle(CycleRunner::kEnd, 0, 0, 0, 0), kCodeNoCallCount);
  EXPECT_EQ(m_station.ItemA().TotalCalls(), before);
  const std::vector<CycleRow> rows = m_runner->Rows(CycleRunner::kEnd);
  ASSERT_EQ(rows.size(), 3u);
  const std::string file = qrv::test::ReadFile(m_log.Path());
  for (const CycleRow& row : rows) {
    SCOPED_TRACE(row.defineCount);
    EXPECT_EQ(row.result, "FAIL");
    EXPECT_EQ(row.code, std::to_string(kCodeNoCallCount));
    EXPECT_EQ(row.errorMsg, "Define Counct FAIL");
    EXPECT_EQ(row.retryCount, "0");
  }
  EXPECT_NE(file.find(", -6, FAIL, Define Counct FAIL, 0, "), std::string::npos) << file;
  EXPECT_EQ(file.find("Dll path FAIL"), std::string::npos) << file;
}

// A mistyped count must not hold the site in its End list for ever: the row calls its failing item up to the
// limit, fails as it would, and the error log names the key that asked for more.
TEST_F(CycleRunnerTest, ACallCountPastItsLimitCallsAFailingItemThatManyTimesAndSaysSo) {
  WriteCycle("Count=1\n0=TestItemA.dll,1,2147483647\n", 0);
  m_station.ItemA().Script(0, {7});
  const int before = m_station.ItemA().TotalCalls();
  EXPECT_EQ(m_runner->RunCycle(CycleRunner::kEnd, 0, 0, 0, 0), 7);
  EXPECT_EQ(m_station.ItemA().TotalCalls() - before, kMaxItemCalls);
  const CycleRow row = m_runner->Rows(CycleRunner::kEnd)[0];
  EXPECT_EQ(row.result, "FAIL");
  EXPECT_EQ(row.retryCount, std::to_string(kMaxItemCalls));
  EXPECT_EQ(row.defineCount, "2147483647") << "the row shows the count as stored";
  EXPECT_NE(ErrorLogText().find("Cycle.ini [A.CYCLE_END_DLL] 0=2147483647 is more than 100"), std::string::npos)
      << ErrorLogText();
}

// Cycle.ini saved and read again while a site runs its End list: the run goes on with the rows it started with,
// writes its results into them, and the list read meanwhile serves the next run.
TEST_F(CycleRunnerTest, AListReadAgainDuringARunServesTheNextRun) {
  WriteCycle("Count=3\n0=TestItemA.dll,1,1\n1=TestItemA.dll,1,1\n2=TestItemA.dll,1,1\n", 0);
  bool reread = false;
  CycleRunner::Hooks hooks;
  hooks.changed = [&](int) {
    if (std::exchange(reread, true)) return;
    WriteText("Ref/M/Cycle.ini", "[A.CYCLE_END_DLL]\nCount=1\n0=TestItemA.dll,1,2\n");
    m_runner->LoadAllCycleLists(1);
  };
  m_runner->SetHooks(std::move(hooks));
  m_station.ItemA().Script(0, {0, 0, 7});
  std::vector<CycleRow> ran;
  EXPECT_EQ(m_runner->RunCycle(CycleRunner::kEnd, 0, 0, 0, 0, &ran), 7);
  ASSERT_TRUE(reread);
  ASSERT_EQ(ran.size(), 3u);
  const char* results[] = {"PASS", "PASS", "FAIL"};
  for (std::size_t row = 0; row < ran.size(); ++row) EXPECT_EQ(ran[row].result, results[row]) << row;
  EXPECT_EQ(ran[2].code, "7");
  EXPECT_EQ(m_station.ItemA().Calls(0), 3);

  std::vector<CycleRow> rows = m_runner->Rows(CycleRunner::kEnd);
  ASSERT_EQ(rows.size(), 1u) << "the list read during the run";
  EXPECT_EQ(rows[0].defineCount, "2");
  EXPECT_EQ(rows[0].result, "") << "no result of the earlier run lands on it";

  m_station.ItemA().Script(0, {7, 0});
  EXPECT_EQ(m_runner->RunCycle(CycleRunner::kEnd, 0, 0, 0, 0), 0);
  rows = m_runner->Rows(CycleRunner::kEnd);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].retryCount, "2");
  EXPECT_EQ(rows[0].result, "PASS");
}

// The editor's Save on the window's thread while a site's thread runs its End list again and again.
TEST_F(CycleRunnerTest, ListsReadAgainOnAnotherThreadLeaveEveryRunWhole) {
  const std::string lists[] = {"[A.CYCLE_END_DLL]\nCount=3\n0=TestItemA.dll,1,1\n1=TestItemA.dll,1,1\n"
                               "2=TestItemA.dll,1,1\n",
                               "[A.CYCLE_END_DLL]\nCount=1\n0=TestItemA.dll,1,1\n"};
  WriteCycle("Count=3\n0=TestItemA.dll,1,1\n1=TestItemA.dll,1,1\n2=TestItemA.dll,1,1\n", 0);
  m_runner->SetHooks({});
  std::atomic<bool> done{false};
  std::thread editor([&] {
    for (int save = 0; !done.load(); ++save) {
      WriteText("Ref/M/Cycle.ini.new", lists[save % 2]);
      fs::rename(m_station.Root() + "/Ref/M/Cycle.ini.new", m_station.Root() + "/Ref/M/Cycle.ini");
      m_runner->LoadAllCycleLists(1);
    }
  });
  for (int run = 0; run < 200; ++run) {
    std::vector<CycleRow> ran;
    EXPECT_EQ(m_runner->RunCycle(CycleRunner::kEnd, 0, 0, 0, 0, &ran), 0);
    EXPECT_TRUE(ran.size() == 1 || ran.size() == 3) << ran.size();
    for (const CycleRow& row : ran) {
      EXPECT_EQ(row.result, "PASS");
      EXPECT_EQ(row.retryCount, "1");
    }
  }
  done.store(true);
  editor.join();
}
