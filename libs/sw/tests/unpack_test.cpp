// Unpacking of MIPI RAW10 / RAW12 and the reductions of 16-bit samples, against values worked out by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "raw_unpack.h"
#include "sw_exports.h"

namespace qrv::sw {
namespace {

TEST(RawUnpack, Raw10GroupGivesTheDocumentedSamples) {
  const std::vector<std::uint8_t> src = {0x12, 0x34, 0x56, 0x78, 0xE4, 0, 0, 0};
  std::vector<std::uint16_t> word(4);
  std::vector<std::uint8_t> bytes(8);
  Convert_MIPIRaw10_To_Raw10WordByte(src.data(), word.data(), bytes.data(), 4, 1);
  EXPECT_EQ(word, (std::vector<std::uint16_t>{0x048, 0x0D1, 0x15A, 0x1E3}));
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x48, 0x00, 0xD1, 0x00, 0x5A, 0x01, 0xE3, 0x01}));
  std::vector<std::uint8_t> raw8(4);
  Convert_MIPIRaw10_To_Raw8(src.data(), raw8.data(), 4, 1);
  EXPECT_EQ(raw8, (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78}));
}

TEST(RawUnpack, Raw12GroupGivesTheDocumentedSamples) {
  const std::vector<std::uint8_t> src = {0xAB, 0xCD, 0x21};
  std::vector<std::uint16_t> word(2);
  std::vector<std::uint8_t> bytes(4), raw8(2);
  Convert_MIPIRaw12_To_Raw12WordByte(src.data(), word.data(), bytes.data(), 2, 1);
  EXPECT_EQ(word, (std::vector<std::uint16_t>{0xAB1, 0xCD2}));
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xB1, 0x0A, 0xD2, 0x0C}));
  Convert_MIPIRaw12_To_Raw8(src.data(), raw8.data(), 2, 1);
  EXPECT_EQ(raw8, (std::vector<std::uint8_t>{0xAB, 0xCD}));
}

TEST(RawUnpack, Raw10StrideFollowsTheGrabberLayout) {
  EXPECT_EQ(MipiRaw10Stride(1000), 1252u);
  EXPECT_EQ(MipiRaw10Stride(1024), 1280u);
  EXPECT_EQ(MipiRaw10Stride(4), 5u + 2u);
  EXPECT_EQ(MipiRaw12Stride(6), 9u);
}

// Reference unpack straight from the packing rule, for frames wide enough to reach the vector loops.
std::uint16_t Raw10Sample(const std::vector<std::uint8_t>& src, std::size_t stride, int x, int y) {
  const std::uint8_t* g = src.data() + y * stride + 5 * (x / 4);
  return static_cast<std::uint16_t>((g[x % 4] << 2) | ((g[4] >> (2 * (x % 4))) & 3));
}

std::vector<std::uint8_t> Pattern(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i * 131 + (i >> 3) * 7 + 5);
  return v;
}

TEST(RawUnpack, WideRaw10RowsMatchThePackingRule) {
  for (const int width : {64, 100, 1000}) {
    const int height = 3;
    const std::size_t stride = MipiRaw10Stride(width);
    const auto src = Pattern(stride * height);
    std::vector<std::uint16_t> word(width * height);
    std::vector<std::uint8_t> raw8(width * height);
    Convert_MIPIRaw10_To_Raw10Word(src.data(), word.data(), width, height);
    Convert_MIPIRaw10_To_Raw8(src.data(), raw8.data(), width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        ASSERT_EQ(word[y * width + x], Raw10Sample(src, stride, x, y)) << width << " " << x << "," << y;
        ASSERT_EQ(raw8[y * width + x], Raw10Sample(src, stride, x, y) >> 2);
      }
    }
  }
}

