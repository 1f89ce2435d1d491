#include "yuv_simd.h"

#include <immintrin.h>

#include <cstddef>

#include "bgr_simd.h"
#include "yuv_avx512.h"

// The tables and the double rules become integer arithmetic here. Each integer form equals the rule wherever
// the exact value is not a whole number, because the double result then lies at least 1/1000 away from the next
// whole number and its rounding error is below 1e-12. Where the exact value is whole, double rounding may
// land just below it, so such a pixel is done again by the rule itself. The tests compare both over
// every input.

namespace qrv::sw::simd {
namespace {

using qrv::simd::HasAvx2;

// Shuffle masks that gather one colour byte of 16 BGR pixels (48 bytes in three 16-byte pieces) into 16 bytes.
// Output byte i takes the pixel order[i].
struct PlaneMasks {
  alignas(16) std::int8_t m[3][3][16];  // [colour][piece][byte]
};

PlaneMasks MakePlaneMasks(const int (&order)[16]) {
  PlaneMasks p{};
  for (int c = 0; c < 3; ++c)
    for (int piece = 0; piece < 3; ++piece)
      for (int i = 0; i < 16; ++i) {
        const int from = 3 * order[i] + c;
        p.m[c][piece][i] = static_cast<std::int8_t>(from / 16 == piece ? from % 16 : -1);
      }
  return p;
}

const PlaneMasks& NaturalOrder() {
  static const PlaneMasks masks = MakePlaneMasks({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
  return masks;
}

// Even pixels in bytes 0-7, odd pixels in bytes 8-15.
const PlaneMasks& EvenThenOdd() {
  static const PlaneMasks masks = MakePlaneMasks({0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15});
  return masks;
}

QRV_AVX2 inline __m128i Plane(const __m128i (&piece)[3], const PlaneMasks& masks, int colour) {
  const auto* m = reinterpret_cast<const __m128i*>(masks.m[colour]);
  return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(piece[0], _mm_load_si128(m)),
                                   _mm_shuffle_epi8(piece[1], _mm_load_si128(m + 1))),
                      _mm_shuffle_epi8(piece[2], _mm_load_si128(m + 2)));
}

QRV_AVX2 inline void Load48(const std::uint8_t* in, __m128i (&piece)[3]) {
  for (int i = 0; i < 3; ++i) piece[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * i));
}

// 16 words (each 0..255 or more) to 16 bytes, saturated, in order.
QRV_AVX2 inline __m128i Bytes16(__m256i words) {
  return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi16(words, words), 0x08));
}

// floor(x / 250) for 16-bit x below 64000, and the lanes where the division is exact.
QRV_AVX2 inline __m256i DivideBy250(__m256i x, __m256i& exact) {
  const __m256i q = _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_srli_epi16(x, 1), _mm256_set1_epi16(-31981)), 6);
  exact = _mm256_cmpeq_epi16(_mm256_mullo_epi16(q, _mm256_set1_epi16(250)), x);
  return q;
}

