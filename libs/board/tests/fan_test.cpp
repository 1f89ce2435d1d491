// The fan's speed call, against driver entries of the test's own that record what reaches them and
// answer as told (this executable's definitions come before the driver library's).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QRV_BoardApi.h"

#define QRV_BOARD_API_DECLARE(name, result, params) extern "C" result name params;
QRV_BOARD_API(QRV_BOARD_API_DECLARE)
#undef QRV_BOARD_API_DECLARE

namespace {

std::vector<std::string> g_calls;
int32_t g_speedResult = 1;
int32_t g_frequencyResult = 1;

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t PCI_FAN_SetSpeed(int32_t board, int32_t speed) {
  g_calls.push_back("speed " + std::to_string(board) + " " + std::to_string(speed));
  return g_speedResult;
}

extern "C" __attribute__((visibility("default"))) int32_t PCI_FAN_SetFreq(int32_t board, int32_t frequency) {
  g_calls.push_back("frequency " + std::to_string(board) + " " + std::to_string(frequency));
  return g_frequencyResult;
}

namespace {

TEST(FanSpeed, SetsTheSpeedThenTheFrequencyAndCombinesBothResults) {
  struct Case {
    int32_t speed, frequency, result;
  };
  const Case cases[] = {{1, 1, 1}, {3, 1, 1}, {2, 1, 0}, {0, 1, 0}, {1, 0, 0}, {1, -4, 0}, {-4, 1, 0}};
  for (const Case& c : cases) {
    g_calls.clear();
    g_speedResult = c.speed;
    g_frequencyResult = c.frequency;
    EXPECT_EQ(VKL_FAN_SetSpeed(2, 70), c.result) << c.speed << " " << c.frequency;
    EXPECT_EQ(g_calls, (std::vector<std::string>{"speed 2 70", "frequency 2 10"}));
  }
}

}  // namespace