TEST(RawUnpack, WideRaw12RowsMatchThePackingRule) {
  for (const int width : {64, 98, 1000}) {
    const int height = 3;
    const std::size_t stride = MipiRaw12Stride(width);
    const auto src = Pattern(stride * height);
    std::vector<std::uint16_t> word(width * height);
    std::vector<std::uint8_t> raw8(width * height);
    Convert_MIPIRaw12_To_Raw12Word(src.data(), word.data(), width, height);
    Convert_MIPIRaw12_To_Raw8(src.data(), raw8.data(), width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* g = src.data() + y * stride + 3 * (x / 2);
        const int v = x % 2 ? (g[1] << 4) | (g[2] >> 4) : (g[0] << 4) | (g[2] & 0x0F);
        ASSERT_EQ(word[y * width + x], v) << width << " " << x << "," << y;
        ASSERT_EQ(raw8[y * width + x], v >> 4);
      }
    }
  }
}

// Odd widths write exactly W samples a row and read only inside the packed frame (ASan guards both).
TEST(RawUnpack, OddWidthsStayInsideBothBuffers) {
  for (const int width : {1, 2, 3, 5, 7}) {
    const int height = 2;
    std::vector<std::uint8_t> src10(MipiRaw10Stride(width) * height, 0xFF);
    std::vector<std::uint8_t> src12(MipiRaw12Stride(width) * height, 0xFF);
    std::vector<std::uint16_t> word(width * height);
    std::vector<std::uint8_t> bytes(2 * width * height), raw8(width * height);
    Convert_MIPIRaw10_To_Raw10WordByte(src10.data(), word.data(), bytes.data(), width, height);
    Convert_MIPIRaw10_To_Raw8(src10.data(), raw8.data(), width, height);
    Convert_MIPIRaw12_To_Raw12WordByte(src12.data(), word.data(), bytes.data(), width, height);
    Convert_MIPIRaw12_To_Raw8(src12.data(), raw8.data(), width, height);
    EXPECT_EQ(raw8[0], 0xFF);
  }
}

struct WordCase {
  std::uint16_t word;
  std::uint8_t raw10Low, raw10High, raw10To8, raw12Low, raw12High, raw12To8;
};

TEST(RawUnpack, SixteenBitSamplesReduceByTheirRules) {
  const WordCase cases[] = {
      {0x03FF, 0xFF, 0x03, 0xFF, 0xFF, 0x03, 0x3F},
      {0x0FFF, 0xFF, 0x03, 0xFF, 0xFF, 0x0F, 0xFF},
      {0x0123, 0x23, 0x01, 0x48, 0x23, 0x01, 0x12},
      // Bits above the sample's width wrap into the 8-bit result rather than saturating.
      {0x1404, 0x04, 0x00, 0x01, 0x04, 0x04, 0x40},
  };
  for (const WordCase& c : cases) {
    std::uint8_t b[2], r;
    Convert_Raw10Word_To_Raw10Byte(&c.word, b, 1, 1);
    EXPECT_EQ(b[0], c.raw10Low);
    EXPECT_EQ(b[1], c.raw10High);
    Convert_Raw10_To_Raw8(&c.word, &r, 1, 1);
    EXPECT_EQ(r, c.raw10To8) << std::hex << c.word;
    Convert_Raw12Word_To_Raw12Byte(&c.word, b, 1, 1);
    EXPECT_EQ(b[0], c.raw12Low);
    EXPECT_EQ(b[1], c.raw12High);
    Convert_Raw12_To_Raw8(&c.word, &r, 1, 1);
    EXPECT_EQ(r, c.raw12To8) << std::hex << c.word;
  }
}

TEST(RawUnpack, EmptyFramesAndNullBuffersWriteNothing) {
  std::uint8_t src[8] = {1, 2, 3, 4, 5, 6, 7, 8}, out[8] = {};
  Convert_MIPIRaw10_To_Raw8(src, out, 0, 1);
  Convert_MIPIRaw10_To_Raw8(src, out, 4, -1);
  Convert_MIPIRaw10_To_Raw8(nullptr, out, 4, 1);
  Convert_MIPIRaw12_To_Raw12WordByte(src, nullptr, out, 2, 1);
  for (std::uint8_t b : out) EXPECT_EQ(b, 0);
}

}  // namespace
}  // namespace qrv::sw
