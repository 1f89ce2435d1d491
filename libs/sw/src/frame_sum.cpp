#include "frame_sum.h"

#include <cstddef>
#include <vector>

#include "raw_unpack.h"
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

// A double quotient of two integers below 2^32 is never rounded across an integer, so its truncation is the
// exact unsigned quotient; the vector units divide doubles, not integers.
QRV_VECTOR_LOOP void AverageBytes(const std::uint32_t* __restrict sums, std::uint8_t* __restrict dst, std::size_t n,
                                  double count) {
  for (std::size_t i = 0; i < n; ++i)
    dst[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(static_cast<double>(sums[i]) / count));
}

QRV_VECTOR_LOOP void AverageSplit(const std::uint32_t* __restrict sums, std::uint8_t* __restrict dst, std::size_t n,
                                  double count, unsigned mask) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto q = static_cast<std::uint32_t>(static_cast<double>(sums[i]) / count);
    dst[2 * i] = static_cast<std::uint8_t>(q);
    dst[2 * i + 1] = static_cast<std::uint8_t>((q >> 8) & mask);
  }
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
  const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const auto count = static_cast<double>(frameCount);
  switch (format) {
    case kSumBytes: AverageBytes(sums, dst, 2 * n, count); return true;
    case kSum8: AverageBytes(sums, dst, n, count); return true;
    case kSumRaw10: AverageSplit(sums, dst, n, count, 0x03); return true;
    case kSumRaw12: AverageSplit(sums, dst, n, count, 0x0F); return true;
    default: return false;
  }
}

}  // namespace qrv::sw
