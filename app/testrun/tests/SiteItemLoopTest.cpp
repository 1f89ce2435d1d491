// The item loop, one scenario per row: what the items return, and what the run shows, logs and reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "port/text.h"

#include "TestRunFixture.h"
#include "TestThread.h"
#include "port/clock.h"
#include "qrv_test/file_text.h"

namespace {

constexpr const char* kErrorCodes =
    "[TestItemA.dll]\n"
    "count=4\n"
    "0=1,5,105,Focus NG\n"
    "1=1,7,,Empty handler\n"
    "2=1,8,0,Deliberate pass\n"
    "3=0,9,109,Disabled entry\n";

enum Raise { kNoRaise = 0, kStopAll = 1, kSiteStop = 2 };

struct Scenario {
  const char* name;
  std::vector<std::pair<std::string, int>> items;  // DLL and retry count per row
  std::vector<int> codes;                           // what TestItemA returns, call by call
  bool overrideMode;
  Raise raise;                                      // raised during the first call
  int expectedResult;                               // the code sent to the handler
  std::string expectedLabel;                        // the label sent with it
  std::vector<std::string> expectedStates;
  std::vector<std::string> expectedCodes;
  std::vector<std::string> expectedLog;             // test log and screen events, in order
  int expectedCalls;
};

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> scenarios = {
      {"pass", {{"TestItemA.dll", 1}}, {0}, false, kNoRaise, 0, "PASS", {"PASS"}, {"0"},
       {"body 0 PASS 0 x1", "cycle end", "result 0 PASS", "end 0 PASS PASS", "draw 0 "}, 1},
      {"fail with retries", {{"TestItemA.dll", 3}}, {5}, false, kNoRaise, 105, "Focus NG", {"FAIL"}, {"5"},
       {"body 0 FAIL 5 x3", "cycle end", "result 105 Focus NG", "end 105 Focus NG FAIL", "draw 105 Focus NG"}, 3},
      {"fail then pass on retry", {{"TestItemA.dll", 3}}, {5, 5, 0}, false, kNoRaise, 0, "PASS", {"PASS"}, {"0"},
       {"body 0 PASS 0 x3", "cycle end", "result 0 PASS"}, 3},
      {"failure ends the list", {{"TestItemA.dll", 1}, {"TestItemA.dll", 1}}, {5, 0}, false, kNoRaise, 105,
       "Focus NG", {"FAIL", "Ready"}, {"5", ""}, {"body 0 FAIL 5 x1", "cycle end", "result 105 Focus NG"}, 1},
      {"stop-all", {{"TestItemA.dll", 1}, {"TestItemA.dll", 1}}, {0}, false, kStopAll, 999, "PASS",
       {"FAIL", "Ready"}, {"", ""}, {"body 0 PASS 0 x1", "cycle end", "result 999 PASS", "draw 999 STOP"}, 1},
      {"site stop on a passing run", {{"TestItemA.dll", 1}, {"TestItemA.dll", 1}}, {0}, false, kSiteStop, 999,
       "PASS", {"FAIL", "Ready"}, {"", ""}, {"body 0 PASS 0 x1", "result 999 PASS", "draw 999 "}, 1},
      {"site stop keeps a failing code", {{"TestItemA.dll", 1}, {"TestItemA.dll", 1}}, {5}, false, kSiteStop,
       105, "Focus NG", {"FAIL", "Ready"}, {"5", ""}, {"body 0 FAIL 5 x1", "result 105 Focus NG"}, 1},
      {"override: a mapped code breaks the run",
       {{"TestItemA.dll", 1}, {"TestItemA.dll", 1}, {"TestItemA.dll", 1}}, {9, 5, 0}, true, kNoRaise, 105,
       "Focus NG", {"FAIL", "FAIL", "Ready"}, {"9", "5", ""},
       {"body 0 FAIL 9 x1", "body 1 FAIL 5 x1", "cycle end", "result 105 Focus NG"}, 2},
      {"override: unmapped failures run every item", {{"TestItemA.dll", 1}, {"TestItemA.dll", 1}}, {9, 0}, true,
       kNoRaise, 9, "Unused", {"FAIL", "PASS"}, {"9", "0"}, {"body 0 FAIL 9 x1", "body 1 PASS 0 x1",
       "result 9 Unused"}, 2},
      {"empty list", {}, {}, false, kNoRaise, 0, "PASS", {}, {}, {"cycle end", "result 0 PASS", "end 0 PASS PASS"},
       0},
      {"unknown item", {{"Unknown.dll", 3}}, {}, false, kNoRaise, -2, "Dll loadlibrary FAIL", {"FAIL"}, {"-2"},
       {"body 0 FAIL -2 x3", "result -2 Dll loadlibrary FAIL"}, 0},
      {"missing entry point", {{"MissingEntry.dll", 1}}, {}, false, kNoRaise, -1, "Dll path FAIL", {"FAIL"},
       {"-1"}, {"body 0 FAIL -1 x1", "result -1 Dll path FAIL"}, 0},
      {"not a library", {{"NotALibrary.dll", 1}}, {}, false, kNoRaise, -2, "Dll loadlibrary FAIL", {"FAIL"},
       {"-2"}, {"result -2 Dll loadlibrary FAIL"}, 0},
      {"negative code ends the list", {{"TestItemA.dll", 1}, {"TestItemA.dll", 1}}, {-3}, true, kNoRaise, -3,
       "Simulration path FAIL", {"FAIL", "Ready"}, {"-3", ""}, {"result -3 Simulration path FAIL"}, 1},
      {"empty handler code is a failure", {{"TestItemA.dll", 1}}, {7}, false, kNoRaise, -4, "Empty handler",
       {"FAIL"}, {"7"}, {"result -4 Empty handler", "end -4 Empty handler FAIL"}, 1},
      {"explicit handler code 0", {{"TestItemA.dll", 1}}, {8}, false, kNoRaise, 0, "Deliberate pass", {"FAIL"},
       {"8"}, {"result 0 Deliberate pass", "end 0 Deliberate pass FAIL"}, 1},
      {"disabled entry keeps the code", {{"TestItemA.dll", 1}}, {9}, false, kNoRaise, 9, "Unused", {"FAIL"},
       {"9"}, {"result 9 Unused"}, 1},
  };
  return scenarios;
}

