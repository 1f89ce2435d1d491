// The module's actuator electronics reached straight over the sensor bus: the analogue front end's
// connectivity check and the stabilisation driver's step procedures.
#include <array>
#include <chrono>

#include "PCI_LX40.h"
#include "board_exports.h"
#include "board_state.h"
#include "mcu_sweep.h"
#include "port/clock.h"

namespace board {
namespace {

constexpr uint8_t kRequestDevice = 0xE8;
constexpr uint8_t kRecordDevice = 0xEA;
constexpr uint8_t kPlainCommandDevice = 0xEC;
constexpr uint8_t kTriggerDevice = 0x40;
constexpr uint32_t kValueRegister = 0x012A;
constexpr int32_t kStepCommandBytes = 5;
constexpr std::array<uint8_t, 4> kSetUp = {0x00, 0x0A, 0x00, 0x01};
constexpr std::array<uint8_t, 3> kTrigger = {0x01, 0x29, 0x01};
constexpr double kReadingScale = 3.42e-6;

bool Write(int32_t board, uint8_t slave, const uint8_t* data, int32_t length) {
  return PCI_I2C_SYS_Write(board, slave, 0, 0, length, data) == 1;
}

bool ReadRegister(int32_t board, uint8_t slave, uint32_t reg, uint8_t* out, int32_t length) {
  return PCI_I2C_SYS_Read(board, slave, 2, reg, length, out) == 1;
}

std::array<uint8_t, 4> ReadRequest(uint16_t kind) {
  return {0x00, 0x0B, static_cast<uint8_t>(kind >> 8), static_cast<uint8_t>(kind)};
}

// ---- front end ----

struct FrontEndValues {
  std::array<double, 3> channels{};
  std::array<double, 3> withOffsets{};
};

bool ReadWord(int32_t board, uint8_t slave, uint32_t reg, uint16_t& value) {
  uint8_t bytes[2] = {};
  if (!ReadRegister(board, slave, reg, bytes, 2)) return false;
  value = static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
  return true;
}

// Bit 11 is the sign of the 12-bit offset; the top four bits are not part of it.
int SignedOffset(uint16_t raw) {
  const int value = raw & 0x0FFF;
  return value & 0x0800 ? value - 4096 : value;
}

// 0: both read; -1: a channel failed; -2: an offset failed.
int ReadFrontEnd(int32_t board, uint8_t slave, FrontEndValues& values) {
  static constexpr uint32_t kChannels[3] = {554, 555, 556};
  static constexpr uint32_t kOffsets[3] = {463, 464, 465};
  for (int i = 0; i < 3; ++i) {
    uint16_t raw = 0;
    if (!ReadWord(board, slave, kChannels[i], raw)) return -1;
    values.channels[i] = raw * kReadingScale;
  }
  for (int i = 0; i < 3; ++i) {
    uint16_t raw = 0;
    if (!ReadWord(board, slave, kOffsets[i], raw)) return -2;
    values.withOffsets[i] = values.channels[i] - SignedOffset(raw);
  }
  return 0;
}

// A dead front end reads 0 before the writes: its ratio is 0, never an infinity or NaN that slips
// past a limit check.
double Ratio(double after, double before) { return before == 0.0 ? 0.0 : after / before; }

// ---- step procedures ----

bool SendStep(int32_t board, const uint8_t* command, int first, int32_t& failure) {
  if (first) {
    if (!Write(board, kRequestDevice, kSetUp.data(), 4)) return (failure = -1), false;
    if (!Write(board, kRecordDevice, command, kStepCommandBytes)) return (failure = -2), false;
  } else if (!Write(board, kPlainCommandDevice, command, kStepCommandBytes)) {
    return (failure = -2), false;
  }
  return true;
}

}  // namespace
}  // namespace board

