#include "raw_unpack.h"

#include <algorithm>
#include <cstring>

#include "raw_simd.h"
#include "split_rows.h"
#include "vector_target.h"

namespace qrv::sw {
namespace {

bool Valid(const void* a, const void* b, int width, int height) {
  return a && b && width > 0 && height > 0;
}

std::size_t Pixels(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// A byte of a packed row, or 0 past the row's end (the last group of an odd width).
inline unsigned At(const std::uint8_t* row, std::size_t i, std::size_t stride) { return i < stride ? row[i] : 0; }

// Sample k of a packed group: the high bits stand in byte k, the low bits of all samples in the last byte.
unsigned Raw10Sample(const std::uint8_t* group, int k) {
  return (static_cast<unsigned>(group[k]) << 2) | ((group[4] >> (2 * k)) & 3u);
}

unsigned Raw12Sample(const std::uint8_t* group, int k) {
  const unsigned low = group[2];
  return (static_cast<unsigned>(group[k]) << 4) | (k == 0 ? low & 0x0Fu : low >> 4);
}

// A packed format: kPixels samples in each group of kBytes bytes, the vector loops that unpack whole groups,
// and the rule for one sample of a group.
template <int kPixelsPerGroup, int kBytesPerGroup, auto kStride, auto kUnpack, auto kCompress, auto kSample>
struct Packing {
  static constexpr int kPixels = kPixelsPerGroup;
  static constexpr int kBytes = kBytesPerGroup;
  static constexpr auto Stride = kStride;
  static constexpr auto Unpack = kUnpack;
  static constexpr auto Compress = kCompress;
  static constexpr auto Sample = kSample;
};

using Raw10 = Packing<4, 5, MipiRaw10Stride, simd::UnpackRaw10Groups, simd::CompressRaw10Groups, Raw10Sample>;
using Raw12 = Packing<2, 3, MipiRaw12Stride, simd::UnpackRaw12Groups, simd::CompressRaw12Groups, Raw12Sample>;

template <typename Format, bool kWord, bool kBytes>
void UnpackRows(const std::uint8_t* src, std::uint16_t* word, std::uint8_t* bytes, int width, int first, int end) {
  constexpr int kPixels = Format::kPixels;
  const std::size_t stride = Format::Stride(width);
  const int fullGroups = width / kPixels;
  for (int y = first; y < end; ++y) {
    const std::uint8_t* in = src + static_cast<std::size_t>(y) * stride;
    const std::size_t outRow = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    std::uint16_t* w = kWord ? word + outRow : nullptr;
    std::uint8_t* b = kBytes ? bytes + 2 * outRow : nullptr;
    // The 2-byte form is the little-endian word: the same vector loop writes it when no word is wanted.
    int g = Format::Unpack(in, kWord ? w : reinterpret_cast<std::uint16_t*>(b), fullGroups);
    if constexpr (kWord && kBytes) std::memcpy(b, w, 2 * kPixels * static_cast<std::size_t>(g));
    const auto put = [w, b](int x, unsigned v) {
      if constexpr (kWord) w[x] = static_cast<std::uint16_t>(v);
      if constexpr (kBytes) {
        b[2 * x] = static_cast<std::uint8_t>(v);
        b[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
      }
    };
    for (; g < fullGroups; ++g) {
      const std::uint8_t* group = in + Format::kBytes * g;
      for (int k = 0; k < kPixels; ++k) put(kPixels * g + k, Format::Sample(group, k));
    }
    // The last, partial group of an odd width, its bytes past the row's end read as 0.
    const std::size_t base = Format::kBytes * static_cast<std::size_t>(fullGroups);
    std::uint8_t tail[Format::kBytes];
    for (int i = 0; i < Format::kBytes; ++i) tail[i] = static_cast<std::uint8_t>(At(in, base + i, stride));
    for (int x = kPixels * fullGroups; x < width; ++x) put(x, Format::Sample(tail, x % kPixels));
  }
}

template <typename Rows>
void Split(int height, std::size_t bytes, const Rows& rows) {
  SplitRows(height, bytes, rows);
}

// Low byte, then high byte masked: the little-endian word with its high byte masked.
QRV_VECTOR_LOOP void MaskWords(const std::uint16_t* __restrict in, std::uint8_t* __restrict out, std::size_t n,
                               std::uint8_t highMask) {
  const std::uint16_t mask = static_cast<std::uint16_t>(0x00FF | highMask << 8);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint16_t v = static_cast<std::uint16_t>(in[i] & mask);
    out[2 * i] = static_cast<std::uint8_t>(v);
    out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
  }
}

template <int kHigh, int kLow>
void ReduceWordsLoop(const std::uint16_t* __restrict in, std::uint8_t* __restrict out, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned v = in[i];
    out[i] = static_cast<std::uint8_t>(((v >> 8) << kHigh) ^ ((v & 0xFFu) >> kLow));
  }
}

QRV_VECTOR_LOOP void Reduce62(const std::uint16_t* in, std::uint8_t* out, std::size_t n) { ReduceWordsLoop<6, 2>(in, out, n); }
QRV_VECTOR_LOOP void Reduce44(const std::uint16_t* in, std::uint8_t* out, std::size_t n) { ReduceWordsLoop<4, 4>(in, out, n); }

template <int kHigh, int kLow>
void ReduceWords(const std::uint16_t* in, std::uint8_t* out, std::size_t n) {
  if constexpr (kHigh == 6)
    Reduce62(in, out, n);
  else
    Reduce44(in, out, n);
}

template <typename Format>
void Unpack(const std::uint8_t* src, std::uint16_t* word, std::uint8_t* bytes, int width, int height) {
  if (!src || (!word && !bytes) || width <= 0 || height <= 0) return;
  const std::size_t work = Pixels(width, height) * 2;
  if (word && bytes)
    Split(height, work, [&](int a, int b) { UnpackRows<Format, true, true>(src, word, bytes, width, a, b); });
  else if (word)
    Split(height, work, [&](int a, int b) { UnpackRows<Format, true, false>(src, word, nullptr, width, a, b); });
  else
    Split(height, work, [&](int a, int b) { UnpackRows<Format, false, true>(src, nullptr, bytes, width, a, b); });
}

// The high 8 bits of each sample are the group's leading bytes as they stand.
template <typename Format>
void CompressToRaw8(const std::uint8_t* src, std::uint8_t* raw8, int width, int height, std::size_t stride) {
  if (!Valid(src, raw8, width, height)) return;
  constexpr int kPixels = Format::kPixels;
  const int fullGroups = width / kPixels;
  Split(height, Pixels(width, height), [&](int first, int end) {
    for (int y = first; y < end; ++y) {
      const std::uint8_t* in = src + static_cast<std::size_t>(y) * stride;
      std::uint8_t* out = raw8 + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
      int g = Format::Compress(in, out, fullGroups);
      for (; g < fullGroups; ++g) std::memcpy(out + kPixels * g, in + Format::kBytes * g, kPixels);
      const std::size_t base = Format::kBytes * static_cast<std::size_t>(fullGroups);
      for (int x = kPixels * fullGroups; x < width; ++x)
        out[x] = static_cast<std::uint8_t>(At(in, base + x % kPixels, stride));
    }
  });
}

}  // namespace

std::size_t MipiRaw10Stride(int width) {
  const std::size_t l = (5 * static_cast<std::size_t>(std::max(width, 0))) >> 2;
  return l % 4 ? l + 2 : l;
}

std::size_t MipiRaw12Stride(int width) { return (3 * static_cast<std::size_t>(std::max(width, 0))) >> 1; }

void UnpackMipiRaw10(const std::uint8_t* src, std::uint16_t* word, std::uint8_t* bytes, int width, int height) {
  Unpack<Raw10>(src, word, bytes, width, height);
}

void UnpackMipiRaw12(const std::uint8_t* src, std::uint16_t* word, std::uint8_t* bytes, int width, int height) {
  Unpack<Raw12>(src, word, bytes, width, height);
}

void MipiRaw10ToRaw8(const std::uint8_t* src, std::uint8_t* raw8, int width, int height, std::size_t srcStride) {
  CompressToRaw8<Raw10>(src, raw8, width, height, srcStride ? srcStride : MipiRaw10Stride(width));
}

void MipiRaw12ToRaw8(const std::uint8_t* src, std::uint8_t* raw8, int width, int height) {
  CompressToRaw8<Raw12>(src, raw8, width, height, MipiRaw12Stride(width));
}

void WordToBytes(const std::uint16_t* word, std::uint8_t* bytes, int width, int height, std::uint8_t highMask) {
  if (!Valid(word, bytes, width, height)) return;
  Split(height, Pixels(width, height) * 2, [&](int first, int end) {
    const std::size_t a = static_cast<std::size_t>(first) * static_cast<std::size_t>(width);
    const std::size_t n = static_cast<std::size_t>(end - first) * static_cast<std::size_t>(width);
    MaskWords(word + a, bytes + 2 * a, n, highMask);
  });
}

void WordToRaw8(const std::uint16_t* word, std::uint8_t* raw8, int width, int height, int highShift, int lowShift) {
  if (!Valid(word, raw8, width, height)) return;
  const bool raw10 = highShift == 6 && lowShift == 2;
  Split(height, Pixels(width, height) * 2, [&](int first, int end) {
    const std::size_t a = static_cast<std::size_t>(first) * static_cast<std::size_t>(width);
    const std::size_t n = static_cast<std::size_t>(end - first) * static_cast<std::size_t>(width);
    if (raw10)
      ReduceWords<6, 2>(word + a, raw8 + a, n);
    else
      ReduceWords<4, 4>(word + a, raw8 + a, n);
  });
}

void SumRaw10Pairs(const std::uint8_t* src, std::uint8_t* raw8, int width, int height, std::size_t srcStride) {
  if (!Valid(src, raw8, width, height) || srcStride == 0) return;
  Split(height, Pixels(width, height), [&](int first, int end) {
    for (int y = first; y < end; ++y) {
      const std::uint8_t* in = src + static_cast<std::size_t>(y) * srcStride;
      std::uint8_t* out = raw8 + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
      for (int x = 0; x < width; ++x) {
        const std::size_t at = 5 * static_cast<std::size_t>(x / 2) + 2 * static_cast<std::size_t>(x & 1);
        const unsigned sum = At(in, at, srcStride) + At(in, at + 1, srcStride);
        out[x] = static_cast<std::uint8_t>(std::min(sum, 255u));
      }
    }
  });
}

}  // namespace qrv::sw