// True when expected appears in events in this order (other events may come between).
bool InOrder(const std::vector<std::string>& events, const std::vector<std::string>& expected) {
  auto at = events.begin();
  for (const auto& wanted : expected) {
    at = std::find(at, events.end(), wanted);
    if (at == events.end()) return false;
    ++at;
  }
  return true;
}

class SiteItemLoop : public testing::TestWithParam<Scenario> {};

TEST_P(SiteItemLoop, RunsTheScenario) {
  const Scenario& scenario = GetParam();
  TestStation station;
  station.WriteErrorCodes(kErrorCodes);
  for (const char* dll : {"TestItemA.dll", "MissingEntry.dll", "NotALibrary.dll"}) station.LoadItem(dll);
  station.ItemA().Script(0, scenario.codes);
  if (scenario.raise != kNoRaise) station.ItemA().RaiseAtCall(0, 1, scenario.raise);
  station.Record().m_nOverrideMode.store(scenario.overrideMode ? 1 : 0);

  FakeSiteHost host(station.ErrorCodePath());
  host.listLogFolder = station.Root();
  host.Register(0, scenario.items);
  SiteModel model;
  host.SetModel(0, &model);
  {
    CTestThread runner(host, station.Record(), station.Items(), model, 0, 0);
    runner.StartSite(0, 0);
    ASSERT_TRUE(host.WaitForRuns(0, 1));
    EXPECT_EQ(runner.LastResult(), scenario.expectedResult);
    EXPECT_FALSE(runner.IsRunning());
  }

  const std::vector<Report> reports = host.Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].code, scenario.expectedResult);
  EXPECT_EQ(reports[0].label, scenario.expectedLabel);
  std::vector<std::string> states;
  std::vector<std::string> codes;
  for (const ItemRow& row : model.Rows()) {
    states.push_back(row.result);
    codes.push_back(row.code);
  }
  EXPECT_EQ(states, scenario.expectedStates);
  EXPECT_EQ(codes, scenario.expectedCodes);
  const auto events = host.Events(0);
  EXPECT_TRUE(InOrder(events, scenario.expectedLog)) << testing::PrintToString(events);
  EXPECT_EQ(station.ItemA().Calls(0), scenario.expectedCalls);
  EXPECT_TRUE(InOrder(TestStation::LogLines(0), {"Platform Thread START -> SITE : 0, USB : 0",
                                                 "Platform Thread END -> SITE : 0, USB : 0"}));
}

