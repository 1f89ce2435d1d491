// Every numeric key of Sensor.ini that the grab, play and pool paths read, set to 0, -1, 2147483647 and a
// text: a site's test of the simulated-module item, the frame-buffer pool item, a play run, a live grab and
// the panel's grab, on the simulated boards. Each case runs in a child process whose address space may grow
// by a bounded amount only, so a buffer sized by the file ends the child (and fails the case) instead of
// taking the machine's memory. Each path must end with its own line; nothing may abort. The setup dialog's
// runs refuse only a picture past the limit; a size of 0 shows its size lines, and the grabs go on and fail.
#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <sstream>

#include "QRV_ItemContract.h"
#include "qrv_test/bounded_child.h"
#include "qrv_test/set_log_capture.h"
#include "qrv_test/test_application.h"
#include "sim_fixture.h"

namespace {

using namespace hw_test;

// How much the child's address space may grow past what it has when it starts. A refused size takes
// nothing; an accepted 640 x 480 run takes a few megabytes.
constexpr long kGrowthMiB = 1024;
constexpr long kGrowthKiB = 512 * 1024;
constexpr unsigned kChildSeconds = 60;

// What a child saw, one number per path.
struct Outcome {
  int site = -1;           // the site's test's code
  int siteSizeLine = 0;    // its size check's line
  int pool = -1;           // the pool item's code
  int poolSizeLine = 0;
  int playChecks = 0;      // "Image Size Check" lines of the play run
  int playLimits = 0;      // "Image Size Limit" lines of the play run
  int playStarted = 0;     // "HW Play START" lines
  int liveChecks = 0;
  int liveLimits = 0;
  int liveFails = 0;       // failed grabs of the live grab
  int grabChecks = 0;
  int grabLimits = 0;
  int grabFails = 0;
  int grab = -1;