// Red: floor((291 Y + 399 V - 55728) / 250), that is floor((1164 (Y-16) + 1596 (V-128)) / 1000), clamped.
// Blue: floor((582 Y + 1009 U - 138464) / 500), from 1164 and 2018 alike. Returns a mask with bit 2i set
// when pixel i sits on a whole number, where the table may hold one less; the caller redoes those pixels.
QRV_AVX2 inline __attribute__((always_inline)) unsigned Block16(__m128i y8, __m128i u8, __m128i v8,
                                                                std::uint8_t* out) {
  const __m256i y = _mm256_cvtepu8_epi16(y8), u = _mm256_cvtepu8_epi16(u8), v = _mm256_cvtepu8_epi16(v8);
  // Green: (1192 Y - 400 U - 832 V + 138624) >> 10 is (149 Y - 50 U - 104 V + 17328) >> 7; a negative sum
  // saturates to 0 and the byte pack clamps above.
  __m256i g = _mm256_add_epi16(_mm256_mullo_epi16(y, _mm256_set1_epi16(149)), _mm256_set1_epi16(17328));
  g = _mm256_subs_epu16(g, _mm256_add_epi16(_mm256_mullo_epi16(u, _mm256_set1_epi16(50)),
                                            _mm256_mullo_epi16(v, _mm256_set1_epi16(104))));
  g = _mm256_srli_epi16(g, 7);

  const __m256i one = _mm256_set1_epi16(1), top = _mm256_set1_epi16(-1537);  // 63999
  const __m256i redK = _mm256_set1_epi32(291 | (399 << 16)), blueK = _mm256_set1_epi32(582 | (1009 << 16));
  const __m256i redT = _mm256_packus_epi32(
      _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(y, v), redK), _mm256_set1_epi32(-55728)),
      _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(y, v), redK), _mm256_set1_epi32(-55728)));
  // Blue's sum is halved before the pack: floor(T / 500) = floor((T >> 1) / 250), exact only for even T, that
  // is for even U.
  const __m256i blueT = _mm256_packus_epi32(
      _mm256_srai_epi32(
          _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(y, u), blueK), _mm256_set1_epi32(-138464)), 1),
      _mm256_srai_epi32(
          _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(y, u), blueK), _mm256_set1_epi32(-138464)), 1));
  // At most 0 gives 0 and is never exact once raised to 1; at least 64000 gives 255.
  __m256i redExact, blueExact;
  const __m256i r = DivideBy250(_mm256_min_epu16(_mm256_max_epu16(redT, one), top), redExact);
  const __m256i b = DivideBy250(_mm256_min_epu16(_mm256_max_epu16(blueT, one), top), blueExact);
  blueExact = _mm256_and_si256(blueExact, _mm256_cmpeq_epi16(_mm256_and_si256(u, one), _mm256_setzero_si256()));
  qrv::simd::StoreBgr16(out, Bytes16(b), Bytes16(g), Bytes16(r));
  return static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(redExact, blueExact))) & 0x55555555u;
}

QRV_AVX2 __m128i PairMask(int a, int b, int step) {
  alignas(16) std::int8_t m[16];
  for (int i = 0; i < 8; ++i) {
    m[2 * i] = static_cast<std::int8_t>(step * i + a);
    m[2 * i + 1] = static_cast<std::int8_t>(step * i + b);
  }
  for (int i = 0; i < 16; ++i)
    if (m[i] >= 16) m[i] = -1;
  return _mm_load_si128(reinterpret_cast<const __m128i*>(m));
}

__attribute__((noinline)) void TablePixels(const YuvTables& t, unsigned lanes, __m128i y8, __m128i u8,
                                           __m128i v8, std::uint8_t* out) {
  alignas(16) std::uint8_t y[16], u[16], v[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(y), y8);
  _mm_store_si128(reinterpret_cast<__m128i*>(u), u8);
  _mm_store_si128(reinterpret_cast<__m128i*>(v), v8);
  for (; lanes; lanes &= lanes - 1) {
    const int i = __builtin_ctz(lanes) / 2;
    YuvPixel(t, y[i], u[i], v[i], out + 3 * i);
  }
}

QRV_AVX2 int YuvRow(const YuvTables& t, const std::uint8_t* in, std::uint8_t* out, int width, int y0, int u, int y1,
                    int v) {
  // Each 16-byte load holds 4 pairs: their Y bytes, and U and V once for each of the two pixels.
  const __m128i ym = PairMask(y0, y1, 4), um = PairMask(u, u, 4), vm = PairMask(v, v, 4);
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * x + 16));
    const __m128i yy = _mm_unpacklo_epi64(_mm_shuffle_epi8(a, ym), _mm_shuffle_epi8(b, ym));
    const __m128i uu = _mm_unpacklo_epi64(_mm_shuffle_epi8(a, um), _mm_shuffle_epi8(b, um));
    const __m128i vv = _mm_unpacklo_epi64(_mm_shuffle_epi8(a, vm), _mm_shuffle_epi8(b, vm));
    if (const unsigned lanes = Block16(yy, uu, vv, out + 3 * x)) TablePixels(t, lanes, yy, uu, vv, out + 3 * x);
  }
  return x;
}

