#include "raw_simd.h"

#include <immintrin.h>

#include "bgr_simd.h"

namespace qrv::sw::simd {
namespace {

using qrv::simd::HasSsse3;

QRV_SSSE3 int Raw10ToWords(const std::uint8_t* in, std::uint16_t* out, int groups) {
  const __m128i high = _mm_setr_epi8(0, -1, 1, -1, 2, -1, 3, -1, 5, -1, 6, -1, 7, -1, 8, -1);
  const __m128i low = _mm_setr_epi8(4, -1, 4, -1, 4, -1, 4, -1, 9, -1, 9, -1, 9, -1, 9, -1);
  const __m128i lift = _mm_setr_epi16(64, 16, 4, 1, 64, 16, 4, 1);
  const __m128i two = _mm_set1_epi16(3);
  int g = 0;
  // Two groups (10 bytes) a step; the 16-byte load must stay inside the row's whole groups.
  for (; g + 4 <= groups; g += 2) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 5 * g));
    const __m128i msb = _mm_slli_epi16(_mm_shuffle_epi8(v, high), 2);
    const __m128i lsb = _mm_and_si128(_mm_srli_epi16(_mm_mullo_epi16(_mm_shuffle_epi8(v, low), lift), 6), two);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * g), _mm_or_si128(msb, lsb));
  }
  return g;
}

QRV_SSSE3 int Raw12ToWords(const std::uint8_t* in, std::uint16_t* out, int groups) {
  const __m128i high = _mm_setr_epi8(0, -1, 1, -1, 3, -1, 4, -1, 6, -1, 7, -1, 9, -1, 10, -1);
  const __m128i low = _mm_setr_epi8(2, -1, 2, -1, 5, -1, 5, -1, 8, -1, 8, -1, 11, -1, 11, -1);
  const __m128i evenMask = _mm_setr_epi16(0x0F, 0, 0x0F, 0, 0x0F, 0, 0x0F, 0);
  const __m128i oddMask = _mm_setr_epi16(0, 0x0F, 0, 0x0F, 0, 0x0F, 0, 0x0F);
  int g = 0;
  // Four groups (12 bytes) a step.
  for (; g + 6 <= groups; g += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * g));
    const __m128i msb = _mm_slli_epi16(_mm_shuffle_epi8(v, high), 4);
    const __m128i l = _mm_shuffle_epi8(v, low);
    const __m128i lsb = _mm_or_si128(_mm_and_si128(l, evenMask), _mm_and_si128(_mm_srli_epi16(l, 4), oddMask));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * g), _mm_or_si128(msb, lsb));
  }
  return g;
}

QRV_SSSE3 int Raw10ToBytes(const std::uint8_t* in, std::uint8_t* out, int groups) {
  const __m128i pick = _mm_setr_epi8(0, 1, 2, 3, 5, 6, 7, 8, 10, 11, 12, 13, -1, -1, -1, -1);
  int g = 0;
  // Three groups a step; the 16-byte store runs 4 bytes ahead and is overwritten by the next step.
  for (; g + 4 <= groups; g += 3) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 5 * g));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * g), _mm_shuffle_epi8(v, pick));
  }
  return g;
}

QRV_SSSE3 int Raw12ToBytes(const std::uint8_t* in, std::uint8_t* out, int groups) {
  const __m128i pick = _mm_setr_epi8(0, 1, 3, 4, 6, 7, 9, 10, 12, 13, -1, -1, -1, -1, -1, -1);
  int g = 0;
  // Five groups a step; the store runs 6 bytes ahead.
  for (; g + 8 <= groups; g += 5) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * g));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * g), _mm_shuffle_epi8(v, pick));
  }
  return g;
}

}  // namespace

int UnpackRaw10Groups(const std::uint8_t* in, std::uint16_t* out, int groups) {
  return HasSsse3() ? Raw10ToWords(in, out, groups) : 0;
}
int UnpackRaw12Groups(const std::uint8_t* in, std::uint16_t* out, int groups) {
  return HasSsse3() ? Raw12ToWords(in, out, groups) : 0;
}
int CompressRaw10Groups(const std::uint8_t* in, std::uint8_t* out, int groups) {
  return HasSsse3() ? Raw10ToBytes(in, out, groups) : 0;
}
int CompressRaw12Groups(const std::uint8_t* in, std::uint8_t* out, int groups) {
  return HasSsse3() ? Raw12ToBytes(in, out, groups) : 0;
}

}  // namespace qrv::sw::simd
