#pragma once
// YUV 4:2:2 and BGR conversions. Output BGR frames are bottom-up; YUV frames are top row first.
#include <algorithm>
#include <cstdint>

namespace qrv::sw {

enum YuvOrder : int { kY0UY1V = 1, kY0VY1U = 2, kUY0VY1 = 3, kVY0UY1 = 4, kPlanarVU = 7 };

// Red by (Y, V) and blue by (Y, U): trunc(1.164 (Y-16) + 1.596 (V-128)) and trunc(1.164 (Y-16) + 2.018 (U-128)),
// clamped to 0..255. Built once for the process.
struct YuvTables {
  std::uint8_t red[256][256];
  std::uint8_t blue[256][256];
};
const YuvTables& GetYuvTables();

// One BGR pixel by the tables and the fixed-point green.
inline void YuvPixel(const YuvTables& t, unsigned y, unsigned u, unsigned v, std::uint8_t* out) {
  const int green = (1192 * static_cast<int>(y) - 400 * static_cast<int>(u) - 832 * static_cast<int>(v) + 138624) >> 10;
  out[0] = t.blue[y][u];
  out[1] = static_cast<std::uint8_t>(std::clamp(green, 0, 255));
  out[2] = t.red[y][v];
}

// One UYVY pair from two BGR pixels, in double precision: chroma from one pixel each.
inline void BgrPairToUyvy(const std::uint8_t* px, std::uint8_t* out) {
  const double y0 = 0.299 * px[2] + 0.587 * px[1] + 0.114 * px[0];
  const double y1 = 0.299 * px[5] + 0.587 * px[4] + 0.114 * px[3];
  const int u = static_cast<int>(0.564 * (px[0] - y0) * 224 / 256 + 128 + 0.5);
  const int v = static_cast<int>(0.713 * (px[5] - y1) * 224 / 256 + 128 + 0.5);
  out[0] = static_cast<std::uint8_t>(std::clamp(u, 16, 240));
  out[1] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(y0), 0, 255));
  out[2] = static_cast<std::uint8_t>(std::clamp(v, 16, 240));
  out[3] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(y1), 0, 255));
}

// False (nothing written) for an unknown order or an empty frame. Odd widths and heights write W x H pixels
// and read only inside the frame; a missing chroma byte counts as 128.
bool YuvToBgr(const std::uint8_t* yuv, std::uint8_t* bgr, int width, int height, int order);

// UYVY, top row first, rows of 2W bytes; W/2 pairs a row (an odd last pixel is left out).
void BgrToYuv(const std::uint8_t* bgr, std::uint8_t* yuv, int width, int height);

// Rounded luma into all three bytes of every pixel; rows keep their order.
void BgrToGreyBgr(const std::uint8_t* src, std::uint8_t* dst, int width, int height);

}  // namespace qrv::sw