QRV_AVX2 int PlanarRow(const YuvTables& t, const std::uint8_t* luma, const std::uint8_t* chroma, std::uint8_t* out,
                       int width) {
  const __m128i um = PairMask(1, 1, 2), vm = PairMask(0, 0, 2);
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + x));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chroma + x));
    const __m128i uu = _mm_shuffle_epi8(c, um), vv = _mm_shuffle_epi8(c, vm);
    if (const unsigned lanes = Block16(y, uu, vv, out + 3 * x)) TablePixels(t, lanes, y, uu, vv, out + 3 * x);
  }
  return x;
}

// Weighted sums of 8 pixels as 32-bit lanes: (first, second) byte pairs times (k1, k2) plus (third, 1) times
// (k3, k4).
QRV_AVX2 inline __m256i Weigh(__m128i first, __m128i second, __m128i third, int k1, int k2, int k3, int k4) {
  const __m256i a = _mm256_cvtepu8_epi16(_mm_unpacklo_epi8(first, second));
  const __m256i b = _mm256_cvtepu8_epi16(_mm_unpacklo_epi8(third, _mm_set1_epi8(1)));
  return _mm256_add_epi32(_mm256_madd_epi16(a, _mm256_set1_epi32(k1 | (k2 << 16))),
                          _mm256_madd_epi16(b, _mm256_set1_epi32(k3 | (k4 << 16))));
}

// floor(s / 1000) for 0 <= s < 256000.
QRV_AVX2 inline __m256i DivideBy1000(__m256i s) {
  return _mm256_srli_epi32(_mm256_mullo_epi32(_mm256_srli_epi32(s, 3), _mm256_set1_epi32(33555)), 22);
}

// floor(n * scale) for positive n whose quotient is never whole: the double product is then exact enough.
QRV_AVX2 inline __m256i Scaled(__m256i n, double scale) {
  const __m256d k = _mm256_set1_pd(scale);
  const __m128i lo = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(n)), k));
  const __m128i hi = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(n, 1)), k));
  return _mm256_set_m128i(hi, lo);
}

// Eight UYVY pairs. Y' = 0.299 R + 0.587 G + 0.114 B is S / 1000 with S = 299 R + 587 G + 114 B;
// U = trunc(0.564 (B0 - Y0') 224 / 256 + 128.5) is floor((987 (1000 B0 - S0) + 257e6) / 2e6) and
// V = trunc(0.713 (R1 - Y1') 224 / 256 + 128.5) is floor((4991 (1000 R1 - S1) + 1028e6) / 8e6); neither is ever
// whole. Returns a mask with bit 4i set for pair i when one of its lumas is whole (S a non-zero multiple of
// 1000); the caller redoes those pairs.
QRV_AVX2 unsigned Pairs8(const std::uint8_t* in, std::uint8_t* out, const PlaneMasks& masks) {
  __m128i piece[3];
  Load48(in, piece);
  const __m128i b = Plane(piece, masks, 0), g = Plane(piece, masks, 1), r = Plane(piece, masks, 2);
  const __m128i b1 = _mm_srli_si128(b, 8), g1 = _mm_srli_si128(g, 8), r1 = _mm_srli_si128(r, 8);
  const __m256i s0 = Weigh(r, g, b, 299, 587, 114, 0), s1 = Weigh(r1, g1, b1, 299, 587, 114, 0);
  const __m256i y0 = DivideBy1000(s0), y1 = DivideBy1000(s1);
  const __m256i one = _mm256_set1_epi32(1), thousand = _mm256_set1_epi32(1000);
  const __m256i whole =
      _mm256_or_si256(_mm256_cmpeq_epi32(_mm256_mullo_epi32(y0, thousand), _mm256_max_epi32(s0, one)),
                      _mm256_cmpeq_epi32(_mm256_mullo_epi32(y1, thousand), _mm256_max_epi32(s1, one)));
  const __m256i d = _mm256_sub_epi32(_mm256_mullo_epi32(_mm256_cvtepu8_epi32(b), thousand), s0);
  const __m256i e = _mm256_sub_epi32(_mm256_mullo_epi32(_mm256_cvtepu8_epi32(r1), thousand), s1);
  const __m256i lo = _mm256_set1_epi32(16), hi = _mm256_set1_epi32(240);
  const __m256i u = _mm256_min_epi32(_mm256_max_epi32(
      Scaled(_mm256_add_epi32(_mm256_mullo_epi32(d, _mm256_set1_epi32(987)), _mm256_set1_epi32(257000000)),
             1.0 / 2e6), lo), hi);
  const __m256i v = _mm256_min_epi32(_mm256_max_epi32(
      Scaled(_mm256_add_epi32(_mm256_mullo_epi32(e, _mm256_set1_epi32(4991)), _mm256_set1_epi32(1028000000)),
             1.0 / 8e6), lo), hi);
  const __m256i packed = _mm256_or_si256(_mm256_or_si256(u, _mm256_slli_epi32(y0, 8)),
                                         _mm256_or_si256(_mm256_slli_epi32(v, 16), _mm256_slli_epi32(y1, 24)));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), packed);
  return static_cast<unsigned>(_mm256_movemask_epi8(whole)) & 0x11111111u;
}

