#include "yuv_simd.h"

#include <immintrin.h>

#include "bgr_simd.h"

#define QRV_AVX2 __attribute__((target("avx2")))

namespace qrv::sw::simd {
namespace {

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// Eight table bytes at row * 256 + column; the tables are followed by padding, so the 4-byte gathers stay inside.
QRV_AVX2 inline __m256i Lookup(const std::uint8_t* table, __m256i row, __m256i column) {
  const __m256i index = _mm256_add_epi32(_mm256_slli_epi32(row, 8), column);
  return _mm256_and_si256(_mm256_i32gather_epi32(reinterpret_cast<const int*>(table), index, 1),
                          _mm256_set1_epi32(0xFF));
}

// Eight bytes of a vector to 32-bit lanes.
QRV_AVX2 inline __m256i Widen(__m128i bytes) { return _mm256_cvtepu8_epi32(bytes); }

// 8 int lanes (0..255) to the low 8 bytes of a vector.
QRV_AVX2 inline __m128i Narrow(__m256i v) {
  const __m128i words = _mm_packus_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
  return _mm_packus_epi16(words, words);
}

// Sixteen pixels from their Y, U and V bytes.
QRV_AVX2 void Block16(const YuvTables& t, __m128i y, __m128i u, __m128i v, std::uint8_t* out) {
  __m128i blue[2], green[2], red[2];
  for (int half = 0; half < 2; ++half) {
    const __m128i shift = half ? _mm_srli_si128(y, 8) : y;
    const __m256i yy = Widen(shift);
    const __m256i uu = Widen(half ? _mm_srli_si128(u, 8) : u);
    const __m256i vv = Widen(half ? _mm_srli_si128(v, 8) : v);
    blue[half] = Narrow(Lookup(&t.blue[0][0], yy, uu));
    red[half] = Narrow(Lookup(&t.red[0][0], yy, vv));
    __m256i g = _mm256_mullo_epi32(yy, _mm256_set1_epi32(1192));
    g = _mm256_sub_epi32(g, _mm256_mullo_epi32(uu, _mm256_set1_epi32(400)));
    g = _mm256_sub_epi32(g, _mm256_mullo_epi32(vv, _mm256_set1_epi32(832)));
    g = _mm256_srai_epi32(_mm256_add_epi32(g, _mm256_set1_epi32(138624)), 10);
    green[half] = Narrow(_mm256_max_epi32(_mm256_min_epi32(g, _mm256_set1_epi32(255)), _mm256_setzero_si256()));
  }
  qrv::simd::StoreBgr16(out, _mm_unpacklo_epi64(blue[0], blue[1]), _mm_unpacklo_epi64(green[0], green[1]),
                        _mm_unpacklo_epi64(red[0], red[1]));
}

QRV_AVX2 __m128i Mask(int a, int b, int step) {
  alignas(16) std::int8_t m[16];
  for (int i = 0; i < 8; ++i) {
    m[2 * i] = static_cast<std::int8_t>(step * i + a);
    m[2 * i + 1] = static_cast<std::int8_t>(step * i + b);
  }
  for (int i = 0; i < 16; ++i)
    if (m[i] >= 16) m[i] = -1;
  return _mm_load_si128(reinterpret_cast<const __m128i*>(m));
}

QRV_AVX2 int YuvRow(const YuvTables& t, const std::uint8_t* in, std::uint8_t* out, int width, int y0, int u, int y1,
                    int v) {
  // Each 16-byte load holds 4 pairs: their Y bytes, and U and V once for each of the two pixels.
  const __m128i ym = Mask(y0, y1, 4), um = Mask(u, u, 4), vm = Mask(v, v, 4);
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * x + 16));
    const __m128i yy = _mm_unpacklo_epi64(_mm_shuffle_epi8(a, ym), _mm_shuffle_epi8(b, ym));
    const __m128i uu = _mm_unpacklo_epi64(_mm_shuffle_epi8(a, um), _mm_shuffle_epi8(b, um));
    const __m128i vv = _mm_unpacklo_epi64(_mm_shuffle_epi8(a, vm), _mm_shuffle_epi8(b, vm));
    Block16(t, yy, uu, vv, out + 3 * x);
  }
  return x;
}

