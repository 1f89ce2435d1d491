#pragma once
// Fixture: the module's actuator controller supplied and out of reset on board 0.
#include <string>
#include <vector>

#include "board_fixture.h"

class McuTest : public BoardApi {
 protected:
  void SetUp() override {
    BoardApi::SetUp();
    ASSERT_EQ(VKL_MCU_PWR_On_Off(0, 1), 1);
    ASSERT_EQ(VelkaraSim_McuState(0), 2);
    VelkaraSim_ClearEvents();
  }

  static constexpr int kMcu7 = 0xB0 >> 1;

  // Writes the board made on the MCU bus to the controller (register bytes first).
  static std::vector<std::vector<uint8_t>> McuWrites(int board = 0, int address7 = kMcu7) {
    std::vector<std::vector<uint8_t>> out;
    for (const VelkaraSimEvent& e : Events(kSimEventI2cWrite, kSimBusMcu)) {
      if (e.board == board && e.address == address7) out.push_back(Bytes(e));
    }
    return out;
  }

  static bool RequestLineHigh(int board = 0) { return (VelkaraSim_DioLatch(board, 4) >> 1) & 1u; }

  static void SetWords(int id, const std::vector<uint16_t>& words, int board = 0) {
    std::vector<uint8_t> data;
    for (uint16_t w : words) {
      data.push_back(static_cast<uint8_t>(w >> 8));
      data.push_back(static_cast<uint8_t>(w));
    }
    VelkaraSim_SetMcuReply(board, 0x10, id, data.data(), static_cast<int>(data.size()));
  }
};
