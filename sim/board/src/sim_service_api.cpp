// The C interface of the board services: the module's pins, the bench calibration, the eye opening,
// and what the flash, the serial EEPROM and the OIS sequencer hold.
#include <algorithm>
#include <cstring>

#include "sim_board.h"

using namespace velkarasim;

namespace {

bool IsPin(int pin) { return pin >= 1 && pin <= kModulePins; }

}  // namespace

void VelkaraSim_SetModulePin(int board, int pin, int state) {
  if (!IsPin(pin) || state < kPinGood || state > kPinShort) return;
  std::lock_guard lock(StateLock());
  ForBoards(board, [&](Board& b) { b.services.pins[static_cast<size_t>(pin)].state = state; });
}

void VelkaraSim_SetPinLeakage(int board, int pin, double countsPerVolt) {
  if (!IsPin(pin)) return;
  std::lock_guard lock(StateLock());
  ForBoards(board, [&](Board& b) { b.services.pins[static_cast<size_t>(pin)].leakageCountsPerVolt = countsPerVolt; });
}

void VelkaraSim_SetOsCalibration(int board, const double* coefficients) {
  if (!coefficients) return;
  std::lock_guard lock(StateLock());
  ForBoards(board, [&](Board& b) { std::copy_n(coefficients, 4, b.services.os.calibration.begin()); });
}

void VelkaraSim_SetEyeOpening(int board, int firstRow, int lastRow, int firstColumn, int lastColumn) {
  std::lock_guard lock(StateLock());
  ForBoards(board, [&](Board& b) {
    EyeScanState& eye = b.services.eye;
    eye.firstRow = firstRow;
    eye.lastRow = lastRow;
    eye.firstColumn = firstColumn;
    eye.lastColumn = lastColumn;
  });
}

int VelkaraSim_ReadFlash(int board, int rxSide, uint32_t offset, void* out, size_t count) {
  if (board < 0 || !out || offset > kFlashBytes || count > kFlashBytes - offset) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [&](Board& b) {
    const std::vector<uint8_t>& memory = b.services.flash.memory[rxSide ? 1 : 0];
    if (memory.empty()) {
      std::memset(out, 0xFF, count);
    } else {
      std::memcpy(out, memory.data() + offset, count);
    }
    return 1;
  });
}

int VelkaraSim_FlashPrograms(int board, int rxSide) {
  if (board < 0) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [&](Board& b) { return b.services.flash.programs[rxSide ? 1 : 0]; });
}

int VelkaraSim_HostSerialEeprom(int board, uint8_t* out, int count) {
  if (board < 0 || !out || count < 0 || count > 256) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [&](Board& b) {
    std::memcpy(out, b.services.hostEeprom.data(), static_cast<size_t>(count));
    return 1;
  });
}

int VelkaraSim_OisLastHeader(int board, uint8_t* out) {
  if (board < 0 || !out) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [&](Board& b) {
    const std::array<uint8_t, 32>& header = b.services.ois.lastHeader;
    std::copy(header.begin(), header.end(), out);
    return b.services.ois.runs;
  });
}

int VelkaraSim_OisTiming(int board, uint32_t* delayA, uint32_t* delayB, uint32_t* stepDelay) {
  if (board < 0) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [&](Board& b) {
    const OisState& ois = b.services.ois;
    if (delayA) *delayA = ois.delayA;
    if (delayB) *delayB = ois.delayB;
    if (stepDelay) *stepDelay = ois.stepDelay;
    return ois.resets;
  });
}
