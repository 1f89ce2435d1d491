#include "dio_pins.h"

#include <array>
#include <mutex>

#include "PCI_LX40.h"
#include "board_exports.h"
#include "board_state.h"
#include "trace.h"

namespace board {
namespace {

constexpr int kBanks = 8;
constexpr int kTableEntries = 32;
constexpr uint32_t kIndexLimit = 16;

// All eight exist from load, so two first users of a bank never race to create its lock.
std::mutex& BankLock(uint16_t bank) {
  static std::array<std::mutex, kBanks> locks;
  return locks[bank % kBanks];
}

constexpr std::array<DioPin, kTableEntries> MakeBoardPinTable() {
  std::array<DioPin, kTableEntries> table{};
  for (uint16_t i = 0; i < 4; ++i) {
    table[i] = {4, i, 1, 1};
    table[4 + i] = {4, i, 1, 1};
    table[8 + i] = {4, static_cast<uint16_t>(4 + i), 1, 1};
    table[12 + i] = {4, static_cast<uint16_t>(4 + i), 1, 1};
  }
  for (uint16_t i = 0; i < 16; ++i) table[16 + i] = {2, i, 1, 1};
  return table;
}
constexpr std::array<DioPin, kTableEntries> kBoardPinTable = MakeBoardPinTable();

// Switches a shared pin's direction when needed (direction bit 1 = input).
bool EnsureDirection(int32_t board, const DioPin& pin, bool input) {
  uint32_t directions = 0;
  if (PCI_DIO_GetDirection(board, pin.bank, &directions) != 1) return false;
  const uint32_t bit = 1u << pin.bit;
  const bool isInput = (directions & bit) != 0;
  if (isInput == input) return true;
  directions = input ? (directions | bit) : (directions & ~bit);
  return PCI_DIO_SetDirection(board, pin.bank, directions) == 1;
}

int WriteFamily(int32_t board, int first, int32_t index, int32_t level, const char* name) {
  if (static_cast<uint32_t>(index) > kIndexLimit) return -1;
  const DioPin* pin = BoardPin(first + index);
  if (!pin) return -1;
  const TraceTimer timer;
  const int32_t result = WriteDioPin(board, *pin, level != 0);
  if (TraceOn()) WriteDebugLog(TRACE_F5, timer.Ms(), name, board, index, level, result);
  return result;
}

int ReadFamily(int32_t board, int first, int32_t index, uint32_t* level, const char* name) {
  if (static_cast<uint32_t>(index) > kIndexLimit) return -1;
  const DioPin* pin = BoardPin(first + index);
  if (!pin || !level) return -1;
  const TraceTimer timer;
  const int32_t result = ReadDioPin(board, *pin, level);
  if (TraceOn()) WriteDebugLog(TRACE_F5, timer.Ms(), name, board, index, static_cast<int>(*level), result);
  return result;
}

int WriteFixed(int32_t board, const DioPin& pin, int32_t level, const char* name) {
  const TraceTimer timer;
  const int32_t result = WriteDioPin(board, pin, level != 0);
  if (TraceOn()) WriteDebugLog(TRACE_F2, timer.Ms(), name, board, level, result);
  return result;
}

}  // namespace

const DioPin* BoardPin(int entry) {
  return entry >= 0 && entry < kTableEntries ? &kBoardPinTable[static_cast<size_t>(entry)] : nullptr;
}

int ReadDioPin(int32_t board, const DioPin& pin, uint32_t* level) {
  if (!IsBoardIndex(board) || !level) return 0;
  std::lock_guard lock(BankLock(pin.bank));
  if (!pin.readable) return 0;
  if (pin.writable && !EnsureDirection(board, pin, true)) return 0;
  uint32_t levels = 0;
  if (PCI_DIO_Read(board, pin.bank, &levels) != 1) return 0;
  *level = (levels >> pin.bit) & 1u;
  return 1;
}

int MakeDioOutput(int32_t board, uint16_t bank, uint32_t bit) {
  if (!IsBoardIndex(board) || bit > 31) return 0;
  std::lock_guard lock(BankLock(bank));
  uint32_t directions = 0;
  if (PCI_DIO_GetDirection(board, bank, &directions) != 1 || (directions & (1u << bit)) == 0) return 0;
  return PCI_DIO_SetDirection(board, bank, directions & ~(1u << bit)) == 1 ? 1 : 0;
}

int WriteDioPin(int32_t board, const DioPin& pin, int on) {
  if (!IsBoardIndex(board)) return 0;
  std::lock_guard lock(BankLock(pin.bank));
  if (!pin.writable) return 0;
  if (pin.readable && !EnsureDirection(board, pin, false)) return 0;
  uint32_t latch = 0;
  // A latch that cannot be read back is never written: a guess would drive the other pins.
  if (PCI_DIO_GetWrite(board, pin.bank, &latch) != 1) return 0;
  const uint32_t bit = 1u << pin.bit;
  latch = on ? (latch | bit) : (latch & ~bit);
  return PCI_DIO_Write(board, pin.bank, latch) == 1 ? 1 : 0;
}

}  // namespace board

using board::ReadFamily;
using board::WriteFamily;
using board::WriteFixed;

int32_t VKL_GPIOWrite(int32_t board, int32_t index, int32_t level) { return WriteFamily(board, 0, index, level, __func__); }
int32_t VKL_GPIORead(int32_t board, int32_t index, uint32_t* level) { return ReadFamily(board, 4, index, level, __func__); }
int32_t VKL_GPIOWrite_OS(int32_t board, int32_t index, int32_t level) { return WriteFamily(board, 8, index, level, __func__); }
int32_t VKL_GPIORead_OS(int32_t board, int32_t index, uint32_t* level) { return ReadFamily(board, 12, index, level, __func__); }
int32_t VKL_GPIOWrite_Current(int32_t board, int32_t index, int32_t level) {
  return WriteFamily(board, board::kCurrentSwitchFirstEntry, index, level, __func__);
}
int32_t VKL_GPIORead_Current(int32_t board, int32_t index, uint32_t* level) {
  return ReadFamily(board, board::kCurrentSwitchFirstEntry, index, level, __func__);
}

int32_t VKL_SEN_EnablePin(int32_t board, int32_t level) { return WriteFixed(board, board::kSensorEnablePin, level, __func__); }
int32_t VKL_SEN_ResetPin(int32_t board, int32_t level) { return WriteFixed(board, board::kSensorResetPin, level, __func__); }
int32_t VKL_SEN_ExtPower(int32_t board, int32_t on) { return WriteFixed(board, board::kExternalPowerPin, on, __func__); }
int32_t VKL_GPIOWrite_SN(int32_t board, int32_t level) { return WriteFixed(board, board::kSerialNumberPin, level, __func__); }

int32_t VKL_BoardReset(int32_t board) {
  const board::TraceTimer timer;
  const int32_t result = board::WriteDioPin(board, board::kBoardResetPin, 1);
  TRACE(timer, TRACE_F1, board, result);
  return result;
}
