#include "frame_sum.h"

#include <cstddef>
#include <vector>

#include "bgr_simd.h"
#include "raw_unpack.h"
#include "split_rows.h"
#include "vector_target.h"

namespace qrv::sw {
namespace {

QRV_VECTOR_LOOP void AddBytes(const std::uint8_t* __restrict frame, std::uint32_t* __restrict sums, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) sums[i] += frame[i];
}

QRV_VECTOR_LOOP void AddWords(const std::uint16_t* __restrict words, std::uint32_t* __restrict sums, std::size_t n,
                              unsigned mask) {
  for (std::size_t i = 0; i < n; ++i) sums[i] += words[i] & mask;
}

// Packed rows are unpacked one row at a time into a scratch row.
template <typename Unpack>
void AddPacked(const std::uint8_t* frame, std::uint32_t* sums, int width, int height, std::size_t stride,
               const Unpack& unpack) {
  std::vector<std::uint16_t> row(static_cast<std::size_t>(width));
  for (int y = 0; y < height; ++y) {
    unpack(frame + static_cast<std::size_t>(y) * stride, row.data(), width, 1);
    AddWords(row.data(), sums + static_cast<std::size_t>(y) * static_cast<std::size_t>(width), row.size(), 0xFFFF);
  }
}

// Unsigned division by a divisor d >= 2 fixed for the frame, as a multiply and shifts (Granlund and
// Montgomery): with l = ceil(log2 d) and m = floor(2^32 (2^l - d) / d) + 1, the quotient of any 32-bit n is
// (t + ((n - t) >> 1)) >> (l - 1) where t is the high word of m n. Exact for every n; d = 1 is a copy.
struct Divider {
  explicit Divider(std::uint32_t d) {
    while ((std::uint64_t{1} << shift) < d) ++shift;
    magic = static_cast<std::uint32_t>(((std::uint64_t{1} << 32) * ((std::uint64_t{1} << shift) - d)) / d + 1);
  }
  std::uint32_t Divide(std::uint32_t n) const {
    const auto t = static_cast<std::uint32_t>((std::uint64_t{magic} * n) >> 32);
    return (t + ((n - t) >> 1)) >> (shift - 1);
  }
  std::uint32_t magic = 0;
  int shift = 0;
};

QRV_AVX2 inline __m256i DivideLanes(__m256i n, const Divider& d) {
  const __m256i m = _mm256_set1_epi32(static_cast<int>(d.magic));
  const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(n, m), 32);
  const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(n, 32), m);
  const __m256i t = _mm256_blend_epi32(even, odd, 0xAA);
  const __m256i half = _mm256_srli_epi32(_mm256_sub_epi32(n, t), 1);
  return _mm256_srl_epi32(_mm256_add_epi32(t, half), _mm_cvtsi32_si128(d.shift - 1));
}

// 32 quotients a step, kept to their low byte. Returns the sums done.
QRV_AVX2 std::size_t AverageBytesAvx2(const std::uint32_t* sums, std::uint8_t* dst, std::size_t n, const Divider& d) {
  const __m256i low = _mm256_set1_epi32(0xFF);
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    __m256i q[4];
    for (int k = 0; k < 4; ++k)
      q[k] = _mm256_and_si256(
          DivideLanes(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + i + 8 * k)), d), low);
    const __m256i words = _mm256_packus_epi32(q[0], q[1]), words2 = _mm256_packus_epi32(q[2], q[3]);
    const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(words, words2),
                                                      _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), bytes);
  }
  return i;
}

// 16 quotients a step, as little-endian words masked to their low byte and high bits.
QRV_AVX2 std::size_t AverageSplitAvx2(const std::uint32_t* sums, std::uint8_t* dst, std::size_t n, const Divider& d,
                                      unsigned mask) {
  const __m256i keep = _mm256_set1_epi32(static_cast<int>(0xFF | (mask << 8)));
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m256i a = _mm256_and_si256(DivideLanes(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + i)), d), keep);
    const __m256i b =
        _mm256_and_si256(DivideLanes(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + i + 8)), d), keep);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 2 * i),
                        _mm256_permute4x64_epi64(_mm256_packus_epi32(a, b), 0xD8));
  }
  return i;
}

