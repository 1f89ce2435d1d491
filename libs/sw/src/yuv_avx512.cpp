#include "yuv_avx512.h"

#include <immintrin.h>

#include <cstddef>

#include "bgr_simd.h"

// The integer forms of yuv_simd.cpp (see there why they equal the tables and the double rules) on 512-bit
// vectors, with byte permutes for the loads and stores.

namespace qrv::sw::simd {
namespace {

// The same arithmetic as Block16 on 32 pixels. Returns a mask with bit i set for pixel i on a whole number.
QRV_AVX512 inline __attribute__((always_inline)) std::uint32_t Block32(__m256i y8, __m256i u8, __m256i v8,
                                                                       std::uint8_t* out) {
  const __m512i y = _mm512_cvtepu8_epi16(y8), u = _mm512_cvtepu8_epi16(u8), v = _mm512_cvtepu8_epi16(v8);
  __m512i g = _mm512_add_epi16(_mm512_mullo_epi16(y, _mm512_set1_epi16(149)), _mm512_set1_epi16(17328));
  g = _mm512_subs_epu16(g, _mm512_add_epi16(_mm512_mullo_epi16(u, _mm512_set1_epi16(50)),
                                            _mm512_mullo_epi16(v, _mm512_set1_epi16(104))));
  g = _mm512_srli_epi16(g, 7);
  const __m512i one = _mm512_set1_epi16(1), top = _mm512_set1_epi16(-1537);  // 63999
  const __m512i redK = _mm512_set1_epi32(291 | (399 << 16)), blueK = _mm512_set1_epi32(582 | (1009 << 16));
  const __m512i redBias = _mm512_set1_epi32(-55728), blueBias = _mm512_set1_epi32(-138464);
  const __m512i redT =
      _mm512_packus_epi32(_mm512_add_epi32(_mm512_madd_epi16(_mm512_unpacklo_epi16(y, v), redK), redBias),
                          _mm512_add_epi32(_mm512_madd_epi16(_mm512_unpackhi_epi16(y, v), redK), redBias));
  const __m512i blueT = _mm512_packus_epi32(
      _mm512_srai_epi32(_mm512_add_epi32(_mm512_madd_epi16(_mm512_unpacklo_epi16(y, u), blueK), blueBias), 1),
      _mm512_srai_epi32(_mm512_add_epi32(_mm512_madd_epi16(_mm512_unpackhi_epi16(y, u), blueK), blueBias), 1));
  const __m512i redX = _mm512_min_epu16(_mm512_max_epu16(redT, one), top);
  const __m512i blueX = _mm512_min_epu16(_mm512_max_epu16(blueT, one), top);
  const __m512i magic = _mm512_set1_epi16(-31981), k250 = _mm512_set1_epi16(250);
  const __m512i r = _mm512_srli_epi16(_mm512_mulhi_epu16(_mm512_srli_epi16(redX, 1), magic), 6);
  const __m512i b = _mm512_srli_epi16(_mm512_mulhi_epu16(_mm512_srli_epi16(blueX, 1), magic), 6);
  const __mmask32 redExact = _mm512_cmpeq_epi16_mask(_mm512_mullo_epi16(r, k250), redX);
  const __mmask32 blueExact = _mm512_cmpeq_epi16_mask(_mm512_mullo_epi16(b, k250), blueX) &
                              _mm512_testn_epi16_mask(u, one);
  qrv::simd::StoreBgr32(out, _mm512_cvtusepi16_epi8(b), _mm512_cvtusepi16_epi8(g), _mm512_cvtusepi16_epi8(r));
  return static_cast<std::uint32_t>(redExact | blueExact);
}

__attribute__((noinline)) void TablePixels32(const YuvTables& t, std::uint32_t lanes, const std::uint8_t* y,
                                             const std::uint8_t* u, const std::uint8_t* v, std::uint8_t* out) {
  for (; lanes; lanes &= lanes - 1) {
    const int i = __builtin_ctz(lanes);
    YuvPixel(t, y[i], u[i], v[i], out + 3 * i);
  }
}

// Byte index vectors that pick Y, U and V of 16 interleaved pairs (64 bytes) into 32 bytes each.
struct PairPicks {
  alignas(64) std::uint8_t y[64], u[64], v[64];
};

PairPicks MakePairPicks(int y0, int u, int y1, int v) {
  PairPicks p{};
  for (int i = 0; i < 32; ++i) {
    const int pair = 4 * (i / 2);
    p.y[i] = static_cast<std::uint8_t>(pair + (i & 1 ? y1 : y0));
    p.u[i] = static_cast<std::uint8_t>(pair + u);
    p.v[i] = static_cast<std::uint8_t>(pair + v);
  }
  return p;
}




// Byte picks from 96 input bytes held as two vectors (bytes 0-63, 64-95).
struct Picks96 {
  alignas(64) std::uint8_t a[64], b[64];
};

// Sixteen BGR pixel pairs: (R0, G0) of each pair, then (R1, G1); and B0 of each pair, then B1.
const Picks96& PairPlanes() {
  static const Picks96 picks = [] {
    Picks96 p{};
    for (int i = 0; i < 16; ++i) {
      p.a[2 * i] = static_cast<std::uint8_t>(6 * i + 2);
      p.a[2 * i + 1] = static_cast<std::uint8_t>(6 * i + 1);
      p.a[32 + 2 * i] = static_cast<std::uint8_t>(6 * i + 5);
      p.a[32 + 2 * i + 1] = static_cast<std::uint8_t>(6 * i + 4);
      p.b[i] = static_cast<std::uint8_t>(6 * i);
      p.b[16 + i] = static_cast<std::uint8_t>(6 * i + 3);
    }
    return p;
  }();
  return picks;
}

// Thirty-two BGR pixels: (G, R) of each; and B of each.
const Picks96& GreyPlanes() {
  static const Picks96 picks = [] {
    Picks96 p{};
    for (int i = 0; i < 32; ++i) {
      p.a[2 * i] = static_cast<std::uint8_t>(3 * i + 1);
      p.a[2 * i + 1] = static_cast<std::uint8_t>(3 * i + 2);
      p.b[i] = static_cast<std::uint8_t>(3 * i);
    }
    return p;
  }();
  return picks;
}

QRV_AVX512 inline void Load96(const std::uint8_t* in, __m512i& low, __m512i& high) {
  low = _mm512_loadu_si512(in);
  high = _mm512_maskz_loadu_epi8(0xFFFFFFFFull, in + 64);
}

QRV_AVX512 inline __m512i DivideBy1000x16(__m512i s) {
  return _mm512_srli_epi32(_mm512_mullo_epi32(_mm512_srli_epi32(s, 3), _mm512_set1_epi32(33555)), 22);
}

QRV_AVX512 inline __m512i Scaled16(__m512i n, double scale) {
  const __m512d k = _mm512_set1_pd(scale);
  const __m256i lo = _mm512_cvttpd_epi32(_mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_castsi512_si256(n)), k));
  const __m256i hi = _mm512_cvttpd_epi32(_mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(n, 1)), k));
  return _mm512_inserti64x4(_mm512_zextsi256_si512(lo), hi, 1);
}