QRV_AVX2 int PlanarRow(const YuvTables& t, const std::uint8_t* luma, const std::uint8_t* chroma, std::uint8_t* out,
                       int width) {
  const __m128i um = Mask(1, 1, 2), vm = Mask(0, 0, 2);
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + x));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chroma + x));
    Block16(t, y, _mm_shuffle_epi8(c, um), _mm_shuffle_epi8(c, vm), out + 3 * x);
  }
  return x;
}

// Byte k of four consecutive pixel pairs as doubles.
QRV_AVX2 inline __m256d Lane(const std::uint8_t* q, int k) {
  return _mm256_cvtepi32_pd(_mm_setr_epi32(q[k], q[k + 6], q[k + 12], q[k + 18]));
}

// The same operations in the same order as the scalar rule, four pairs at a time; no fused multiply-add.
QRV_AVX2 int YuvPairs(const std::uint8_t* in, std::uint8_t* out, int pairs) {
  const __m256d kr = _mm256_set1_pd(0.299), kg = _mm256_set1_pd(0.587), kb = _mm256_set1_pd(0.114);
  const __m256d ku = _mm256_set1_pd(0.564), kv = _mm256_set1_pd(0.713), k224 = _mm256_set1_pd(224);
  const __m256d k256 = _mm256_set1_pd(256), k128 = _mm256_set1_pd(128), kHalf = _mm256_set1_pd(0.5);
  int p = 0;
  for (; p + 4 <= pairs; p += 4) {
    const std::uint8_t* q = in + 6 * p;
    const __m256d b0 = Lane(q, 0), g0 = Lane(q, 1), r0 = Lane(q, 2), b1 = Lane(q, 3), g1 = Lane(q, 4), r1 = Lane(q, 5);
    const __m256d y0 = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(kr, r0), _mm256_mul_pd(kg, g0)), _mm256_mul_pd(kb, b0));
    const __m256d y1 = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(kr, r1), _mm256_mul_pd(kg, g1)), _mm256_mul_pd(kb, b1));
    const __m256d uf = _mm256_add_pd(
        _mm256_add_pd(_mm256_div_pd(_mm256_mul_pd(_mm256_mul_pd(ku, _mm256_sub_pd(b0, y0)), k224), k256), k128), kHalf);
    const __m256d vf = _mm256_add_pd(
        _mm256_add_pd(_mm256_div_pd(_mm256_mul_pd(_mm256_mul_pd(kv, _mm256_sub_pd(r1, y1)), k224), k256), k128), kHalf);
    const __m128i lo = _mm_set1_epi32(16), hi = _mm_set1_epi32(240), zero = _mm_setzero_si128(), top = _mm_set1_epi32(255);
    const __m128i u = _mm_min_epi32(_mm_max_epi32(_mm256_cvttpd_epi32(uf), lo), hi);
    const __m128i v = _mm_min_epi32(_mm_max_epi32(_mm256_cvttpd_epi32(vf), lo), hi);
    const __m128i ya = _mm_min_epi32(_mm_max_epi32(_mm256_cvttpd_epi32(y0), zero), top);
    const __m128i yb = _mm_min_epi32(_mm_max_epi32(_mm256_cvttpd_epi32(y1), zero), top);
    const __m128i packed = _mm_or_si128(_mm_or_si128(u, _mm_slli_epi32(ya, 8)),
                                        _mm_or_si128(_mm_slli_epi32(v, 16), _mm_slli_epi32(yb, 24)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * p), packed);
  }
  return p;
}

}  // namespace

int YuvRowToBgr(const YuvTables& t, const std::uint8_t* in, std::uint8_t* out, int width, int y0, int u, int y1,
                int v) {
  return HasAvx2() ? YuvRow(t, in, out, width, y0, u, y1, v) : 0;
}

int PlanarRowToBgr(const YuvTables& t, const std::uint8_t* luma, const std::uint8_t* chroma, std::uint8_t* out,
                   int width) {
  return HasAvx2() ? PlanarRow(t, luma, chroma, out, width) : 0;
}

int BgrPairsToYuv(const std::uint8_t* in, std::uint8_t* out, int pairs) {
  return HasAvx2() ? YuvPairs(in, out, pairs) : 0;
}

}  // namespace qrv::sw::simd
