// The sensor clock synthesiser and the module's IO level.
#include <array>
#include <cmath>

#include "PCI_LX40.h"
#include "board_exports.h"
#include "board_state.h"
#include "dio_pins.h"
#include "trace.h"

namespace {

constexpr double kReferenceMhz = 31.98;
constexpr double kVcoMinMhz = 2080.0;
constexpr uint8_t kPllSlave = 0xAA;
constexpr uint8_t kIoLevelDacSlave = 0x4C;

struct VcoBandRow {
  double upTo;
  uint8_t band;
};
constexpr std::array<VcoBandRow, 5> kVcoBand = {{{65.259980246, 0x22},
                                                  {67.859763463, 0x23},
                                                  {72.937624981, 0x33},
                                                  {75.843265046, 0x34},
                                                  {78.173858662, 0x44}}};

// Rounding can leave the lowest multiplier a hair under its bound; it still belongs to the first row.
// A multiplier past the last row has no band: such frequencies are refused.
int BandOf(double m) {
  for (const VcoBandRow& row : kVcoBand) {
    if (m <= row.upTo) return row.band;
  }
  return -1;
}

int32_t ProgramSynthesiser(int32_t board, double mhz) {
  const double c = kVcoMinMhz / (mhz * 1022.0);
  int d = 0;
  int p = 1;
  for (int code = 0; code <= 5; ++code) {
    if (c < (1 << code)) {
      d = code;
      p = 1 << code;
      break;
    }
  }
  const double n0 = kVcoMinMhz / (p * mhz);
  long n = static_cast<long>(std::ceil(n0));
  if (n % 2) ++n;
  const double m = p * n * mhz / kReferenceMhz;
  const int band = BandOf(m);
  if (band < 0 || n > 1023) return 0;
  const uint32_t i = static_cast<uint32_t>(m);
  const uint32_t f = static_cast<uint32_t>((m - i) * 536870912.0) & 0x1FFFFFFF;
  const uint8_t first[2] = {0x00, static_cast<uint8_t>(band)};
  const uint8_t block[8] = {5,
                            static_cast<uint8_t>(f),
                            static_cast<uint8_t>(f >> 8),
                            static_cast<uint8_t>(f >> 16),
                            static_cast<uint8_t>(((f >> 24) & 0x1F) | ((i & 0x7) << 5)),
                            static_cast<uint8_t>((i >> 3) & 0x3F),
                            static_cast<uint8_t>(n),
                            static_cast<uint8_t>(((n >> 8) & 0x3) | (d << 4))};
  const int32_t r1 = PCI_I2C_PLL_Write(board, kPllSlave, 2, first);
  pSleep(10);
  const int32_t r2 = PCI_I2C_PLL_Write(board, kPllSlave, 8, block);
  return 1 & r1 & r2;
}

}  // namespace

int32_t VKL_CLK_Set(int32_t board, double mhz) {
  const board::TraceTimer timer;
  const int32_t result = mhz > 0 ? ProgramSynthesiser(board, mhz) : PCI_CLK_Off(board);
  TRACE(timer, TRACE_F3, board, mhz, result);
  return result;
}

int32_t VKL_CLK_Off(int32_t board, int32_t value) {
  const board::TraceTimer timer;
  const int32_t result = VKL_CLK_Set(board, 0);
  TRACE(timer, TRACE_F2, board, value, result);
  return result;
}

int32_t VKL_CLK_Select(int32_t board, int32_t source) {
  const board::TraceTimer timer;
  const int32_t result = PCI_I2C_PLL_Select(board, source);
  TRACE(timer, TRACE_F2, board, source, result);
  return result;
}

int32_t VKL_IOlevel_Set(int32_t board, float volts) {
  if (!board::IsBoardIndex(board)) return 0;
  const board::TraceTimer timer;
  int code = 0;
  const bool on = volts >= 1.0f && volts <= 3.3f;
  if (on) {
    code = static_cast<int>((3.35f - volts) / 0.05f * 11.91f + 91.0f + 0.5f) & 0x3FF;
    const uint8_t message[2] = {static_cast<uint8_t>(code), static_cast<uint8_t>(code >> 8)};
    const int32_t dac = PCI_I2C_DAC_Write(board, kIoLevelDacSlave, 2, message);
    if (dac != 1) {
      TRACE(timer, TRACE_F4_DAC, board, static_cast<double>(volts), dac);
      return dac;
    }
  }
  // The gate follows the requested level even when the enable pin then fails: the sensor-bus calls that
  // follow fail at the board and say so.
  board::SetIoLevelOn(board, on);
  const int32_t result = board::WriteDioPin(board, board::kIoLevelEnablePin, on ? 1 : 0);
  TRACE(timer, TRACE_F4, board, static_cast<double>(volts), code, result);
  return result;
}
