#pragma once
// The frames this item shares under "USER_MEMORY". Users read the published record's first 16 pointer-sized
// words as the frames, so FramePool keeps exactly that layout; FramePoolStorage owns what it points to.
#include <array>
#include <cstddef>
#include <memory>

inline constexpr int kFramePoolFrames = 16;

struct FramePool {
  unsigned char* frames[kFramePoolFrames];
  int imageSize;  // bytes of one raw frame of the sensor
};
static_assert(offsetof(FramePool, frames) == 0);
static_assert(offsetof(FramePool, imageSize) == kFramePoolFrames * sizeof(void*));

class FramePoolStorage {
 public:
  // Sixteen zero-filled frames of frameBytes each; throws std::bad_alloc and then keeps nothing.
  FramePoolStorage(std::size_t frameBytes, int imageSize);
  FramePoolStorage(const FramePoolStorage&) = delete;
  FramePoolStorage& operator=(const FramePoolStorage&) = delete;

  FramePool* Pool() { return &m_pool; }
  std::size_t FrameBytes() const { return m_nFrameBytes; }

 private:
  FramePool m_pool{};
  std::size_t m_nFrameBytes;
  std::array<std::unique_ptr<unsigned char[]>, kFramePoolFrames> m_frames;
};
