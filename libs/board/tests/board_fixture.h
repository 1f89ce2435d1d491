#pragma once
// Fixture: two simulated boards opened and bound through the board API, in virtual time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "QRV_BoardApi.h"
#include "QRV_Types.h"
#include "VelkaraSim.h"
#include "port/clock.h"

#define QRV_BOARD_API_DECLARE(name, result, params) extern "C" result name params;
QRV_BOARD_API(QRV_BOARD_API_DECLARE)
#undef QRV_BOARD_API_DECLARE

class BoardApi : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("QRV_SIM_BOARDS", "2", 1);
    unsetenv("QRV_SIM_FAULTS");
    VelkaraSim_Reset();
    port::clock::UseVirtualTime(true);
    ASSERT_EQ(VKL_OpenDevice(), 2);
    ASSERT_EQ(VKL_LVDS_Init(0), 1);
    ASSERT_EQ(VKL_LVDS_Init(1), 1);
  }
  void TearDown() override {
    VKL_Program_PowerOffAll(0);
    VKL_Program_PowerOffAll(1);
    VKL_CloseDevice();
    port::clock::UseVirtualTime(false);
  }

  // The module's power-up as a station does it: supplies, IO level, clock.
  static void PowerUp(int board) {
    ASSERT_EQ(VKL_Program_PowerSetM(board, 0, 2.8f), 1);
    ASSERT_EQ(VKL_Program_PowerSetM(board, 1, 1.2f), 1);
    ASSERT_EQ(VKL_IOlevel_Set(board, 1.8f), 1);
    ASSERT_EQ(VKL_CLK_Set(board, 24.0), 1);
  }

  static std::vector<VelkaraSimEvent> Events(int kind, int bus = 0) {
    std::vector<VelkaraSimEvent> out;
    for (int i = 0; i < VelkaraSim_EventCount(); ++i) {
      VelkaraSimEvent e{};
      VelkaraSim_GetEvent(i, &e);
      if (e.kind == kind && (bus == 0 || e.bus == bus)) out.push_back(e);
    }
    return out;
  }
  static std::vector<uint8_t> Bytes(const VelkaraSimEvent& e) { return {e.data, e.data + e.length}; }
};
