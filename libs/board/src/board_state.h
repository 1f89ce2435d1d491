#pragma once
// Per-board state of the library, indexed by the board index after it has been checked.
#include <atomic>
#include <cstdint>

namespace board {

inline constexpr int kBoardCount = 4;

inline bool IsBoardIndex(int32_t board) { return board >= 0 && board < kBoardCount; }

// 1 after the IO level of that board was switched on; the sensor-bus exports of a board whose level
// is off refuse to work. One gate per board, so powering one board down never closes another's bus.
bool IoLevelOn(int32_t board);
void SetIoLevelOn(int32_t board, bool on);

struct LaneGeometry {
  std::atomic<int32_t> lanes{0};
  std::atomic<int32_t> bytesPerPixel{0};
  std::atomic<int32_t> width{0};
  std::atomic<int32_t> height{0};
};
LaneGeometry& LaneGeometryOf(int32_t board);

}  // namespace board
