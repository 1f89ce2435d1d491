#pragma once
// The largest picture the station takes: a sensor size read from a settings file, a picture file's header or
// a caller's argument sizes memory only within it. 16384 x 8192 pixels, 384 MiB as a BGR frame: room for the
// largest sensors' full frames in the image library's files, while the sixteen frames of the frame-buffer pool
// and the work buffers of a run still fit in the station's memory.
#include <cstdint>

inline constexpr std::int64_t kQrvMaxPicturePixels = std::int64_t{16384} * 8192;

// Whether width x height is a picture within the limit: both sides at least 1. In 64 bits, and each side is
// bounded before the product, so no pair of values can overflow it.
constexpr bool QrvPictureFits(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kQrvMaxPicturePixels && height <= kQrvMaxPicturePixels &&
         width * height <= kQrvMaxPicturePixels;
}

static_assert(QrvPictureFits(16384, 8192) && !QrvPictureFits(16384, 8193) && !QrvPictureFits(0, 480));
static_assert(!QrvPictureFits(2147483647, 2147483647) && !QrvPictureFits(-1, -1));