QRV_AVX2 int YuvPairs(const std::uint8_t* in, std::uint8_t* out, int pairs) {
  const PlaneMasks& masks = EvenThenOdd();
  int p = 0;
  for (; p + 8 <= pairs; p += 8) {
    for (unsigned whole = Pairs8(in + 6 * p, out + 4 * p, masks); whole; whole &= whole - 1) {
      const int i = p + __builtin_ctz(whole) / 4;
      BgrPairToUyvy(in + 6 * i, out + 4 * i);
    }
  }
  return p;
}

// (587 G + 299 R + 114 B + 500) / 1000 into all three bytes of 16 pixels; src may equal dst.
QRV_AVX2 std::size_t GreyPixels(const std::uint8_t* src, std::uint8_t* dst, std::size_t n) {
  const PlaneMasks& masks = NaturalOrder();
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i piece[3];
    Load48(src + 3 * i, piece);
    const __m128i b = Plane(piece, masks, 0), g = Plane(piece, masks, 1), r = Plane(piece, masks, 2);
    const __m256i lo = DivideBy1000(Weigh(g, r, b, 587, 299, 114, 500));
    const __m256i hi = DivideBy1000(
        Weigh(_mm_srli_si128(g, 8), _mm_srli_si128(r, 8), _mm_srli_si128(b, 8), 587, 299, 114, 500));
    const __m128i y = Bytes16(_mm256_permute4x64_epi64(_mm256_packus_epi32(lo, hi), 0xD8));
    qrv::simd::StoreBgr16(dst + 3 * i, y, y, y);
  }
  return i;
}


}  // namespace

int YuvRowToBgr(const YuvTables& t, const std::uint8_t* in, std::uint8_t* out, int width, int y0, int u, int y1,
                int v) {
  if (qrv::simd::HasAvx512()) return YuvRow512(t, in, out, width, y0, u, y1, v);
  return HasAvx2() ? YuvRow(t, in, out, width, y0, u, y1, v) : 0;
}

int PlanarRowToBgr(const YuvTables& t, const std::uint8_t* luma, const std::uint8_t* chroma, std::uint8_t* out,
                   int width) {
  if (qrv::simd::HasAvx512()) return PlanarRow512(t, luma, chroma, out, width);
  return HasAvx2() ? PlanarRow(t, luma, chroma, out, width) : 0;
}

int BgrPairsToYuv(const std::uint8_t* in, std::uint8_t* out, int pairs) {
  if (qrv::simd::HasAvx512()) return YuvPairs512(in, out, pairs);
  return HasAvx2() ? YuvPairs(in, out, pairs) : 0;
}

std::size_t BgrToGrey(const std::uint8_t* src, std::uint8_t* dst, std::size_t pixels) {
  if (qrv::simd::HasAvx512()) return GreyPixels512(src, dst, pixels);
  return HasAvx2() ? GreyPixels(src, dst, pixels) : 0;
}

}  // namespace qrv::sw::simd
