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

template <bool kWord, bool kBytes>
void Raw10Rows(const std::uint8_t* src, std::uint16_t* word, std::uint8_t* bytes, int width, int first, int end) {
  const std::size_t stride = MipiRaw10Stride(width);
  const int fullGroups = width / 4;
  for (int y = first; y < end; ++y) {
    const std::uint8_t* in = src + static_cast<std::size_t>(y) * stride;
    const std::size_t outRow = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    std::uint16_t* w = kWord ? word + outRow : nullptr;
    std::uint8_t* b = kBytes ? bytes + 2 * outRow : nullptr;
    int g = 0;
    if constexpr (kWord) {
      g = simd::UnpackRaw10Groups(in, w, fullGroups);
      if constexpr (kBytes) std::memcpy(b, w, 8 * static_cast<std::size_t>(g));
    } else {
      // The 2-byte form is the little-endian word: the same vector loop writes it.
      g = simd::UnpackRaw10Groups(in, reinterpret_cast<std::uint16_t*>(b), fullGroups);
    }
    for (; g < fullGroups; ++g) {
      const std::uint8_t* p = in + 5 * g;
      const unsigned low = p[4];
      for (int k = 0; k < 4; ++k) {
        const unsigned v = (static_cast<unsigned>(p[k]) << 2) | ((low >> (2 * k)) & 3u);
        if constexpr (kWord) w[4 * g + k] = static_cast<std::uint16_t>(v);
        if constexpr (kBytes) {
          b[8 * g + 2 * k] = static_cast<std::uint8_t>(v);
          b[8 * g + 2 * k + 1] = static_cast<std::uint8_t>((v >> 8) & 0x03);
        }
      }
    }
    const std::size_t base = 5 * static_cast<std::size_t>(fullGroups);
    const unsigned low = At(in, base + 4, stride);
    for (int x = 4 * fullGroups; x < width; ++x) {
      const int k = x & 3;
      const unsigned v = (At(in, base + k, stride) << 2) | ((low >> (2 * k)) & 3u);
      if constexpr (kWord) w[x] = static_cast<std::uint16_t>(v);
      if constexpr (kBytes) {
        b[2 * x] = static_cast<std::uint8_t>(v);
        b[2 * x + 1] = static_cast<std::uint8_t>((v >> 8) & 0x03);
      }
    }
  }
}

