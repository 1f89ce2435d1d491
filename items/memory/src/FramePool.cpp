#include "FramePool.h"

FramePoolStorage::FramePoolStorage(std::size_t frameBytes, int imageSize) : m_nFrameBytes(frameBytes) {
  m_pool.imageSize = imageSize;
  for (int slot = 0; slot < kFramePoolFrames; ++slot) {
    m_frames[slot] = std::make_unique<unsigned char[]>(frameBytes);  // value-initialised: zero-filled
    m_pool.frames[slot] = m_frames[slot].get();
  }
}