int32_t VKL_MCU_AFE_sensor_connectivity_checks(int32_t board, int32_t slave7, int32_t mode, double* ratio1,
                                               double* ratio2, double* ratio3, double* ratio4, double* ratio5,
                                               double* ratio6) {
  double* ratios[6] = {ratio1, ratio2, ratio3, ratio4, ratio5, ratio6};
  for (double* r : ratios) {
    if (!r) return 0;
  }
  const uint8_t slave = static_cast<uint8_t>(slave7 * 2);
  uint16_t unused = 0;
  for (uint32_t reg : {552u, 553u, 557u}) {
    if (!board::ReadWord(board, slave, reg, unused)) return -1;
  }
  board::FrontEndValues before;
  if (board::ReadFrontEnd(board, slave, before) != 0) return -1;
  static constexpr uint8_t kSetUpWrites[5][4] = {
      {0x00, 0x40, 0x00, 0x3D}, {0x00, 0x41, 0x00, 0x3D}, {0x00, 0x42, 0x00, 0x48}, {0x00, 0x49, 0x06, 0x01},
      {0x00, 0x42, 0x00, 0x5D}};
  const int writes = mode == 1 ? 4 : 5;
  for (int i = 0; i < writes; ++i) {
    if (!board::Write(board, slave, kSetUpWrites[i], 4)) return -2;
  }
  board::FrontEndValues after;
  const int read = board::ReadFrontEnd(board, slave, after);
  if (read != 0) return read == -1 ? -3 : -4;
  for (int i = 0; i < 3; ++i) {
    *ratios[i] = board::Ratio(after.channels[i], before.channels[i]);
    *ratios[3 + i] = board::Ratio(after.withOffsets[i], before.withOffsets[i]);
  }
  return 1;
}

int32_t VKL_MCU_CL_OIS_Step(int32_t board, const uint8_t* command, uint8_t* record, int32_t first, uint16_t kind,
                            int32_t waitMs) {
  const int size = board::SweepRecordSize(kind);
  if (!size || !command || !record) return 0;
  int32_t failure = 0;
  if (!board::SendStep(board, command, first, failure)) return failure;
  if (waitMs) port::clock::Sleep(std::chrono::milliseconds(waitMs));
  const auto request = board::ReadRequest(kind);
  if (!board::Write(board, board::kRequestDevice, request.data(), 4)) return -3;
  if (PCI_I2C_SYS_Read(board, board::kRecordDevice, 0, 0, size, record) != 1) return -4;
  return 1;
}

int32_t VKL_MCU_CL_OIS_Step_2(int32_t board, const uint8_t* command, uint8_t* record, uint8_t* value, int32_t first,
                              uint16_t kind, int32_t waitMs) {
  const int size = board::SweepRecordSize(kind);
  if (!size || !command || !record || !value) return 0;
  int32_t failure = 0;
  if (!board::SendStep(board, command, first, failure)) return failure;
  if (!board::Write(board, board::kTriggerDevice, board::kTrigger.data(), 3)) return -5;
  if (waitMs) port::clock::Sleep(std::chrono::milliseconds(waitMs));
  const auto request = board::ReadRequest(kind);
  if (!board::Write(board, board::kRequestDevice, request.data(), 4)) return -3;
  if (PCI_I2C_SYS_Read(board, board::kRecordDevice, 0, 0, size, record) != 1) return -4;
  if (!board::ReadRegister(board, board::kTriggerDevice, board::kValueRegister, value, 2)) return -6;
  return 1;
}

int32_t VKL_MCU_CL_OIS_Read_Only(int32_t board, uint8_t* record, uint8_t* value, uint16_t kind) {
  const int size = board::SweepRecordSize(kind);
  if (!size || !record || !value) return 0;
  if (!board::Write(board, board::kTriggerDevice, board::kTrigger.data(), 3)) return -1;
  const auto request = board::ReadRequest(kind);
  if (!board::Write(board, board::kRequestDevice, request.data(), 4)) return -2;
  if (PCI_I2C_SYS_Read(board, board::kRecordDevice, 0, 0, size, record) != 1) return -3;
  if (!board::ReadRegister(board, board::kTriggerDevice, board::kValueRegister, value, 2)) return -4;
  return 1;
}