template <bool kWord, bool kBytes>
void Raw12Rows(const std::uint8_t* src, std::uint16_t* word, std::uint8_t* bytes, int width, int first, int end) {
  const std::size_t stride = MipiRaw12Stride(width);
  const int fullGroups = width / 2;
  for (int y = first; y < end; ++y) {
    const std::uint8_t* in = src + static_cast<std::size_t>(y) * stride;
    const std::size_t outRow = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    std::uint16_t* w = kWord ? word + outRow : nullptr;
    std::uint8_t* b = kBytes ? bytes + 2 * outRow : nullptr;
    int g = 0;
    if constexpr (kWord) {
      g = simd::UnpackRaw12Groups(in, w, fullGroups);
      if constexpr (kBytes) std::memcpy(b, w, 4 * static_cast<std::size_t>(g));
    } else {
      g = simd::UnpackRaw12Groups(in, reinterpret_cast<std::uint16_t*>(b), fullGroups);
    }
    for (; g < fullGroups; ++g) {
      const std::uint8_t* p = in + 3 * g;
      const unsigned v0 = (static_cast<unsigned>(p[0]) << 4) | (p[2] & 0x0Fu);
      const unsigned v1 = (static_cast<unsigned>(p[1]) << 4) | (p[2] >> 4);
      if constexpr (kWord) {
        w[2 * g] = static_cast<std::uint16_t>(v0);
        w[2 * g + 1] = static_cast<std::uint16_t>(v1);
      }
      if constexpr (kBytes) {
        b[4 * g] = static_cast<std::uint8_t>(v0);
        b[4 * g + 1] = static_cast<std::uint8_t>(v0 >> 8);
        b[4 * g + 2] = static_cast<std::uint8_t>(v1);
        b[4 * g + 3] = static_cast<std::uint8_t>(v1 >> 8);
      }
    }
    if (width & 1) {
      const std::size_t base = 3 * static_cast<std::size_t>(fullGroups);
      const unsigned v = (At(in, base, stride) << 4) | (At(in, base + 2, stride) & 0x0Fu);
      if constexpr (kWord) w[width - 1] = static_cast<std::uint16_t>(v);
      if constexpr (kBytes) {
        b[2 * width - 2] = static_cast<std::uint8_t>(v);
        b[2 * width - 1] = static_cast<std::uint8_t>(v >> 8);
      }
    }
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

}  // namespace

std::size_t MipiRaw10Stride(int width) {
  const std::size_t l = (5 * static_cast<std::size_t>(std::max(width, 0))) >> 2;
  return l % 4 ? l + 2 : l;
}

std::size_t MipiRaw12Stride(int width) { return (3 * static_cast<std::size_t>(std::max(width, 0))) >> 1; }

void UnpackMipiRaw10(const std::uint8_t* src, std::uint16_t* word, std::uint8_t* bytes, int width, int height) {
  if (!src || (!word && !bytes) || width <= 0 || height <= 0) return;
  const std::size_t work = Pixels(width, height) * 2;
  if (word && bytes)
    Split(height, work, [&](int a, int b) { Raw10Rows<true, true>(src, word, bytes, width, a, b); });
  else if (word)
    Split(height, work, [&](int a, int b) { Raw10Rows<true, false>(src, word, nullptr, width, a, b); });
  else
    Split(height, work, [&](int a, int b) { Raw10Rows<false, true>(src, nullptr, bytes, width, a, b); });
}

void UnpackMipiRaw12(const std::uint8_t* src, std::uint16_t* word, std::uint8_t* bytes, int width, int height) {
  if (!src || (!word && !bytes) || width <= 0 || height <= 0) return;
  const std::size_t work = Pixels(width, height) * 2;
  if (word && bytes)
    Split(height, work, [&](int a, int b) { Raw12Rows<true, true>(src, word, bytes, width, a, b); });
  else if (word)
    Split(height, work, [&](int a, int b) { Raw12Rows<true, false>(src, word, nullptr, width, a, b); });
  else
    Split(height, work, [&](int a, int b) { Raw12Rows<false, true>(src, nullptr, bytes, width, a, b); });
}

void MipiRaw10ToRaw8(const std::uint8_t* src, std::uint8_t* raw8, int width, int height, std::size_t srcStride) {
  if (!Valid(src, raw8, width, height)) return;
  const std::size_t stride = srcStride ? srcStride : MipiRaw10Stride(width);
  const int fullGroups = width / 4;
  Split(height, Pixels(width, height), [&](int first, int end) {
    for (int y = first; y < end; ++y) {
      const std::uint8_t* in = src + static_cast<std::size_t>(y) * stride;
      std::uint8_t* out = raw8 + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
      int g = simd::CompressRaw10Groups(in, out, fullGroups);
      for (; g < fullGroups; ++g) std::memcpy(out + 4 * g, in + 5 * g, 4);
      const std::size_t base = 5 * static_cast<std::size_t>(fullGroups);
      for (int x = 4 * fullGroups; x < width; ++x)
        out[x] = static_cast<std::uint8_t>(At(in, base + (x & 3), stride));
    }
  });
}

void MipiRaw12ToRaw8(const std::uint8_t* src, std::uint8_t* raw8, int width, int height) {
  if (!Valid(src, raw8, width, height)) return;
  const std::size_t stride = MipiRaw12Stride(width);
  const int fullGroups = width / 2;
  Split(height, Pixels(width, height), [&](int first, int end) {
    for (int y = first; y < end; ++y) {
      const std::uint8_t* in = src + static_cast<std::size_t>(y) * stride;
      std::uint8_t* out = raw8 + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
      int g = simd::CompressRaw12Groups(in, out, fullGroups);
      for (; g < fullGroups; ++g) {
        out[2 * g] = in[3 * g];
        out[2 * g + 1] = in[3 * g + 1];
      }
      if (width & 1) out[width - 1] = static_cast<std::uint8_t>(At(in, 3 * static_cast<std::size_t>(fullGroups), stride));
    }
  });
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
