#pragma once
// Splits the rows of one large frame between the calling thread and one helper thread that lives for the
// library's lifetime. Rows go out in small chunks to whichever thread is free, so the caller never waits for a
// helper that is slow to wake (a busy machine) or busy with another caller's frame: it then does the rows
// itself. Small frames run on the caller alone.
#include <cstddef>

namespace qrv {

inline constexpr std::size_t kSplitThresholdBytes = std::size_t{1} << 20;

namespace detail {
// Runs run(context, first, end) over chunks of [0, rows) on the caller and, when it is free, the helper.
void ShareRows(int rows, void (*run)(const void* context, int first, int end), const void* context);
}  // namespace detail

// body(firstRow, endRow) must touch only the output rows it is given; it may run on two threads at once.
template <typename Body>
void SplitRows(int rows, std::size_t frameBytes, const Body& body) {
  if (rows < 2 || frameBytes < kSplitThresholdBytes) {
    body(0, rows);
    return;
  }
  detail::ShareRows(
      rows, [](const void* context, int first, int end) { (*static_cast<const Body*>(context))(first, end); },
      &body);
}

// Loops that read a frame's rows from the last to the first defeat the hardware's stream detection; asking for
// the next row before the current one is worked keeps them as fast as a forward walk.
inline void PrefetchRow(const void* row, std::size_t bytes) {
  const auto* p = static_cast<const char*>(row);
  for (std::size_t offset = 0; offset < bytes; offset += 64) __builtin_prefetch(p + offset);
}

}  // namespace qrv