// Sixteen UYVY pairs by the integer forms of Pairs8. Returns a mask with bit i set for pair i when one of its
// lumas is whole; the caller redoes those pairs.
QRV_AVX512 std::uint32_t Pairs16(const std::uint8_t* in, std::uint8_t* out, const Picks96& picks) {
  __m512i low, high;
  Load96(in, low, high);
  const __m512i rg = _mm512_permutex2var_epi8(low, _mm512_load_si512(picks.a), high);
  const __m512i blue = _mm512_permutex2var_epi8(low, _mm512_load_si512(picks.b), high);
  const __m512i rg0 = _mm512_cvtepu8_epi16(_mm512_castsi512_si256(rg));
  const __m512i rg1 = _mm512_cvtepu8_epi16(_mm512_extracti64x4_epi64(rg, 1));
  const __m512i b0 = _mm512_cvtepu8_epi32(_mm512_castsi512_si128(blue));
  const __m512i b1 = _mm512_cvtepu8_epi32(_mm512_extracti32x4_epi32(blue, 1));
  const __m512i k = _mm512_set1_epi32(299 | (587 << 16)), k114 = _mm512_set1_epi32(114);
  const __m512i s0 = _mm512_add_epi32(_mm512_madd_epi16(rg0, k), _mm512_mullo_epi32(b0, k114));
  const __m512i s1 = _mm512_add_epi32(_mm512_madd_epi16(rg1, k), _mm512_mullo_epi32(b1, k114));
  const __m512i y0 = DivideBy1000x16(s0), y1 = DivideBy1000x16(s1);
  const __m512i one = _mm512_set1_epi32(1), thousand = _mm512_set1_epi32(1000);
  const __mmask16 whole = _mm512_cmpeq_epi32_mask(_mm512_mullo_epi32(y0, thousand), _mm512_max_epi32(s0, one)) |
                          _mm512_cmpeq_epi32_mask(_mm512_mullo_epi32(y1, thousand), _mm512_max_epi32(s1, one));
  const __m512i d = _mm512_sub_epi32(_mm512_mullo_epi32(b0, thousand), s0);
  const __m512i r1 = _mm512_and_si512(rg1, _mm512_set1_epi32(0xFFFF));
  const __m512i e = _mm512_sub_epi32(_mm512_mullo_epi32(r1, thousand), s1);
  const __m512i lo = _mm512_set1_epi32(16), hi = _mm512_set1_epi32(240);
  const __m512i u = _mm512_min_epi32(_mm512_max_epi32(
      Scaled16(_mm512_add_epi32(_mm512_mullo_epi32(d, _mm512_set1_epi32(987)), _mm512_set1_epi32(257000000)),
               1.0 / 2e6), lo), hi);
  const __m512i v = _mm512_min_epi32(_mm512_max_epi32(
      Scaled16(_mm512_add_epi32(_mm512_mullo_epi32(e, _mm512_set1_epi32(4991)), _mm512_set1_epi32(1028000000)),
               1.0 / 8e6), lo), hi);
  const __m512i packed = _mm512_or_si512(_mm512_or_si512(u, _mm512_slli_epi32(y0, 8)),
                                         _mm512_or_si512(_mm512_slli_epi32(v, 16), _mm512_slli_epi32(y1, 24)));
  _mm512_storeu_si512(out, packed);
  return whole;
}

}  // namespace

