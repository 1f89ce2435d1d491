#include "bayer.h"

#include <cstring>

#include "bgr_simd.h"
#include "split_rows.h"

namespace qrv::bayer {
namespace {

// Where blue sits in the 2x2 window (0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right) when the window
// starts on an even row and an even column. Red is diagonally opposite, the greens fill the other corners.
int BlueCornerAtEvenOrigin(int order) {
  switch (order) {
    case kBGGR: return 0;
    case kRGGB: return 3;
    case kGBRG: return 1;
    case kGRBG: return 2;
    default: return -1;
  }
}

template <int K>
inline void Pixel(const std::uint8_t* top, const std::uint8_t* bottom, int x, std::uint8_t* out) {
  const unsigned a = top[x], b = top[x + 1], c = bottom[x], d = bottom[x + 1];
  if constexpr (K == 0) {
    out[0] = static_cast<std::uint8_t>(a);
    out[1] = static_cast<std::uint8_t>((b + c) >> 1);
    out[2] = static_cast<std::uint8_t>(d);
  } else if constexpr (K == 1) {
    out[0] = static_cast<std::uint8_t>(b);
    out[1] = static_cast<std::uint8_t>((a + d) >> 1);
    out[2] = static_cast<std::uint8_t>(c);
  } else if constexpr (K == 2) {
    out[0] = static_cast<std::uint8_t>(c);
    out[1] = static_cast<std::uint8_t>((a + d) >> 1);
    out[2] = static_cast<std::uint8_t>(b);
  } else {
    out[0] = static_cast<std::uint8_t>(d);
    out[1] = static_cast<std::uint8_t>((b + c) >> 1);
    out[2] = static_cast<std::uint8_t>(a);
  }
}

// Window corners for blue, red and the two greens of corner code K (see Pixel).
struct Corners {
  int blue, red, green1, green2;
};
constexpr Corners kCorners[4] = {{0, 3, 1, 2}, {1, 2, 0, 3}, {2, 1, 0, 3}, {3, 0, 1, 2}};

// Even bytes from one window corner, odd bytes from another.
QRV_SSSE3 inline __m128i Pick(const __m128i* w, int even, int odd, __m128i oddMask) {
  return _mm_or_si128(_mm_andnot_si128(oddMask, w[even]), _mm_and_si128(oddMask, w[odd]));
}

// Sixteen output pixels a step: even columns use corner code K, odd columns K ^ 1. Returns the columns done.
template <int K>
QRV_SSSE3 int MosaicRowSimd(const std::uint8_t* top, const std::uint8_t* bottom, std::uint8_t* out, int width) {
  constexpr Corners e = kCorners[K], o = kCorners[K ^ 1];
  const __m128i odd = _mm_set1_epi16(static_cast<short>(0xFF00));
  int x = 0;
  for (; x + 18 <= width; x += 16) {
    const __m128i w[4] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(top + x)),
                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + x + 1)),
                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + x)),
                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + x + 1))};
    const __m128i blue = Pick(w, e.blue, o.blue, odd);
    const __m128i red = Pick(w, e.red, o.red, odd);
    const __m128i green = simd::FloorAverage(Pick(w, e.green1, o.green1, odd), Pick(w, e.green2, o.green2, odd));
    simd::StoreBgr16(out + 3 * x, blue, green, red);
  }
  return x;
}

// One output row from source rows top (y-1) and bottom (y); K is the blue corner at even columns.
template <int K>
void MosaicRow(const std::uint8_t* top, const std::uint8_t* bottom, std::uint8_t* out, int width) {
  const int produced = width - 2;  // columns 0 .. W-3
  int x = simd::HasSsse3() ? MosaicRowSimd<K>(top, bottom, out, width) : 0;
  for (; x + 1 < produced; x += 2) {
    Pixel<K>(top, bottom, x, out + 3 * x);
    Pixel<K ^ 1>(top, bottom, x + 1, out + 3 * x + 3);
  }
  if (x < produced) Pixel<K>(top, bottom, x, out + 3 * x);
  const std::uint8_t* last = out + 3 * (produced - 1);
  std::memcpy(out + 3 * produced, last, 3);
  std::memcpy(out + 3 * produced + 3, last, 3);
}

template <int K>
void MosaicRows(const std::uint8_t* raw8, std::uint8_t* bgr, int width, int height, int firstRow, int endRow) {
  const std::size_t stride = static_cast<std::size_t>(width);
  const std::size_t outStride = 3 * stride;
  for (int k = firstRow; k < endRow; ++k) {
    // The two top picture rows repeat the row of source row 2.
    const int y = height - 1 - (k < height - 2 ? k : height - 3);
    const std::uint8_t* top = raw8 + static_cast<std::size_t>(y - 1) * stride;
    const std::uint8_t* bottom = top + stride;
    if (y >= 2) PrefetchRow(top - stride, stride);
    std::uint8_t* out = bgr + static_cast<std::size_t>(k) * outStride;
    if (((y - 1) & 1) == 0)
      MosaicRow<K>(top, bottom, out, width);
    else
      MosaicRow<K ^ 2>(top, bottom, out, width);
  }
}

