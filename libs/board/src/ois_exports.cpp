// The board's OIS sequencer: one driver call each and a trace line.
#include <cstdint>

#include "PCI_LX40.h"
#include "board_exports.h"
#include "trace.h"

namespace {

using board::TraceTimer;

// Buffer addresses appear in the trace as their low 32 bits.
unsigned Address(const void* p) { return static_cast<unsigned>(reinterpret_cast<uintptr_t>(p)); }

}  // namespace

int32_t VKL_OIS_Reset(int32_t board) {
  TRACED_CALL(TRACE_F9, PCI_OIS_Reset(board), board);
}

int32_t VKL_OIS_SetClock(int32_t board, int32_t speedCode) {
  TRACED_CALL(TRACE_F2, PCI_OIS_SetClock(board, speedCode), board, speedCode);
}

int32_t VKL_OIS_SetDelay(int32_t board, int32_t delayA, int32_t delayB) {
  TRACED_CALL(TRACE_F5, PCI_OIS_SetDelay(board, delayA, delayB), board, delayA, delayB);
}

int32_t VKL_OIS_SetStepDelay(int32_t board, int32_t stepDelay) {
  TRACED_CALL(TRACE_F2, PCI_OIS_SetStepDelay(board, stepDelay), board, stepDelay);
}

int32_t VKL_OIS_GetData(int32_t board, uint8_t slave, int32_t cmdLen, const uint8_t* cmd, int32_t size, int32_t count,
                        void* out) {
  TRACED_CALL(TRACE_F16, PCI_OIS_GetData(board, slave, cmdLen, cmd, size, count, out), board, slave, cmdLen, Address(cmd), size, count, Address(out));
}

int32_t VKL_OIS_GetData_Ex(int32_t board, uint8_t slave, int32_t cmdLen, const uint8_t* cmd, int32_t size,
                           int32_t count, void* out, int32_t repeat) {
  TRACED_CALL(TRACE_F17, PCI_OIS_GetData_Ex(board, slave, cmdLen, cmd, size, count, out, repeat), board, slave, cmdLen, Address(cmd), size, count, Address(out), repeat);
}

int32_t VKL_OIS_GetData_Ex2(int32_t board, uint8_t slaveA, int32_t cmdLen, const uint8_t* cmd, int32_t size,
                            int32_t countA, void* outA, uint8_t slaveB, int32_t countB, void* outB, int32_t repeat) {
  TRACED_CALL(TRACE_F17, PCI_OIS_GetData_Ex2(board, slaveA, cmdLen, cmd, size, countA, outA, slaveB, countB, outB, repeat), board, slaveA, cmdLen, Address(cmd), size, countA, Address(outA), repeat);
}

int32_t VKL_OIS_I2C_Function(int32_t board, uint8_t slave1, uint8_t slave2, uint8_t slave3, int32_t lenA,
                             const uint8_t* dataA, int32_t lenB, const uint8_t* dataB, int32_t countA, void* outA,
                             int32_t arg11, int32_t arg12, int32_t countB, void* outB, int32_t size, int32_t repeat,
                             int32_t timeoutMs) {
  const TraceTimer timer;
  const int32_t result = PCI_OIS_I2C_Function(board, slave1, slave2, slave3, lenA, dataA, lenB, dataB, countA, outA,
                                              arg11, arg12, countB, outB, size, repeat, timeoutMs);
  TRACE(timer, TRACE_F18, board, slave1, slave2, slave3, lenA, static_cast<int>(Address(dataA)), lenB,
        static_cast<int>(Address(dataB)), static_cast<unsigned>(countA), static_cast<int>(Address(outA)), arg11, arg12,
        result);
  return result;
}
