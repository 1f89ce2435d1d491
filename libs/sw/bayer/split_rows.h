#pragma once
// Splits the rows of one large frame between the calling thread and one helper thread. Small frames run on
// the caller alone: a thread start costs more than the work it would save.
#include <cstddef>
#include <thread>

namespace qrv {

inline constexpr std::size_t kSplitThresholdBytes = std::size_t{1} << 20;

// body(firstRow, endRow) must touch only the output rows it is given.
template <typename Body>
void SplitRows(int rows, std::size_t frameBytes, const Body& body) {
  if (rows < 2 || frameBytes < kSplitThresholdBytes) {
    body(0, rows);
    return;
  }
  const int half = rows / 2;
  std::thread helper([&body, half, rows] { body(half, rows); });
  body(0, half);
  helper.join();
}

// Loops that read a frame's rows from the last to the first defeat the hardware's stream detection; asking for
// the next row before the current one is worked keeps them as fast as a forward walk.
inline void PrefetchRow(const void* row, std::size_t bytes) {
  const auto* p = static_cast<const char*>(row);
  for (std::size_t offset = 0; offset < bytes; offset += 64) __builtin_prefetch(p + offset);
}

}  // namespace qrv
