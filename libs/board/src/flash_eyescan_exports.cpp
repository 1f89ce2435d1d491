// The board's SPI configuration flash and the link eye scan: one driver call each and a trace line.
#include "PCI_LX40.h"
#include "board_exports.h"
#include "trace.h"

int32_t VKL_Flash_SpiInit(int32_t board, int32_t rxSide) {
  TRACED_CALL(TRACE_F20, PCI_Flash_SpiInit(board, rxSide), board, rxSide);
}

int32_t VKL_Flash_SpiClose(int32_t board) {
  TRACED_CALL(TRACE_F1, PCI_Flash_SpiClose(board), board);
}

int32_t VKL_Flash_SpiErase(int32_t board, int32_t rxSide) {
  TRACED_CALL(TRACE_F1, PCI_Flash_SpiErase(board, rxSide), board);
}

int32_t VKL_Flash_SpiWriteAll(int32_t board, int32_t size, const void* image, int32_t rxSide) {
  TRACED_CALL(TRACE_F20, PCI_Flash_SpiWriteAll(board, size, image, rxSide), board, size);
}

int32_t VKL_Flash_SpiReadAll(int32_t board, int32_t size, void* out, int32_t rxSide) {
  TRACED_CALL(TRACE_F20, PCI_Flash_SpiReadAll(board, size, out, rxSide), board, size);
}

int32_t VKL_EyeScan_Init(int32_t board, int32_t lane) {
  TRACED_CALL(TRACE_F1, PCI_EyeScan_Init(board, lane), board);
}

int32_t VKL_EyeScan_GetData(int32_t board, int32_t lane, void* table, float* eyeA, float* eyeB) {
  TRACED_CALL(TRACE_F1, PCI_EyeScan_GetData(board, lane, table, eyeA, eyeB), board);
}
