// Frame sums and their averages.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "simd_levels.h"
#include "sw_exports.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Sums = std::vector<unsigned>;

TEST(FrameSum, EachFormatAddsItsSamples) {
  {
    const Bytes frame = {1, 2, 3, 4};
    Sums sums(4, 10);
    Convert_IntSumBuffer(frame.data(), sums.data(), 2, 1, 0, 0);  // each byte of 2-byte samples
    EXPECT_EQ(sums, (Sums{11, 12, 13, 14}));
    Convert_IntSumBuffer(frame.data(), sums.data(), 2, 1, 1, 0);  // 8-bit
    EXPECT_EQ(sums, (Sums{12, 14, 13, 14}));
  }
  {
    const Bytes raw10 = {0x12, 0x34, 0x56, 0x78, 0xE4, 0, 0};  // one group, stride 7
    Sums sums(4, 0);
    Convert_IntSumBuffer(raw10.data(), sums.data(), 4, 1, 2, 10);
    EXPECT_EQ(sums, (Sums{0x048, 0x0D1, 0x15A, 0x1E3}));
    const std::uint16_t words[2] = {0xFC01, 0x1FFF};  // bits 9: masked samples
    Sums wordSums(2, 0);
    Convert_IntSumBuffer(reinterpret_cast<const std::uint8_t*>(words), wordSums.data(), 2, 1, 2, 9);
    EXPECT_EQ(wordSums, (Sums{0x001, 0x3FF}));
    Convert_IntSumBuffer(reinterpret_cast<const std::uint8_t*>(words), wordSums.data(), 2, 1, 3, 9);
    EXPECT_EQ(wordSums, (Sums{0x001 + 0xC01, 0x3FF + 0xFFF}));
  }
  {
    const Bytes raw12 = {0xAB, 0xCD, 0x21};
    Sums sums(2, 0);
    Convert_IntSumBuffer(raw12.data(), sums.data(), 2, 1, 3, 12);
    EXPECT_EQ(sums, (Sums{0xAB1, 0xCD2}));
  }
}

TEST(FrameSum, AveragesTruncateAndSplitHighBits) {
  const Sums sums = {4092, 4095, 7};
  Bytes out(6, 0);
  Convert_IntSum_To_AvgBuffer(sums.data(), out.data(), 3, 1, 2, 4);
  EXPECT_EQ(out, (Bytes{0xFF, 0x03, 0xFF, 0x03, 0x01, 0x00}));
  Convert_IntSum_To_AvgBuffer(sums.data(), out.data(), 3, 1, 3, 1);
  EXPECT_EQ(out, (Bytes{0xFC, 0x0F, 0xFF, 0x0F, 0x07, 0x00}));
  Convert_IntSum_To_AvgBuffer(sums.data(), out.data(), 3, 1, 1, 16);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 3), (Bytes{0xFF, 0xFF, 0x00}));
}

// The division runs as a multiply and shifts; each quotient must still be the plain unsigned one, for sums
// at the edges of every divisor and over the whole 32-bit range, in rows wide enough for the vector loop.
TEST(FrameSum, AveragesEqualPlainDivisionForEveryDivisor) {
  const std::uint32_t divisors[] = {1, 2, 3, 7, 10, 16, 255, 1000, 65537, 0x7FFFFFFF};
  for (const std::uint32_t d : divisors) {
    Sums sums;
    std::uint32_t x = d;
    for (const std::uint32_t k : {0u, 1u, 2u, 3u, 1000u, 4096u, 0xFFFFFFFFu / d})
      for (const std::uint32_t near : {k * d, k * d + d - 1, k * d - 1}) sums.push_back(near);
    sums.push_back(0xFFFFFFFF);
    while (sums.size() < 200) sums.push_back(x = x * 1664525u + 1013904223u);
    const int width = static_cast<int>(sums.size());
    for (const qrv::simd::Level level : {qrv::simd::Level::kAvx2, qrv::simd::Level::kBaseline}) {
      const qrv::test::ScopedSimdLevel cap(level);
      Bytes bytes(sums.size()), split(2 * sums.size());
      Convert_IntSum_To_AvgBuffer(sums.data(), bytes.data(), width, 1, 1, static_cast<int>(d));
      Convert_IntSum_To_AvgBuffer(sums.data(), split.data(), width, 1, 3, static_cast<int>(d));
      for (std::size_t i = 0; i < sums.size(); ++i) {
        const std::uint32_t q = sums[i] / d;
        ASSERT_EQ(bytes[i], q & 0xFF) << sums[i] << " / " << d << ", " << qrv::test::LevelName(level);
        ASSERT_EQ(split[2 * i], q & 0xFF) << sums[i] << " / " << d << ", " << qrv::test::LevelName(level);
        ASSERT_EQ(split[2 * i + 1], (q >> 8) & 0x0F) << sums[i] << " / " << d << ", " << qrv::test::LevelName(level);
      }
    }
  }
}

TEST(FrameSum, ZeroFramesWriteNothing) {
  const Sums sums = {100, 200};
  Bytes out(4, 0xAA);
  Convert_IntSum_To_AvgBuffer(sums.data(), out.data(), 2, 1, 1, 0);
  Convert_IntSum_To_AvgBuffer(sums.data(), out.data(), 2, 1, 2, -3);
  EXPECT_EQ(out, Bytes(4, 0xAA));
}

}  // namespace