INSTANTIATE_TEST_SUITE_P(Scenarios, SiteItemLoop, testing::ValuesIn(Scenarios()),
                         [](const testing::TestParamInfo<Scenario>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// TestItemA loaded and site 0's view on a host that writes its logs into the station; each test registers its
// list, sets the host's switches and makes the runner.
class SiteItemLoopRuns : public testing::Test {
 protected:
  SiteItemLoopRuns() {
    station.LoadItem("TestItemA.dll");
    host.listLogFolder = station.Root();
    host.SetModel(0, &model);
  }

  TestStation station;
  FakeSiteHost host{station.ErrorCodePath()};
  SiteModel model;
};

// Runs the site once more with a new registration and returns the report of that run.
Report RunAgain(FakeSiteHost& host, CTestThread& runner, int runs) {
  runner.StartSite(0, 0);
  EXPECT_TRUE(host.WaitForRuns(0, runs));
  return host.Reports().back();
}

TEST_F(SiteItemLoopRuns, EmptyListReportsItsOwnResultAfterAFailingRun) {
  station.WriteErrorCodes(kErrorCodes);
  station.ItemA().Script(0, {5});
  host.Register(0, {{"TestItemA.dll", 1}});
  CTestThread runner(host, station.Record(), station.Items(), model, 0, 0);
  EXPECT_EQ(RunAgain(host, runner, 1).code, 105);
  host.Register(0, {});
  const Report empty = RunAgain(host, runner, 2);
  EXPECT_EQ(empty.code, 0);
  EXPECT_EQ(empty.label, "PASS");
  EXPECT_EQ(runner.LastResult(), 0);
}

TEST_F(SiteItemLoopRuns, StopRowOfAnEarlierRunMarksNothingInTheNext) {
  station.WriteErrorCodes(kErrorCodes);
  host.Register(0, {{"TestItemA.dll", 1}, {"TestItemA.dll", 1}});
  CTestThread runner(host, station.Record(), station.Items(), model, 0, 0);
  station.ItemA().Script(0, {0});
  station.ItemA().RaiseAtCall(0, 1, kSiteStop);  // first run stops at row 0
  RunAgain(host, runner, 1);
  // The second run fails at row 0 and is then stopped from outside after the items: row 0 keeps its code.
  station.ItemA().Script(0, {5});
  station.ItemA().RaiseAtCall(0, 1, kSiteStop);
  const Report second = RunAgain(host, runner, 2);
  EXPECT_EQ(second.code, 105);
  EXPECT_EQ(model.Row(0).result, "FAIL");
  EXPECT_EQ(model.Row(0).code, "5");
  EXPECT_EQ(model.Row(1).result, "Ready");
}

TEST_F(SiteItemLoopRuns, FinishAndHomeChangeThePassingLabel) {
  station.WriteErrorCodes(kErrorCodes);
  host.Register(0, {{"TestItemA.dll", 1}});
  CTestThread runner(host, station.Record(), station.Items(), model, 0, 0);
  host.finishAfterPass = true;
  EXPECT_EQ(RunAgain(host, runner, 1).label, "Finish");
  EXPECT_EQ(model.Picture(), kPictureFinish);
  host.homeRequest = true;
  EXPECT_EQ(RunAgain(host, runner, 2).label, "Ready");
  EXPECT_EQ(model.Picture(), kPictureReady);
}

TEST_F(SiteItemLoopRuns, SendResultFirstReportsBeforeTheEndCycle) {
  host.Register(0, {{"TestItemA.dll", 1}});
  host.sendResultFirst = true;
  CTestThread runner(host, station.Record(), station.Items(), model, 0, 0);
  RunAgain(host, runner, 1);
  EXPECT_TRUE(InOrder(host.Events(0), {"result 0 PASS", "cycle end"}));
}

// The screen reads the site's list again (a save of the item manager) while the site runs its second item: the
// run ends on the rows and retry counts it began with, the list read meanwhile shows once the run has ended and
// serves the next run.
TEST_F(SiteItemLoopRuns, AListReadAgainDuringARunServesTheNextRun) {
  station.WriteErrorCodes(kErrorCodes);
  host.Register(0, {{"TestItemA.dll", 1}, {"TestItemA.dll", 3}});
  station.ItemA().Script(0, {0, 5});
  host.beforeItem = [&](int, int started) {
    if (started != 2) return;
    host.Register(0, {{"TestItemA.dll", 1}});
    // The screen's re-read comes from another thread; this one waits for it so that it lands mid-run.
    std::thread reread([&] { model.SetRows(host.LoadSiteItems(0)); });
    reread.join();
  };
  CTestThread runner(host, station.Record(), station.Items(), model, 0, 0);
  const Report first = RunAgain(host, runner, 1);
  EXPECT_EQ(first.code, 105);
  EXPECT_EQ(first.label, "Focus NG");
  EXPECT_EQ(station.ItemA().Calls(0), 4) << "the failing item runs as often as its entry said when the run began";
  EXPECT_TRUE(InOrder(host.Events(0), {"body 0 PASS 0 x1", "body 1 FAIL 5 x3", "result 105 Focus NG",
                                       "end 105 Focus NG FAIL", "draw 105 Focus NG"}))
      << testing::PrintToString(host.Events(0));
  ASSERT_EQ(model.RowCount(), 1) << "the list read during the run shows once the run has ended";
  EXPECT_EQ(model.Row(0).result, "Ready");

  station.ItemA().Script(0, {0});
  const Report second = RunAgain(host, runner, 2);
  EXPECT_EQ(second.code, 0);
  EXPECT_EQ(station.ItemA().Calls(0), 1);
  ASSERT_EQ(model.RowCount(), 1);
  EXPECT_EQ(model.Row(0).result, "PASS");
}

// A refused start ends like a failed run: one failing result to the handler, the view and the picture in FAIL.
TEST(SiteItemLoopRefusal, FailedPreCheckRefusesTheRunAndSendsOneFailingResult) {
  enum Fault { kNotLoaded, kVersion, kLogFolders };
  const struct {
    Fault fault;
    const char* label;
    const char* draw;
    int code;
  } cases[] = {{kNotLoaded, "Load library Error", "draw -2 DLL Load error!!", -2},
               {kVersion, "System Version Error", "draw -1 System Version Error", -1},
               {kLogFolders, "Log Directory Error", "draw -1 Log Directory Error", -1}};
  for (const auto& c : cases) {
    TestStation station;
    station.LoadItem("TestItemA.dll");
    FakeSiteHost host(station.ErrorCodePath());
    host.Register(0, {{"TestItemA.dll", 1}});
    host.allLoaded = c.fault != kNotLoaded;
    host.systemVersionOk = c.fault != kVersion;
    host.logDirectoriesOk = c.fault != kLogFolders;
    SiteModel model;
    host.SetModel(0, &model);
    CTestThread runner(host, station.Record(), station.Items(), model, 0, 0);
    runner.StartSite(0, 0);
    ASSERT_TRUE(host.WaitForRuns(0, 1)) << c.label;
    EXPECT_EQ(model.Label(), c.label);
    EXPECT_EQ(model.Picture(), kPictureFail) << c.label;
    EXPECT_TRUE(InOrder(host.Events(0), {c.draw, std::string("result ") + std::to_string(c.code) + " " + c.label}))
        << c.label;
    ASSERT_EQ(host.Reports().size(), 1u) << c.label;
    EXPECT_EQ(runner.LastResult(), c.code) << c.label;
    EXPECT_EQ(station.ItemA().Calls(0), 0) << "a refused run calls no item: " << c.label;
  }
}

TEST(SiteItemTimeLog, ItemTimeLogGetsOneCrLfLinePerItemButNotForPelioInit) {
  TestStation station;
  station.LoadItem("TestItemA.dll");
  FakeSiteHost host(station.ErrorCodePath());
  host.listLogFolder = station.Root();
  host.Register(1, {{"TestItemA.dll", 1}, {"TestItemA.dll", 1}, {"Pelio_INIT.dll", 1}});
  SiteModel model;
  host.SetModel(1, &model);
  {
    CTestThread runner(host, station.Record(), station.Items(), model, 1, 1);
    runner.StartSite(1, 0);
    ASSERT_TRUE(host.WaitForRuns(1, 1));
  }
  const port::clock::LocalTime now = port::clock::NowLocal();
  const std::string file = station.Root() + port::Format("/Log/ListLogTime/%04d/%02d/1.txt", now.year, now.month);
  const std::string text = qrv::test::ReadFile(file);
  ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 2);
}

TEST(SiteItemTimeLog, ATimeLogThatCannotBeOpenedLosesItsLineWithoutAWord) {
  TestStation station;
  station.LoadItem("TestItemA.dll");
  FakeSiteHost host(station.ErrorCodePath());
  host.listLogFolder = station.Root();
  host.Register(1, {{"TestItemA.dll", 1}});
  SiteModel model;
  host.SetModel(1, &model);
  const port::clock::LocalTime now = port::clock::NowLocal();
  std::filesystem::create_directories(
      station.Root() + port::Format("/Log/ListLogTime/%04d/%02d/1.txt", now.year, now.month));
  {
    CTestThread runner(host, station.Record(), station.Items(), model, 1, 1);
    runner.StartSite(1, 0);
    ASSERT_TRUE(host.WaitForRuns(1, 1));
  }
  EXPECT_EQ(model.Label(), "PASS");
  for (const std::string& line : TestStation::LogLines(1))
    EXPECT_EQ(line.find("time log"), std::string::npos) << line;
}

TEST_F(SiteItemLoopRuns, LotTotalPassedToTheItemIsTheCountBeforeThisRun) {
  host.Register(0, {{"TestItemA.dll", 1}});
  model.SetCounts({41, 40, 1});
  CTestThread runner(host, station.Record(), station.Items(), model, 0, 0);
  RunAgain(host, runner, 1);
  EXPECT_EQ(station.ItemA().LastLotTotal(0), 41);
  EXPECT_EQ(model.Counts().total, 42);
}

}  // namespace