QRV_AVX512 int YuvRow512(const YuvTables& t, const std::uint8_t* in, std::uint8_t* out, int width, int y0, int u,
                         int y1, int v) {
  const PairPicks picks = MakePairPicks(y0, u, y1, v);
  const __m512i ym = _mm512_load_si512(picks.y), um = _mm512_load_si512(picks.u), vm = _mm512_load_si512(picks.v);
  int x = 0;
  for (; x + 32 <= width; x += 32) {
    const __m512i a = _mm512_loadu_si512(in + 2 * x);
    const __m256i yy = _mm512_castsi512_si256(_mm512_permutexvar_epi8(ym, a));
    const __m256i uu = _mm512_castsi512_si256(_mm512_permutexvar_epi8(um, a));
    const __m256i vv = _mm512_castsi512_si256(_mm512_permutexvar_epi8(vm, a));
    if (const std::uint32_t lanes = Block32(yy, uu, vv, out + 3 * x)) {
      alignas(32) std::uint8_t ys[32], us[32], vs[32];
      _mm256_store_si256(reinterpret_cast<__m256i*>(ys), yy);
      _mm256_store_si256(reinterpret_cast<__m256i*>(us), uu);
      _mm256_store_si256(reinterpret_cast<__m256i*>(vs), vv);
      TablePixels32(t, lanes, ys, us, vs, out + 3 * x);
    }
  }
  return x;
}

