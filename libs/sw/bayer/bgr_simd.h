#pragma once
// SSSE3, AVX2 and AVX-512 helpers for 3-byte BGR pixels, shared by the Bayer kernel and the library's loops.
// Callers check HasSsse3() / HasAvx2() / HasAvx512() and call the QRV_SSSE3 / QRV_AVX2 / QRV_AVX512
// functions only then.
#include <immintrin.h>

#include <atomic>
#include <cstdint>

// GCC 12's AVX-512 headers build casts from deliberately undefined vectors and then warn about them (GCC bug
// 105593); the files that include this header use those casts.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ < 13
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// The tuning keeps constant multiplies as multiplies (the generic tuning turns them into shift-and-add chains
// that cost more instructions); it changes no result.
#define QRV_SSSE3 __attribute__((target("ssse3")))
#define QRV_AVX2 __attribute__((target("avx2,tune=znver3")))
// 512-bit integer work with byte permutes (AVX-512 F, BW, VBMI).
#define QRV_AVX512 __attribute__((target("avx2,avx512f,avx512bw,avx512vbmi,tune=znver3")))

namespace qrv::simd {

enum class Level : int { kBaseline = 0, kSsse3 = 1, kAvx2 = 2, kAvx512 = 3 };

// The widest loops in use; tests lower it to run the narrower loops on a machine that has wider ones.
inline std::atomic<Level>& LevelCap() {
  static std::atomic<Level> cap{Level::kAvx512};
  return cap;
}

inline bool Allowed(Level level) { return LevelCap().load(std::memory_order_relaxed) >= level; }

inline bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has && Allowed(Level::kSsse3);
}

inline bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has && Allowed(Level::kAvx2);
}

inline bool HasAvx512() {
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                          __builtin_cpu_supports("avx512vbmi");
  return has && Allowed(Level::kAvx512);
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

// 32 blue, green and red bytes to 32 pixels (96 bytes).
QRV_AVX512 inline void StoreBgr32(std::uint8_t* out, __m256i b, __m256i g, __m256i r) {
  alignas(64) static const std::uint8_t kIndex[2][64] = {
      {0,  32, 64, 1,  33, 65, 2,  34, 66, 3,  35, 67, 4,  36, 68, 5,  37, 69, 6,  38, 70, 7,
       39, 71, 8,  40, 72, 9,  41, 73, 10, 42, 74, 11, 43, 75, 12, 44, 76, 13, 45, 77, 14, 46,
       78, 15, 47, 79, 16, 48, 80, 17, 49, 81, 18, 50, 82, 19, 51, 83, 20, 52, 84, 21},
      {53, 85, 22, 54, 86, 23, 55, 87, 24, 56, 88, 25, 57, 89, 26, 58, 90, 27, 59, 91, 28, 60,
       92, 29, 61, 93, 30, 62, 94, 31, 63, 95, 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
       0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0}};
  const __m512i bg = _mm512_inserti64x4(_mm512_zextsi256_si512(b), g, 1);
  const __m512i rr = _mm512_zextsi256_si512(r);
  _mm512_storeu_si512(out, _mm512_permutex2var_epi8(bg, _mm512_load_si512(kIndex[0]), rr));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 64),
                      _mm512_castsi512_si256(_mm512_permutex2var_epi8(bg, _mm512_load_si512(kIndex[1]), rr)));
}

}  // namespace qrv::simd
