#pragma once
// Per-board state of the library, indexed by the board index after it has been checked.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace board {

inline constexpr int kBoardCount = 4;
// A board carries a module on each channel, and a site's calls reach the module on its own channel. What
// the library keeps of a module (its IO level, stream geometry, open/short state) is kept per channel, so
// that sites sharing a board never see each other's.
inline constexpr int kChannelCount = 8;

inline bool IsBoardIndex(int32_t board) { return board >= 0 && board < kBoardCount; }

// The channel the calling thread's calls reach: its site's, channel 0 on a thread that runs no site.
std::size_t CallingChannel();

template <typename T>
using PerChannel = std::array<std::array<T, kChannelCount>, kBoardCount>;

// The calling thread's entry of a board; the index must have been checked.
template <typename T>
T& OfCallingChannel(PerChannel<T>& table, int32_t board) {
  return table[static_cast<std::size_t>(board)][CallingChannel()];
}

// 1 after the IO level of the module was switched on; the sensor-bus exports of a module whose level
// is off refuse to work. One gate per module, so powering one down never closes another's bus.
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