QRV_AVX512 int PlanarRow512(const YuvTables& t, const std::uint8_t* luma, const std::uint8_t* chroma,
                            std::uint8_t* out, int width) {
  alignas(64) std::uint8_t pickU[64] = {}, pickV[64] = {};
  for (int i = 0; i < 32; ++i) {
    pickV[i] = static_cast<std::uint8_t>(i & ~1);
    pickU[i] = static_cast<std::uint8_t>((i & ~1) + 1);
  }
  const __m512i um = _mm512_load_si512(pickU), vm = _mm512_load_si512(pickV);
  int x = 0;
  for (; x + 32 <= width; x += 32) {
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(luma + x));
    const __m512i c = _mm512_zextsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(chroma + x)));
    const __m256i uu = _mm512_castsi512_si256(_mm512_permutexvar_epi8(um, c));
    const __m256i vv = _mm512_castsi512_si256(_mm512_permutexvar_epi8(vm, c));
    if (const std::uint32_t lanes = Block32(y, uu, vv, out + 3 * x)) {
      alignas(32) std::uint8_t us[32], vs[32];
      _mm256_store_si256(reinterpret_cast<__m256i*>(us), uu);
      _mm256_store_si256(reinterpret_cast<__m256i*>(vs), vv);
      TablePixels32(t, lanes, luma + x, us, vs, out + 3 * x);
    }
  }
  return x;
}

QRV_AVX512 int YuvPairs512(const std::uint8_t* in, std::uint8_t* out, int pairs) {
  const Picks96& picks = PairPlanes();
  int p = 0;
  for (; p + 16 <= pairs; p += 16) {
    for (std::uint32_t whole = Pairs16(in + 6 * p, out + 4 * p, picks); whole; whole &= whole - 1) {
      const int i = p + __builtin_ctz(whole);
      BgrPairToUyvy(in + 6 * i, out + 4 * i);
    }
  }
  return p;
}

QRV_AVX512 std::size_t GreyPixels512(const std::uint8_t* src, std::uint8_t* dst, std::size_t n) {
  const Picks96& picks = GreyPlanes();
  alignas(64) std::uint8_t spread[2][64];
  for (int i = 0; i < 64; ++i) {
    spread[0][i] = static_cast<std::uint8_t>(i / 3);
    spread[1][i] = static_cast<std::uint8_t>(i < 32 ? (64 + i) / 3 : 0);
  }
  const __m512i gPick = _mm512_load_si512(picks.a), bPick = _mm512_load_si512(picks.b);
  const __m512i spread0 = _mm512_load_si512(spread[0]), spread1 = _mm512_load_si512(spread[1]);
  const __m512i k = _mm512_set1_epi32(587 | (299 << 16)), k114 = _mm512_set1_epi32(114);
  const __m512i half = _mm512_set1_epi32(500);
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    __m512i low, high;
    Load96(src + 3 * i, low, high);
    const __m512i gr = _mm512_permutex2var_epi8(low, gPick, high);
    const __m512i blue = _mm512_permutex2var_epi8(low, bPick, high);
    const __m512i s0 = _mm512_add_epi32(
        _mm512_add_epi32(_mm512_madd_epi16(_mm512_cvtepu8_epi16(_mm512_castsi512_si256(gr)), k), half),
        _mm512_mullo_epi32(_mm512_cvtepu8_epi32(_mm512_castsi512_si128(blue)), k114));
    const __m512i s1 = _mm512_add_epi32(
        _mm512_add_epi32(_mm512_madd_epi16(_mm512_cvtepu8_epi16(_mm512_extracti64x4_epi64(gr, 1)), k), half),
        _mm512_mullo_epi32(_mm512_cvtepu8_epi32(_mm512_extracti32x4_epi32(blue, 1)), k114));
    const __m256i y = _mm256_set_m128i(_mm512_cvtepi32_epi8(DivideBy1000x16(s1)),
                                       _mm512_cvtepi32_epi8(DivideBy1000x16(s0)));
    const __m512i yz = _mm512_zextsi256_si512(y);
    std::uint8_t* out = dst + 3 * i;
    _mm512_storeu_si512(out, _mm512_permutexvar_epi8(spread0, yz));
    _mm512_mask_storeu_epi8(out + 64, 0xFFFFFFFFull, _mm512_permutexvar_epi8(spread1, yz));
  }
  return i;
}

}  // namespace qrv::sw::simd
