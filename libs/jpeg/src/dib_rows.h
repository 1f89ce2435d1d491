#pragma once
// Row geometry of device-independent bitmaps.
#include <cstddef>

namespace qrv::jpeg {

// Bytes a row of `width` pixels of `channels` bytes occupies: rounded up to a multiple of four.
constexpr std::size_t PaddedRowBytes(int width, int channels) {
  return (static_cast<std::size_t>(width) * channels + 3) / 4 * 4;
}

}  // namespace qrv::jpeg
