// The item's own line check: the receiver's CRC, the line layout, and which lines it finds bad.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "LineCrc.h"

namespace module_item {
namespace {

// A frame of `lines` lines whose trailers carry the right CRC and a good receiver result.
std::vector<std::uint8_t> GoodFrame(int lines, int payload) {
  const int stride = CrcLineStride(payload);
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(stride) * static_cast<std::size_t>(lines));
  for (int line = 0; line < lines; ++line) {
    std::uint8_t* bytes = frame.data() + static_cast<std::size_t>(line) * static_cast<std::size_t>(stride);
    for (int i = 0; i < payload; ++i) bytes[i] = static_cast<std::uint8_t>(line * 31 + i);
    const std::uint16_t crc = LineCrc16(bytes, static_cast<std::size_t>(payload));
    bytes[payload + 1] = static_cast<std::uint8_t>(crc);
    bytes[payload + 2] = static_cast<std::uint8_t>(crc >> 8);
  }
  return frame;
}

TEST(LineCrcTest, IsTheCsi2FooterCrc) {
  const char check[] = "123456789";
  EXPECT_EQ(LineCrc16(reinterpret_cast<const std::uint8_t*>(check), std::strlen(check)), 0x6F91);
  EXPECT_EQ(LineCrc16(nullptr, 0), 0xFFFF);
}

TEST(LineCrcTest, LineLayoutFollowsThePacking) {
  struct Case { int width, bits, payload, stride; };
  for (const Case c : {Case{640, 8, 640, 644}, Case{640, 10, 800, 804}, Case{640, 12, 960, 964},
                       Case{6, 10, 7, 13}, Case{641, 16, 1282, 1288}}) {
    EXPECT_EQ(PackedLineBytes(c.width, c.bits), c.payload) << c.width << " x " << c.bits;
    EXPECT_EQ(CrcLineStride(c.payload), c.stride) << c.payload;
  }
}

TEST(LineCrcTest, FindsLinesWithAWrongCrcOrAReceiverFailure) {
  constexpr int kLines = 6;
  for (const int payload : {800, 7}) {
    std::vector<std::uint8_t> frame = GoodFrame(kLines, payload);
    EXPECT_TRUE(FailingLines(frame.data(), kLines, payload).empty()) << payload;
    const std::size_t stride = static_cast<std::size_t>(CrcLineStride(payload));
    frame[1 * stride + 3] ^= 0x10;                                   // line 1: a payload bit flipped
    frame[4 * stride + static_cast<std::size_t>(payload) + 3] = 1;   // line 4: the receiver saw an error
    EXPECT_EQ(FailingLines(frame.data(), kLines, payload), (std::vector<int>{1, 4})) << payload;
  }
}

TEST(LineCrcTest, StrippingKeepsThePayloadsOnly) {
  constexpr int kLines = 3;
  constexpr int kPayload = 7;
  const std::vector<std::uint8_t> frame = GoodFrame(kLines, kPayload);
  std::vector<std::uint8_t> out(kLines * kPayload);
  StripTrailers(frame.data(), kLines, kPayload, out.data());
  for (int line = 0; line < kLines; ++line)
    for (int i = 0; i < kPayload; ++i)
      EXPECT_EQ(out[static_cast<std::size_t>(line * kPayload + i)], static_cast<std::uint8_t>(line * 31 + i));
}

}  // namespace
}  // namespace module_item