  std::string Text() const {
    std::ostringstream out;
    out << site << ' ' << siteSizeLine << ' ' << pool << ' ' << poolSizeLine << ' ' << playChecks << ' '
        << playLimits << ' ' << playStarted << ' ' << liveChecks << ' ' << liveLimits << ' ' << liveFails << ' '
        << grabChecks << ' ' << grabLimits << ' ' << grabFails << ' ' << grab;
    return out.str();
  }
  static Outcome Parse(const std::string& text) {
    Outcome o;
    std::istringstream in(text);
    in >> o.site >> o.siteSizeLine >> o.pool >> o.poolSizeLine >> o.playChecks >> o.playLimits >> o.playStarted >>
        o.liveChecks >> o.liveLimits >> o.liveFails >> o.grabChecks >> o.grabLimits >> o.grabFails >> o.grab;
    return o;
  }
};

// Which of the four values a path refuses for a key.
enum class Refused { Never, Always, NegativeOrHuge };

bool RefusesValue(Refused refused, const std::string& value) {
  switch (refused) {
    case Refused::Never: return false;
    case Refused::Always: return true;
    case Refused::NegativeOrHuge: return value == "2147483647" || value == "-1";
  }
  return false;
}

// What a key sizes in the setup dialog's runs.
enum class Sizes {
  Nothing,
  Pair,       // a number of the selected pairs, and of the conversion where the pair is NORMAL
  PlayLines,  // lines a play run's frames carry
};

// How a run takes the sizes a value gives.
enum class Take { Fits, Empty, Negative, PastLimit };

Take TakeOf(Sizes sizes, const std::string& value, bool play) {
  if (sizes == Sizes::Nothing || (sizes == Sizes::PlayLines && !play)) return Take::Fits;
  if (value == "2147483647") return Take::PastLimit;
  if (sizes == Sizes::PlayLines) return Take::Fits;
  return value == "-1" ? Take::Negative : Take::Empty;
}

struct Row {
  const char* section;
  const char* key;
  int drawType;        // the "Type In" and "Type Out" selection of the case
  Refused site;        // the site's test: code 104 with its size line
  Refused pool;        // the pool item: not made, with its size line
  Sizes sizes;         // the play run, the live grab and the panel's grab
  bool waits = false;  // a time the grabs wait, not a size: 2147483647 ms is waited as the file asks
};

// A case names its key.
void PrintTo(const Row& row, std::ostream* out) { *out << row.key; }

constexpr Refused N = Refused::Never, A = Refused::Always, NH = Refused::NegativeOrHuge;
constexpr Sizes S0 = Sizes::Nothing, SP = Sizes::Pair, SL = Sizes::PlayLines;

const Row kRows[] = {
    {"SENSOR_SET", "QRV_SENSOR_IN_DRAW_TYPE", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_OUT_DRAW_TYPE", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_CEMERA_INDEX", 0, N, N, S0},
    // Bits other than 8, 10 and 12 are no stream the item reads.
    {"SENSOR_SET", "QRV_SENSOR_DATA_BIT", 0, A, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_OUT_MODE", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_I2CMODE", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_MIPIMODE", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_DPLANE", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_DPLANE2", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_DPSPEED", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_I2CSPEED", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_RESET", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_ENB", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_SLAVEADDR", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_LANE_SELECT", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_LANE_FORMAT", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_VSYNC", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_VCLK", 0, N, N, S0},
    {"SENSOR_SET", "VS_DELAY", 0, N, N, S0},
    // The play run's frames carry the offset's lines.
    {"SENSOR_SET", "QRV_SENSOR_SIZE_OFFSET", 0, N, N, SL},
    {"SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_X", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_Y", 0, N, N, S0},
    {"SENSOR_SET", "QRV_SENSOR_TIME_OUT", 0, N, N, S0, true},
    // A sensor of no size gets a pool of empty frames.
    {"SENSOR_SET", "QRV_SENSOR_SIZE_X", 0, A, NH, SP},
    {"SENSOR_SET", "QRV_SENSOR_SIZE_Y", 0, A, NH, SP},
    {"SENSOR_SET", "QRV_SENSOR_SIZE_RAW_X", 1, N, N, SP},
    {"SENSOR_SET", "QRV_SENSOR_SIZE_RAW_Y", 1, N, N, SP},
    {"SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_X", 2, N, N, SP},
    {"SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_Y", 2, N, N, SP},
    {"SENSOR_SET", "QRV_SENSOR_SIZE_FULL_X", 3, N, N, SP},
    {"SENSOR_SET", "QRV_SENSOR_SIZE_FULL_Y", 3, N, N, SP},
    {"SENSOR_SET", "LinkRetry", 0, N, N, S0},
    {"SENSOR_TEST", "CRC_DUMMYFRAME", 0, N, N, S0},
    {"SENSOR_TEST", "CRC_AVGFRAME", 0, N, N, S0},
};

const char* const kValues[] = {"0", "-1", "2147483647", "abc"};

// An entry of a loaded item, by name.
template <typename Fn>
Fn ItemEntry(void* module, const char* name) {
  return reinterpret_cast<Fn>(dlsym(module, name));
}

// The image library's entries that the two items use, as a library that draws nowhere.
class ItemBinder : public FakeBinder {
 public:
  ItemBinder() {
    binder()->SetUserMemory = [](void*, const char*) {};
    binder()->GetUserMemory = [](const char*) -> void* { return nullptr; };
    binder()->Convert_MIPIRaw10_To_Raw8 = [](const unsigned char*, unsigned char*, int, int) {};
    binder()->Convert_MIPIRaw12_To_Raw8 = [](const unsigned char*, unsigned char*, int, int) {};
    binder()->Convert_Raw8_To_Bmp = [](const unsigned char*, unsigned char*, int, int, int) {};
    binder()->OnSaveImageDC = [](const char*, int) { return 1; };
  }
};

int CountPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
  return static_cast<int>(
      std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

// Loads an item, runs its test on site A and unloads it; the code, and whether a site line began with `line`.
int RunItem(const char* file, ItemBinder& binder, HardwareFunctionTable* table, CQRV_LoadMemory* record,
            const std::string& line, int& sawLine) {
  void* item = dlopen(file, RTLD_NOW | RTLD_LOCAL);
  if (!item) return -2;
  ItemEntry<Item_OnCreate_Fn>(item, "Item_OnCreate")(binder.binder(), table, nullptr, record);
  const int code = ItemEntry<OnTest_Fn>(item, "OnTest")(0, 0, 0, 0);
  ItemEntry<Item_OnDelete_Fn>(item, "Item_OnDelete")();
  dlclose(item);
  std::vector<std::string> lines;
  for (const qrv::test::SetLogLine& l : qrv::test::TakeCapturedSetLog()) lines.push_back(l.text);
  sawLine = CountPrefix(lines, line) > 0 ? 1 : 0;
  return code;
}

// The items through the library's table, as the station runs them.
void RunItems(const TestStation& station, TestRecord& record, Outcome& o) {
  ItemBinder binder;
  LoadedHardware hardware(station, record.get());
  if (!hardware.table()) return;
  o.site = RunItem(SIM_MODULE_ITEM_FILE, binder, hardware.table(), record.get(), "[ModuleTest] Fail : sensor size",
                   o.siteSizeLine);
  o.pool = RunItem(INIT_MEMORY_ITEM_FILE, binder, hardware.table(), record.get(), "InitMemoryItem : sensor size",
                   o.poolSizeLine);
}

bool WaitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 60000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

// The setup dialog's workers and the panel's grab on the controller.
void RunWorkers(TestRecord& record, Outcome& o) {
  ResetLoadedSimBoards();
  FakeBinder binder;
  hw::HardwareController controller(binder.binder(), record.get());
  hw::PlayWorkers& workers = controller.Workers();
  const std::string check = "Image Size Check : m_nInWidth", limit = "Image Size Limit : ";
  const std::string fail = "USB ID [0] [LVDS_GetFrame_Mul] :: FAIL";
  // The lines a step added to the dialog's log.
  std::size_t seen = 0;
  const auto added = [&] {
    const std::vector<std::string> log = controller.State().LogLines();
    const std::vector<std::string> lines(log.begin() + static_cast<std::ptrdiff_t>(std::min(seen, log.size())),
                                         log.end());
    seen = log.size();
    return lines;
  };
  if (!workers.StartPlay(0, 0, false) || !WaitUntil([&] { return !workers.PlayRunning(); })) return;
  std::vector<std::string> lines = added();
  o.playChecks = CountPrefix(lines, check);
  o.playLimits = CountPrefix(lines, limit);
  o.playStarted = CountPrefix(lines, "HW Play START");
  if (!workers.StartLive(0, 0)) return;
  workers.StopLive();
  if (!WaitUntil([&] { return !workers.LiveRunning(); })) return;
  lines = added();
  o.liveChecks = CountPrefix(lines, check);
  o.liveLimits = CountPrefix(lines, limit);
  o.liveFails = CountPrefix(lines, fail);
  o.grab = workers.GrabOneFrame(0, 0);
  lines = added();
  o.grabChecks = CountPrefix(lines, check);
  o.grabLimits = CountPrefix(lines, limit);
  o.grabFails = CountPrefix(lines, fail);
}

class SettingsSizeTable : public ::testing::TestWithParam<Row> {
 protected:
  static void SetUpTestSuite() {
    boards_ = new qrv::test::ScopedEnv("QRV_SIM_BOARDS", "2");
    station_ = new TestStation("size_table", "");
  }
  static void TearDownTestSuite() {
    delete station_;
    delete boards_;
  }
  // The simulated-module model's settings with one value changed, and the case's size pairs selected.
  static void WriteSensor(const Row& row, const char* value) {
    const std::string model = std::string(QRV_SOURCE_DIR) + "/app/station/Ref/Sim_Model/";
    for (const char* file : {"Sensor.ini", "Register.ini"})
      std::filesystem::copy_file(model + file, station_->ModelFile(file),
                                 std::filesystem::copy_options::overwrite_existing);
    const std::string sensor = station_->ModelFile("Sensor.ini");
    const std::string type = std::to_string(row.drawType);
    port::ini::WriteString(sensor, "SENSOR_SET", "QRV_SENSOR_IN_DRAW_TYPE", type.c_str());
    port::ini::WriteString(sensor, "SENSOR_SET", "QRV_SENSOR_OUT_DRAW_TYPE", type.c_str());
    // One frame a capture: the cases are about the sizes, not the counts.
    port::ini::WriteString(sensor, "AGING", "CAPTURE_COUNT", "1");
    port::ini::WriteString(sensor, "MODULE_TEST", "FrameCount", "1");
    port::ini::WriteString(sensor, row.section, row.key, value);
  }

  // The station's settings as written, in a bounded child: the site's test and the pool item when `items`,
  // then the play run, the live grab and the panel's grab; the outcome comes back as the child's report.
  static qrv::test::BoundedRun RunCase(bool items) {
    return qrv::test::RunBoundedReport(
        [items] {
          qrv::test::TestApplication();
          const port::clock::VirtualTimeScope virtualTime;
          TestRecord record(station_->Root(), 2);
          Outcome o;
          qrv::test::TakeCapturedSetLog();
          if (items) RunItems(*station_, record, o);
          RunWorkers(record, o);
          return o.Text();
        },
        kChildSeconds, kGrowthMiB);
  }

  static qrv::test::ScopedEnv* boards_;
  static TestStation* station_;
};

qrv::test::ScopedEnv* SettingsSizeTable::boards_ = nullptr;
TestStation* SettingsSizeTable::station_ = nullptr;

TEST_P(SettingsSizeTable, EveryPathEndsWithItsLineAndMemoryStaysBounded) {
  const Row& row = GetParam();
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  for (const char* value : kValues) {
    if (row.waits && std::string(value) == "2147483647") continue;
    const std::string what = std::string("[") + row.section + "] " + row.key + "=" + value;
    WriteSensor(row, value);
    const qrv::test::BoundedRun run = RunCase(true);
    ASSERT_TRUE(run.exited) << what << ": the child died of signal " << run.status;
    ASSERT_EQ(run.status, 0) << what;
    EXPECT_LT(run.peakKiB - self.ru_maxrss, kGrowthKiB) << what;
    const Outcome o = Outcome::Parse(run.report);
    const bool site = RefusesValue(row.site, value), pool = RefusesValue(row.pool, value);
    const Take play = TakeOf(row.sizes, value, true), grabs = TakeOf(row.sizes, value, false);
    if (site) {
      EXPECT_EQ(o.site, 104) << what;
      EXPECT_EQ(o.siteSizeLine, 1) << what;
    } else {
      EXPECT_GE(o.site, 0) << what;
      EXPECT_EQ(o.siteSizeLine, 0) << what;
    }
    EXPECT_EQ(o.pool, pool ? 1 : 0) << what;
    EXPECT_EQ(o.poolSizeLine, pool ? 1 : 0) << what;
    // A play run takes the sizes twice: a size of 0 shows its two check lines each time, a picture past the
    // limit its limit line; either runs no cycle. A negative size starts the cycles like a fitting one.
    EXPECT_EQ(o.playChecks, play == Take::Empty ? 2 : 0) << what;
    EXPECT_EQ(o.playLimits, play == Take::PastLimit ? 2 : 0) << what;
    if (play == Take::Empty || play == Take::PastLimit) {
      EXPECT_EQ(o.playStarted, 0) << what;
    } else {
      EXPECT_GE(o.playStarted, 1) << what;
    }
    // The grabs refuse only a picture past the limit; a size of 0 or less grabs no bytes and fails with its line.
    EXPECT_EQ(o.liveChecks, grabs == Take::Empty ? 1 : 0) << what;
    EXPECT_EQ(o.grabChecks, grabs == Take::Empty ? 1 : 0) << what;
    EXPECT_EQ(o.liveLimits, grabs == Take::PastLimit ? 1 : 0) << what;
    EXPECT_EQ(o.grabLimits, grabs == Take::PastLimit ? 1 : 0) << what;
    if (grabs == Take::PastLimit) {
      EXPECT_EQ(o.liveFails, 0) << what;
      EXPECT_EQ(o.grabFails, 0) << what;
    }
    if (grabs == Take::Empty || grabs == Take::Negative) {
      EXPECT_GE(o.liveFails, 1) << what;
      EXPECT_EQ(o.grabFails, 1) << what;
    }
    if (grabs != Take::Fits) {
      EXPECT_EQ(o.grab, 0) << what;
    }
  }
}

// A negative height and a negative offset far from it add up below an int: the play run and the grabs take no
// lines instead of overflowing, and end as a negative size does.
TEST_F(SettingsSizeTable, ANegativeHeightWithANegativeOffsetTakesNoLines) {
  WriteSensor({"SENSOR_SET", "QRV_SENSOR_SIZE_Y", 0, N, N, SP}, "-2147483647");
  port::ini::WriteString(station_->ModelFile("Sensor.ini"), "SENSOR_SET", "QRV_SENSOR_SIZE_OFFSET", "-2147483647");
  const qrv::test::BoundedRun run = RunCase(false);
  ASSERT_TRUE(run.exited) << "the child died of signal " << run.status;
  ASSERT_EQ(run.status, 0);
  const Outcome o = Outcome::Parse(run.report);
  EXPECT_GE(o.playStarted, 1);
  EXPECT_EQ(o.playLimits, 0);
  EXPECT_EQ(o.grabFails, 1);
}

INSTANTIATE_TEST_SUITE_P(SensorIni, SettingsSizeTable, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.key); });

}  // namespace
