// One 4000x3000 RAW10 frame grabbed through hardware library, facade, board library, driver interface and
// simulator, against a plain memcpy of the same number of bytes; the ratio is printed at the end.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>

#include "EncapsulationTable.h"
#include "qrv_test/test_station.h"

namespace {

using namespace hw_test;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr std::size_t kBytes = static_cast<std::size_t>(kWidth) * kHeight * 2;

struct Stack {
  Stack() {
    ::setenv("QRV_SIM_BOARDS", "1", 1);
    station = std::make_unique<TestStation>("bench", "");
    std::filesystem::copy_file(std::string(QRV_SOURCE_DIR) + "/app/station/Ref/Init_Model/Register.ini",
                               station->ModelFile("Register.ini"));
    std::filesystem::copy_file(std::string(QRV_SOURCE_DIR) + "/app/station/Ref/Init_Model/Sensor.ini",
                               station->ModelFile("Sensor.ini"));
    record = std::make_unique<TestRecord>(station->Root(), 1);
    hardware = std::make_unique<LoadedHardware>(*station, record->get());
    HardwareFunctionTable& t = *hardware->table();
    ok = t.PowerUpSequence(0, 0, 1) == 1 && t.RegisterSet(0, 0, "[REGISTER]") == 1 &&
         t.GetPCI()->LVDS_SetResolution(0, kWidth, kHeight) == 1 && t.GetPCI()->LVDS_Start(0) == 1;
  }
  std::unique_ptr<TestStation> station;
  std::unique_ptr<TestRecord> record;
  std::unique_ptr<LoadedHardware> hardware;
  bool ok = false;
};

double grabSeconds = 0;
double copySeconds = 0;

void BM_GrabThroughStack(benchmark::State& state) {
  static Stack stack;
  if (!stack.ok) {
    state.SkipWithError("the simulated module did not come up");
    return;
  }
  std::vector<unsigned char> frame(kBytes);
  for (auto _ : state) {
    if (stack.hardware->table()->GetImage(0, frame.data(), static_cast<int>(frame.size())) != 1) {
      state.SkipWithError("grab failed");
      break;
    }
    benchmark::DoNotOptimize(frame.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

void BM_PlainCopy(benchmark::State& state) {
  std::vector<unsigned char> from(kBytes, 0x5A);
  std::vector<unsigned char> to(kBytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), kBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const double seconds = run.GetAdjustedRealTime() / 1e9;
      if (run.benchmark_name().find("GrabThroughStack") != std::string::npos) grabSeconds = seconds;
      if (run.benchmark_name().find("PlainCopy") != std::string::npos) copySeconds = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

BENCHMARK(BM_GrabThroughStack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (copySeconds > 0) std::cout << "stack grab / memcpy time ratio: " << grabSeconds / copySeconds << "\n";
  benchmark::Shutdown();
  return 0;
}
