#pragma once
// SSSE3 and AVX2 helpers for writing 3-byte BGR pixels, shared by the Bayer kernel and the library's loops.
// Callers check HasSsse3() / HasAvx2() and call the QRV_SSSE3 / QRV_AVX2 functions only then.
#include <immintrin.h>

#include <cstdint>

#define QRV_SSSE3 __attribute__((target("ssse3")))
#define QRV_AVX2 __attribute__((target("avx2,tune=znver3")))

namespace qrv::simd {

inline bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

inline bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// 16 blue, green and red bytes to 16 pixels (48 bytes).
QRV_SSSE3 inline void StoreBgr16(std::uint8_t* out, __m128i b, __m128i g, __m128i r) {
  const __m128i b0 = _mm_setr_epi8(0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1, -1, 5);
  const __m128i b1 = _mm_setr_epi8(-1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1, 10, -1);
  const __m128i b2 = _mm_setr_epi8(-1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15, -1, -1);
  const __m128i g0 = _mm_setr_epi8(-1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1, -1);
  const __m128i g1 = _mm_setr_epi8(5, -1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1, 10);
  const __m128i g2 = _mm_setr_epi8(-1, -1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15, -1);
  const __m128i r0 = _mm_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1);
  const __m128i r1 = _mm_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1);
  const __m128i r2 = _mm_setr_epi8(10, -1, -1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15);
  auto* o = reinterpret_cast<__m128i*>(out);
  _mm_storeu_si128(o, _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b, b0), _mm_shuffle_epi8(g, g0)),
                                   _mm_shuffle_epi8(r, r0)));
  _mm_storeu_si128(o + 1, _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b, b1), _mm_shuffle_epi8(g, g1)),
                                       _mm_shuffle_epi8(r, r1)));
  _mm_storeu_si128(o + 2, _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b, b2), _mm_shuffle_epi8(g, g2)),
                                       _mm_shuffle_epi8(r, r2)));
}

// (x + y) >> 1 per byte, rounded down.
QRV_SSSE3 inline __m128i FloorAverage(__m128i x, __m128i y) {
  return _mm_sub_epi8(_mm_avg_epu8(x, y), _mm_and_si128(_mm_xor_si128(x, y), _mm_set1_epi8(1)));
}

}  // namespace qrv::simd