void AverageBytes(const std::uint32_t* sums, std::uint8_t* dst, std::size_t n, std::uint32_t count) {
  if (count == 1) {
    for (std::size_t i = 0; i < n; ++i) dst[i] = static_cast<std::uint8_t>(sums[i]);
    return;
  }
  const Divider d(count);
  for (std::size_t i = qrv::simd::HasAvx2() ? AverageBytesAvx2(sums, dst, n, d) : 0; i < n; ++i)
    dst[i] = static_cast<std::uint8_t>(d.Divide(sums[i]));
}

void AverageSplit(const std::uint32_t* sums, std::uint8_t* dst, std::size_t n, std::uint32_t count, unsigned mask) {
  const auto put = [&](std::size_t i, std::uint32_t q) {
    dst[2 * i] = static_cast<std::uint8_t>(q);
    dst[2 * i + 1] = static_cast<std::uint8_t>((q >> 8) & mask);
  };
  if (count == 1) {
    for (std::size_t i = 0; i < n; ++i) put(i, sums[i]);
    return;
  }
  const Divider d(count);
  for (std::size_t i = qrv::simd::HasAvx2() ? AverageSplitAvx2(sums, dst, n, d, mask) : 0; i < n; ++i)
    put(i, d.Divide(sums[i]));
}

// Large frames are split between two threads by rows of sums.
template <typename Average>
void AverageRows(std::size_t perRow, int height, const Average& average) {
  SplitRows(height, perRow * static_cast<std::size_t>(height) * 4, [&](int first, int end) {
    average(perRow * static_cast<std::size_t>(first), perRow * static_cast<std::size_t>(end - first));
  });
}

}  // namespace

bool AddFrameToSums(const std::uint8_t* frame, std::uint32_t* sums, int width, int height, int format, int bits) {
  if (!frame || !sums || width <= 0 || height <= 0) return false;
  const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const auto* words = reinterpret_cast<const std::uint16_t*>(frame);
  switch (format) {
    case kSumBytes: AddBytes(frame, sums, 2 * n); return true;
    case kSum8: AddBytes(frame, sums, n); return true;
    case kSumRaw10:
      if (bits == 9)
        AddWords(words, sums, n, 0x3FF);
      else
        AddPacked(frame, sums, width, height, MipiRaw10Stride(width),
                  [](const std::uint8_t* s, std::uint16_t* w, int wd, int h) { UnpackMipiRaw10(s, w, nullptr, wd, h); });
      return true;
    case kSumRaw12:
      if (bits == 9)
        AddWords(words, sums, n, 0xFFF);
      else
        AddPacked(frame, sums, width, height, MipiRaw12Stride(width),
                  [](const std::uint8_t* s, std::uint16_t* w, int wd, int h) { UnpackMipiRaw12(s, w, nullptr, wd, h); });
      return true;
    default: return false;
  }
}

bool SumsToAverage(const std::uint32_t* sums, std::uint8_t* dst, int width, int height, int format, int frameCount) {
  if (!sums || !dst || width <= 0 || height <= 0 || frameCount < 1) return false;
  const auto w = static_cast<std::size_t>(width);
  const auto count = static_cast<std::uint32_t>(frameCount);
  const auto bytes = [&](std::size_t first, std::size_t n) { AverageBytes(sums + first, dst + first, n, count); };
  const auto split = [&](unsigned mask) {
    return [&, mask](std::size_t first, std::size_t n) {
      AverageSplit(sums + first, dst + 2 * first, n, count, mask);
    };
  };
  switch (format) {
    case kSumBytes: AverageRows(2 * w, height, bytes); return true;
    case kSum8: AverageRows(w, height, bytes); return true;
    case kSumRaw10: AverageRows(w, height, split(0x03)); return true;
    case kSumRaw12: AverageRows(w, height, split(0x0F)); return true;
    default: return false;
  }
}

}  // namespace qrv::sw