QRV_SSSE3 int GreyRowSimd(const std::uint8_t* in, std::uint8_t* out, int width) {
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
    simd::StoreBgr16(out + 3 * x, v, v, v);
  }
  return x;
}

// 32 pixels (96 output bytes) a step: each 16-byte half of an output vector is shuffled from the 16 source
// bytes that start at its first pixel.
QRV_AVX2 int GreyRowAvx2(const std::uint8_t* in, std::uint8_t* out, int width) {
  alignas(32) std::int8_t masks[3][32];
  int first[3][2];
  for (int k = 0; k < 3; ++k)
    for (int half = 0; half < 2; ++half) {
      const int start = 32 * k + 16 * half;
      first[k][half] = start / 3;
      for (int i = 0; i < 16; ++i) masks[k][16 * half + i] = static_cast<std::int8_t>((start + i) / 3 - start / 3);
    }
  __m256i shuffle[3];
  for (int k = 0; k < 3; ++k) shuffle[k] = _mm256_load_si256(reinterpret_cast<const __m256i*>(masks[k]));
  int x = 0;
  // The last load reads 16 bytes from pixel 26 of the step.
  for (; x + 42 <= width; x += 32)
    for (int k = 0; k < 3; ++k) {
      const __m256i v = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(in + x + first[k][1]),
                                            reinterpret_cast<const __m128i*>(in + x + first[k][0]));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 3 * x + 32 * k), _mm256_shuffle_epi8(v, shuffle[k]));
    }
  return x;
}

// 64 pixels (192 output bytes) a step, each output vector permuted from the 64 source bytes.
QRV_AVX512 int GreyRow512(const std::uint8_t* in, std::uint8_t* out, int width) {
  alignas(64) std::uint8_t spread[3][64];
  for (int k = 0; k < 3; ++k)
    for (int i = 0; i < 64; ++i) spread[k][i] = static_cast<std::uint8_t>((64 * k + i) / 3);
  const __m512i s0 = _mm512_load_si512(spread[0]), s1 = _mm512_load_si512(spread[1]),
                s2 = _mm512_load_si512(spread[2]);
  int x = 0;
  for (; x + 64 <= width; x += 64) {
    const __m512i v = _mm512_loadu_si512(in + x);
    std::uint8_t* o = out + 3 * x;
    _mm512_storeu_si512(o, _mm512_permutexvar_epi8(s0, v));
    _mm512_storeu_si512(o + 64, _mm512_permutexvar_epi8(s1, v));
    _mm512_storeu_si512(o + 128, _mm512_permutexvar_epi8(s2, v));
  }
  return x;
}

void GreyRows(const std::uint8_t* raw8, std::uint8_t* bgr, int width, int height, int firstRow, int endRow) {
  const std::size_t stride = static_cast<std::size_t>(width);
  for (int k = firstRow; k < endRow; ++k) {
    const std::uint8_t* in = raw8 + static_cast<std::size_t>(height - 1 - k) * stride;
    if (k + 1 < height) PrefetchRow(in - stride, stride);
    std::uint8_t* out = bgr + static_cast<std::size_t>(k) * 3 * stride;
    int x = simd::HasAvx512() ? GreyRow512(in, out, width) : 0;
    x += simd::HasAvx2() ? GreyRowAvx2(in + x, out + 3 * x, width - x) : 0;
    for (x += simd::HasSsse3() ? GreyRowSimd(in + x, out + 3 * x, width - x) : 0; x < width; ++x) {
      const std::uint8_t v = in[x];
      out[3 * x] = v;
      out[3 * x + 1] = v;
      out[3 * x + 2] = v;
    }
  }
}

}  // namespace

bool CanDemosaic(int width, int height, int order) {
  if (order == kMono) return width > 0 && height > 0;
  return BlueCornerAtEvenOrigin(order) >= 0 && width >= 3 && height >= 3;
}

void DemosaicRows(const std::uint8_t* raw8, std::uint8_t* bgr, int width, int height, int order, int firstRow,
                  int endRow) {
  switch (order == kMono ? 4 : BlueCornerAtEvenOrigin(order)) {
    case 0: MosaicRows<0>(raw8, bgr, width, height, firstRow, endRow); break;
    case 1: MosaicRows<1>(raw8, bgr, width, height, firstRow, endRow); break;
    case 2: MosaicRows<2>(raw8, bgr, width, height, firstRow, endRow); break;
    case 3: MosaicRows<3>(raw8, bgr, width, height, firstRow, endRow); break;
    case 4: GreyRows(raw8, bgr, width, height, firstRow, endRow); break;
    default: break;
  }
}

bool Demosaic(const std::uint8_t* raw8, std::uint8_t* bgr, int width, int height, int order) {
  if (!raw8 || !bgr || !CanDemosaic(width, height, order)) return false;
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  SplitRows(height, bytes, [&](int first, int end) { DemosaicRows(raw8, bgr, width, height, order, first, end); });
  return true;
}

}  // namespace qrv::bayer
