#include "board_state.h"

#include <array>

namespace board {
namespace {

std::array<std::atomic<int>, kBoardCount>& IoLevelGates() {
  static std::array<std::atomic<int>, kBoardCount> gates{};
  return gates;
}

}  // namespace

bool IoLevelOn(int32_t board) { return IsBoardIndex(board) && IoLevelGates()[static_cast<size_t>(board)].load() != 0; }

void SetIoLevelOn(int32_t board, bool on) {
  if (IsBoardIndex(board)) IoLevelGates()[static_cast<size_t>(board)].store(on ? 1 : 0);
}

LaneGeometry& LaneGeometryOf(int32_t board) {
  static std::array<LaneGeometry, kBoardCount> geometry;
  return geometry[static_cast<size_t>(board)];
}

}  // namespace board
