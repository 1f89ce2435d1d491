#pragma once
// YUV 4:2:2 and BGR conversions. Output BGR frames are bottom-up; YUV frames are top row first.
#include <cstdint>

namespace qrv::sw {

enum YuvOrder : int { kY0UY1V = 1, kY0VY1U = 2, kUY0VY1 = 3, kVY0UY1 = 4, kPlanarVU = 7 };

// Red by (Y, V) and blue by (Y, U): trunc(1.164 (Y-16) + 1.596 (V-128)) and trunc(1.164 (Y-16) + 2.018 (U-128)),
// clamped to 0..255. Built once for the process.
struct YuvTables {
  std::uint8_t red[256][256];
  std::uint8_t blue[256][256];
  std::uint8_t gatherPadding[4];  // 4-byte vector reads of the last entry stay inside
};
const YuvTables& GetYuvTables();

// False (nothing written) for an unknown order or an empty frame. Odd widths and heights write W x H pixels
// and read only inside the frame; a missing chroma byte counts as 128.
bool YuvToBgr(const std::uint8_t* yuv, std::uint8_t* bgr, int width, int height, int order);

// UYVY, top row first, rows of 2W bytes; W/2 pairs a row (an odd last pixel is left out).
void BgrToYuv(const std::uint8_t* bgr, std::uint8_t* yuv, int width, int height);

// Rounded luma into all three bytes of every pixel; rows keep their order.
void BgrToGreyBgr(const std::uint8_t* src, std::uint8_t* dst, int width, int height);

}  // namespace qrv::sw
