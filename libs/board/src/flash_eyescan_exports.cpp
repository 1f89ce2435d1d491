// The board's SPI configuration flash and the link eye scan: one driver call each and a trace line.
#include "PCI_LX40.h"
#include "board_exports.h"
#include "trace.h"

using board::TraceTimer;

int32_t VKL_Flash_SpiInit(int32_t board, int32_t rxSide) {
  const TraceTimer timer;
  const int32_t result = PCI_Flash_SpiInit(board, rxSide);
  TRACE(timer, TRACE_F20, board, rxSide, result);
  return result;
}

int32_t VKL_Flash_SpiClose(int32_t board) {
  const TraceTimer timer;
  const int32_t result = PCI_Flash_SpiClose(board);
  TRACE(timer, TRACE_F1, board, result);
  return result;
}

int32_t VKL_Flash_SpiErase(int32_t board, int32_t rxSide) {
  const TraceTimer timer;
  const int32_t result = PCI_Flash_SpiErase(board, rxSide);
  TRACE(timer, TRACE_F1, board, result);
  return result;
}

int32_t VKL_Flash_SpiWriteAll(int32_t board, int32_t size, const void* image, int32_t rxSide) {
  const TraceTimer timer;
  const int32_t result = PCI_Flash_SpiWriteAll(board, size, image, rxSide);
  TRACE(timer, TRACE_F20, board, size, result);
  return result;
}

int32_t VKL_Flash_SpiReadAll(int32_t board, int32_t size, void* out, int32_t rxSide) {
  const TraceTimer timer;
  const int32_t result = PCI_Flash_SpiReadAll(board, size, out, rxSide);
  TRACE(timer, TRACE_F20, board, size, result);
  return result;
}

int32_t VKL_EyeScan_Init(int32_t board, int32_t lane) {
  const TraceTimer timer;
  const int32_t result = PCI_EyeScan_Init(board, lane);
  TRACE(timer, TRACE_F1, board, result);
  return result;
}

int32_t VKL_EyeScan_GetData(int32_t board, int32_t lane, void* table, float* eyeA, float* eyeB) {
  const TraceTimer timer;
  const int32_t result = PCI_EyeScan_GetData(board, lane, table, eyeA, eyeB);
  TRACE(timer, TRACE_F1, board, result);
  return result;
}
