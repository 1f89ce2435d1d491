#include "orientation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "bgr_simd.h"
#include "split_rows.h"

namespace qrv::sw {
namespace {

constexpr int kTile = 32;

inline void CopyPixel(const std::uint8_t* s, std::uint8_t* d) {
  d[0] = s[0];
  d[1] = s[1];
  d[2] = s[2];
}

inline void SwapPixel(const std::uint8_t* s, std::uint8_t* d) {
  d[0] = s[2];
  d[1] = s[1];
  d[2] = s[0];
}

// Five pixels a step; the 16-byte store runs one byte ahead and is rewritten by the next step.
QRV_SSSE3 int SwapRowSimd(const std::uint8_t* s, std::uint8_t* d, int width) {
  const __m128i swap = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  int x = 0;
  for (; x + 6 <= width; x += 5)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 3 * x),
                     _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * x)), swap));
  return x;
}

// Twenty-one pixels (63 bytes) a step; the 64-byte store runs one byte ahead and is rewritten by the next
// step.
QRV_AVX512 int SwapRow512(const std::uint8_t* s, std::uint8_t* d, int width) {
  alignas(64) std::uint8_t swap[64];
  for (int i = 0; i < 64; ++i) swap[i] = static_cast<std::uint8_t>(i < 63 ? i - i % 3 + 2 - i % 3 : 63);
  const __m512i index = _mm512_load_si512(swap);
  int x = 0;
  for (; x + 22 <= width; x += 21)
    _mm512_storeu_si512(d + 3 * x, _mm512_permutexvar_epi8(index, _mm512_loadu_si512(s + 3 * x)));
  return x;
}

template <bool kSwap>
void RowCopy(const std::uint8_t* s, std::uint8_t* d, int width) {
  if constexpr (!kSwap) {
    std::memcpy(d, s, 3 * static_cast<std::size_t>(width));
  } else {
    int x = simd::HasAvx512() ? SwapRow512(s, d, width) : 0;
    for (x += simd::HasSsse3() ? SwapRowSimd(s + 3 * x, d + 3 * x, width - x) : 0; x < width; ++x)
      SwapPixel(s + 3 * x, d + 3 * x);
  }
}

template <bool kFlip, bool kSwap>
void PlainRows(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int first, int end) {
  const std::size_t stride = 3 * static_cast<std::size_t>(width);
  for (int r = first; r < end; ++r) {
    const int from = kFlip ? height - 1 - r : r;
    if (kFlip && from > 0) PrefetchRow(src + static_cast<std::size_t>(from - 1) * stride, stride);
    RowCopy<kSwap>(src + static_cast<std::size_t>(from) * stride, dst + static_cast<std::size_t>(r) * stride, width);
  }
}

// out(r, c) := swapped source pixel at (row c', column r') of a source whose rows are srcPixels wide, where
// c' and r' are c and r, or counted from the far end when flipped. Walked in tiles to stay in cache.
template <bool kFlipRows, bool kFlipCols>
void TransposedRows(const std::uint8_t* src, std::uint8_t* dst, int width, int height, std::size_t srcPixels,
                    int first, int end) {
  const std::size_t srcStride = 3 * srcPixels;
  const std::size_t dstStride = 3 * static_cast<std::size_t>(width);
  for (int r0 = first; r0 < end; r0 += kTile) {
    const int r1 = std::min(end, r0 + kTile);
    for (int c0 = 0; c0 < width; c0 += kTile) {
      const int c1 = std::min(width, c0 + kTile);
      for (int r = r0; r < r1; ++r) {
        const std::size_t sc = static_cast<std::size_t>(kFlipRows ? height - 1 - r : r);
        std::uint8_t* out = dst + static_cast<std::size_t>(r) * dstStride;
        for (int c = c0; c < c1; ++c) {
          const std::size_t sr = static_cast<std::size_t>(kFlipCols ? width - 1 - c : c);
          SwapPixel(src + sr * srcStride + 3 * sc, out + 3 * c);
        }
      }
    }
  }
}

}  // namespace

bool TransformOrientation(int mode, const std::uint8_t* src, std::uint8_t* dst, int width, int height) {
  if (!src || !dst || width <= 0 || height <= 0) return false;
  const std::size_t h = static_cast<std::size_t>(height);
  auto run = [&](auto rows) {
    const std::size_t bytes = static_cast<std::size_t>(width) * h * 3;
    SplitRows(height, bytes, [&](int first, int end) { rows(first, end); });
  };
  switch (mode) {
    case 0: run([&](int a, int b) { PlainRows<false, false>(src, dst, width, height, a, b); }); break;
    case 1: run([&](int a, int b) { PlainRows<true, false>(src, dst, width, height, a, b); }); break;
    case 2: run([&](int a, int b) { PlainRows<false, true>(src, dst, width, height, a, b); }); break;
    case 3: run([&](int a, int b) { PlainRows<true, true>(src, dst, width, height, a, b); }); break;
    case 4: run([&](int a, int b) { TransposedRows<false, false>(src, dst, width, height, h, a, b); }); break;
    case 5: run([&](int a, int b) { TransposedRows<true, false>(src, dst, width, height, h, a, b); }); break;
    case 6: run([&](int a, int b) { TransposedRows<false, true>(src, dst, width, height, h, a, b); }); break;
    case 7: run([&](int a, int b) { TransposedRows<true, true>(src, dst, width, height, h, a, b); }); break;
    case 8: run([&](int a, int b) { TransposedRows<false, false>(src, dst, width, height, h + 1, a, b); }); break;
    default: return false;
  }
  return true;
}

void RepackRaw12Nibbles(std::uint8_t* frame, int width, int height) {
  if (!frame || width <= 0 || height <= 0) return;
  const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  // Forward order reads only bytes that are not yet rewritten.
  for (std::size_t j = 0; j < n; ++j) {
    const unsigned next = j + 1 < n ? frame[j + 1] : 0;
    const unsigned after = j + 2 < n ? frame[j + 2] : 0;
    frame[j] = static_cast<std::uint8_t>((next << 4) | (after >> 4));
  }
}

}  // namespace qrv::sw
