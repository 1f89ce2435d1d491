#include "yuv.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "split_rows.h"
#include "yuv_simd.h"

namespace qrv::sw {
namespace {

std::uint8_t ClampByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

YuvTables BuildYuvTables() {
  YuvTables t{};
  for (int y = 0; y < 256; ++y) {
    for (int c = 0; c < 256; ++c) {
      t.red[y][c] = ClampByte(static_cast<int>(1.164 * (y - 16) + 1.596 * (c - 128)));
      t.blue[y][c] = ClampByte(static_cast<int>(1.164 * (y - 16) + 2.018 * (c - 128)));
    }
  }
  return t;
}

// Offsets of Y0, U, Y1, V inside a 4-byte pair.
template <int kY0, int kU, int kY1, int kV>
void InterleavedRows(const std::uint8_t* yuv, std::uint8_t* bgr, int width, int height, int first, int end) {
  const YuvTables& t = GetYuvTables();
  const std::size_t inStride = 2 * static_cast<std::size_t>(width);
  const int pairs = width / 2;
  for (int k = first; k < end; ++k) {
    const std::uint8_t* in = yuv + static_cast<std::size_t>(height - 1 - k) * inStride;
    if (k + 1 < height) PrefetchRow(in - inStride, inStride);
    std::uint8_t* out = bgr + static_cast<std::size_t>(k) * 3 * static_cast<std::size_t>(width);
    for (int p = simd::YuvRowToBgr(t, in, out, width, kY0, kU, kY1, kV) / 2; p < pairs; ++p) {
      const std::uint8_t* q = in + 4 * p;
      YuvPixel(t, q[kY0], q[kU], q[kV], out + 6 * p);
      YuvPixel(t, q[kY1], q[kU], q[kV], out + 6 * p + 3);
    }
    if (width & 1) {
      // The last pair has only its first two bytes inside the row.
      std::uint8_t q[4] = {128, 128, 128, 128};
      std::memcpy(q, in + 4 * pairs, 2);
      YuvPixel(t, q[kY0], q[kU], q[kV], out + 6 * pairs);
    }
  }
}

void PlanarRows(const std::uint8_t* yuv, std::uint8_t* bgr, int width, int height, int first, int end) {
  const YuvTables& t = GetYuvTables();
  const std::size_t w = static_cast<std::size_t>(width);
  const std::uint8_t* chroma = yuv + w * static_cast<std::size_t>(height);
  const int chromaRows = height / 2;
  for (int k = first; k < end; ++k) {
    const int r = height - 1 - k;
    const std::uint8_t* luma = yuv + static_cast<std::size_t>(r) * w;
    if (r > 0) PrefetchRow(luma - w, w);
    const int cr = std::min(r / 2, chromaRows - 1);
    const std::uint8_t* c = cr >= 0 ? chroma + static_cast<std::size_t>(cr) * w : nullptr;
    std::uint8_t* out = bgr + static_cast<std::size_t>(k) * 3 * w;
    for (int x = c ? simd::PlanarRowToBgr(t, luma, c, out, width) : 0; x < width; ++x) {
      const int pair = x & ~1;
      const unsigned v = c ? c[pair] : 128;
      const unsigned u = c && pair + 1 < width ? c[pair + 1] : 128;
      YuvPixel(t, luma[x], u, v, out + 3 * x);
    }
  }
}

// trunc(float(0.587 G + 0.299 R + 0.114 B) + 0.5) equals (587 G + 299 R + 114 B + 500) / 1000 for every
// colour (checked over all 2^24 of them by the tests), which the vector units can do.
void GreyPixels(const std::uint8_t* src, std::uint8_t* dst, std::size_t n) {
  for (std::size_t i = simd::BgrToGrey(src, dst, n); i < n; ++i) {
    const std::uint8_t* p = src + 3 * i;
    const auto y = static_cast<std::uint8_t>((587u * p[1] + 299u * p[2] + 114u * p[0] + 500u) / 1000u);
    dst[3 * i] = y;
    dst[3 * i + 1] = y;
    dst[3 * i + 2] = y;
  }
}

void YuvPairs(const std::uint8_t* in, std::uint8_t* out, int pairs) {
  for (int p = simd::BgrPairsToYuv(in, out, pairs); p < pairs; ++p) BgrPairToUyvy(in + 6 * p, out + 4 * p);
}

}  // namespace

const YuvTables& GetYuvTables() {
  static const YuvTables tables = BuildYuvTables();
  return tables;
}

bool YuvToBgr(const std::uint8_t* yuv, std::uint8_t* bgr, int width, int height, int order) {
  if (!yuv || !bgr || width <= 0 || height <= 0) return false;
  using Rows = void (*)(const std::uint8_t*, std::uint8_t*, int, int, int, int);
  Rows rows = nullptr;
  switch (order) {
    case kY0UY1V: rows = InterleavedRows<0, 1, 2, 3>; break;
    case kY0VY1U: rows = InterleavedRows<0, 3, 2, 1>; break;
    case kUY0VY1: rows = InterleavedRows<1, 0, 3, 2>; break;
    case kVY0UY1: rows = InterleavedRows<1, 2, 3, 0>; break;
    case kPlanarVU: rows = PlanarRows; break;
    default: return false;
  }
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  SplitRows(height, bytes, [&](int first, int end) { rows(yuv, bgr, width, height, first, end); });
  return true;
}

void BgrToYuv(const std::uint8_t* bgr, std::uint8_t* yuv, int width, int height) {
  if (!bgr || !yuv || width <= 0 || height <= 0) return;
  const std::size_t w = static_cast<std::size_t>(width);
  const std::size_t bytes = w * static_cast<std::size_t>(height) * 3;
  SplitRows(height, bytes, [&](int first, int end) {
    for (int r = first; r < end; ++r) {
      const std::uint8_t* in = bgr + static_cast<std::size_t>(height - 1 - r) * 3 * w;
      if (r + 1 < height) PrefetchRow(in - 3 * w, 3 * w);
      YuvPairs(in, yuv + static_cast<std::size_t>(r) * 2 * w, width / 2);
    }
  });
}

void BgrToGreyBgr(const std::uint8_t* src, std::uint8_t* dst, int width, int height) {
  if (!src || !dst || width <= 0 || height <= 0) return;
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  SplitRows(height, pixels * 3, [&](int first, int end) {
    const std::size_t a = static_cast<std::size_t>(first) * static_cast<std::size_t>(width);
    const std::size_t b = static_cast<std::size_t>(end) * static_cast<std::size_t>(width);
    GreyPixels(src + 3 * a, dst + 3 * a, b - a);
  });
}

}  // namespace qrv::sw
