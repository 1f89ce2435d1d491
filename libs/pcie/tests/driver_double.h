#pragma once
// A stand-in for the XDMA driver's node files that keeps the driver's rules, with simulated board N behind
// "/dev/xdma<N>", and a fixture that binds board 0 through it.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "PCI_LX40.h"
#include "VelkaraSim.h"
#include "board_slots.h"
#include "node.h"
#include "port/clock.h"

namespace driver_double {

// Transfers that broke the driver's rules since the counter was last reset.
inline std::atomic<int> g_ruleBreaks{0};

// The driver's register device: one aligned 32-bit word per call and four bytes copied whatever the
// count, so a shorter buffer is overrun and a longer transfer moves only its first word.
class DriverRulesNode : public pcie::Node {
 public:
  long ReadAt(void* buffer, size_t count, uint64_t offset) override {
    if (!Aligned(count, offset)) return -1;
    uint32_t word = 0;
    if (ReadWord(word, offset) != 4) return -1;
    std::memcpy(buffer, &word, 4);
    return 4;
  }
  long WriteAt(const void* data, size_t count, uint64_t offset) override {
    if (!Aligned(count, offset)) return -1;
    uint32_t word = 0;
    std::memcpy(&word, data, 4);
    return WriteWord(word, offset);
  }

 protected:
  virtual long ReadWord(uint32_t& word, uint64_t offset) = 0;
  virtual long WriteWord(uint32_t word, uint64_t offset) = 0;

 private:
  static bool Aligned(size_t count, uint64_t offset) {
    if (count != 4) ++g_ruleBreaks;
    if (offset % 4 == 0) return true;
    ++g_ruleBreaks;
    errno = EPROTO;
    return false;
  }
};

// A simulated board's register space behind the driver's rules.
class SimRegisterDevice final : public DriverRulesNode {
 public:
  explicit SimRegisterDevice(int handle) : handle_(handle) {}
  ~SimRegisterDevice() override { VelkaraSim_NodeClose(handle_); }

 private:
  long ReadWord(uint32_t& word, uint64_t offset) override { return VelkaraSim_NodeRead(handle_, 0, &word, 4, offset); }
  long WriteWord(uint32_t word, uint64_t offset) override { return VelkaraSim_NodeWrite(handle_, 0, &word, 4, offset); }
  int handle_;
};

// DMA nodes stream any length; they pass straight to the simulated board.
class SimStreamDevice final : public pcie::Node {
 public:
  explicit SimStreamDevice(int handle) : handle_(handle) {}
  ~SimStreamDevice() override { VelkaraSim_NodeClose(handle_); }
  long ReadAt(void* buffer, size_t count, uint64_t offset) override {
    return VelkaraSim_NodeRead(handle_, 0, buffer, count, offset);
  }
  long WriteAt(const void* data, size_t count, uint64_t offset) override {
    return VelkaraSim_NodeWrite(handle_, 0, data, count, offset);
  }

 private:
  int handle_;
};

// "/dev/xdma<N>_<node>" is served by simulated board N.
inline std::unique_ptr<pcie::Node> OpenDriverDouble(const std::string& path) {
  constexpr std::string_view prefix = "/dev/xdma";
  if (path.rfind(prefix, 0) != 0) {
    errno = ENOENT;
    return nullptr;
  }
  const int handle = VelkaraSim_NodeOpen(("sim:" + path.substr(prefix.size())).c_str());
  if (handle < 0) {
    errno = ENOENT;
    return nullptr;
  }
  if (path.ends_with("_user")) return std::make_unique<SimRegisterDevice>(handle);
  return std::make_unique<SimStreamDevice>(handle);
}

class RealBoardPath : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("QRV_SIM_BOARDS");
    unsetenv("QRV_SIM_FAULTS");
    VelkaraSim_Reset();
    port::clock::UseVirtualTime(true);
    previous_ = pcie::SetDriverNodeOpener(&OpenDriverDouble);
    pcie::DevicePathTable() = {"/dev/xdma0", "/dev/xdma1", "", ""};
    g_ruleBreaks = 0;
    ASSERT_EQ(PCI_LVDS_Init(0), 1);
    ASSERT_EQ(g_ruleBreaks, 0) << "identity read";
  }
  void TearDown() override {
    PCI_CloseDevice();
    pcie::DevicePathTable() = {};
    pcie::SetDriverNodeOpener(previous_);
    port::clock::UseVirtualTime(false);
  }
  // Board 0 powered and clocked, an 8-bit stream of 64 x height set, its geometry read back and the stream
  // started, as an item does before it grabs.
  static void StartStream(int height) {
    const uint8_t supply[3] = {0x30, 0x90, 0x20};
    ASSERT_EQ(PCI_I2C_PWR_Write(0, 0x1A, 3, supply), 1);
    const uint8_t level[2] = {0x67, 0x00};
    ASSERT_EQ(PCI_I2C_DAC_Write(0, 0x4C, 2, level), 1);
    ASSERT_EQ(PCI_DIO_Write(0, 1, 1u << 10), 1);
    const uint8_t pll[8] = {5, 0x9E, 0x21, 0x52, 0x41, 0x08, 0x58, 0x00};
    ASSERT_EQ(PCI_I2C_PLL_Write(0, 0xAA, 8, pll), 1);
    VelkaraSim_SetStream(0, 4, 0);
    ASSERT_EQ(PCI_LVDS_SetResolution(0, 64, height), 1);
    int32_t w = 0, h = 0;
    ASSERT_EQ(PCI_LVDS_GetResolution(0, &w, &h), 1);
    ASSERT_EQ(PCI_LVDS_Start(0), 1);
  }

 private:
  pcie::DriverNodeOpener previous_ = nullptr;
};

}  // namespace driver_double
