#include "board_state.h"

#include "port/thread_site.h"

namespace board {
namespace {

PerChannel<std::atomic<int>>& IoLevelGates() {
  static PerChannel<std::atomic<int>> gates{};
  return gates;
}

}  // namespace

std::size_t CallingChannel() {
  return static_cast<std::size_t>(port::ThreadChannel(kChannelCount));
}

bool IoLevelOn(int32_t board) { return IsBoardIndex(board) && OfCallingChannel(IoLevelGates(), board).load() != 0; }

void SetIoLevelOn(int32_t board, bool on) {
  if (IsBoardIndex(board)) OfCallingChannel(IoLevelGates(), board).store(on ? 1 : 0);
}

LaneGeometry& LaneGeometryOf(int32_t board) {
  static PerChannel<LaneGeometry> geometry;
  return OfCallingChannel(geometry, board);
}

}  // namespace board
