#pragma once
// Fixture: simulated boards in virtual time, discovered and bound afresh for each test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "PCI_LX40.h"
#include "VelkaraSim.h"
#include "port/clock.h"

class SimBoards : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("QRV_SIM_BOARDS", "2", 1);
    unsetenv("QRV_SIM_FAULTS");
    VelkaraSim_Reset();
    port::clock::UseVirtualTime(true);
    ASSERT_GE(PCI_OpenDevice(), 2);
  }
  void TearDown() override {
    PCI_CloseDevice();
    port::clock::UseVirtualTime(false);
  }
  void Bind(int board) { ASSERT_EQ(PCI_LVDS_Init(board), 1); }

  // I2C writes the board saw, in order.
  static std::vector<VelkaraSimEvent> Events(int kind) {
    std::vector<VelkaraSimEvent> out;
    for (int i = 0; i < VelkaraSim_EventCount(); ++i) {
      VelkaraSimEvent e{};
      VelkaraSim_GetEvent(i, &e);
      if (e.kind == kind) out.push_back(e);
    }
    return out;
  }
  static std::vector<uint8_t> Bytes(const VelkaraSimEvent& e) { return {e.data, e.data + e.length}; }

  // Supplies, IO level and clock on, so the module answers.
  static void PowerModule(int board) {
    const uint8_t supply[3] = {0x30, 0x90, 0x20};
    ASSERT_EQ(PCI_I2C_PWR_Write(board, 0x1A, 3, supply), 1);
    const uint8_t level[2] = {0x67, 0x00};
    ASSERT_EQ(PCI_I2C_DAC_Write(board, 0x4C, 2, level), 1);
    ASSERT_EQ(PCI_DIO_Write(board, 1, 1u << 10), 1);
    const uint8_t pll[8] = {5, 0x9E, 0x21, 0x52, 0x41, 0x08, 0x58, 0x00};
    ASSERT_EQ(PCI_I2C_PLL_Write(board, 0xAA, 8, pll), 1);
  }
};
