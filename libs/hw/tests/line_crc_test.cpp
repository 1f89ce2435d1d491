#include "line_crc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace {

TEST(LineCrc, CheckValueOfTheCsi2LineCrc) {
  const char* text = "123456789";
  EXPECT_EQ(hw::LineCrc16(reinterpret_cast<const unsigned char*>(text), std::strlen(text)), 0x6F91);
  EXPECT_EQ(hw::LineCrc16(nullptr, 0), 0xFFFF);
}

TEST(LineCrc, PayloadAndBufferSizesPerType) {
  struct Case {
    int type, width, payload, copy, crcSize;
  };
  for (const Case& c : {Case{1, 640, 640, 640, 480 * 644}, Case{2, 640, 800, 800, 640 * 480 * 5 / 4 + 4 * 480},
                        Case{3, 640, 960, 960, 640 * 480 * 3 / 2 + 4 * 480}, Case{0, 640, 1280, 1280, 2 * 480 * 642},
                        Case{2, 6, 7, 9, 6 * 480 * 5 / 4 + 4 * 480}}) {
    EXPECT_EQ(hw::CrcPayloadLength(c.type, c.width), c.payload) << c.type;
    EXPECT_EQ(hw::CrcCopyLength(c.type, c.width), c.copy) << c.type;
    EXPECT_EQ(hw::GetCRCImageSizeOf(c.type, c.width, 480), c.crcSize) << c.type;
  }
}

// The sizes are counted in 64 bits up to the picture limit; beyond it, or below one pixel, there is no frame.
TEST(LineCrc, BufferSizesStopAtThePictureLimit) {
  EXPECT_EQ(hw::GetImageSizeOf(10, 16384, 8192), 2 * 16384 * 8192);
  EXPECT_EQ(hw::GetCRCImageSizeOf(0, 16384, 8192), 2 * 8192 * (16384 + 2));
  EXPECT_EQ(hw::GetCRCImageSizeOf(2, 16384, 8192), 16384 * 8192 / 4 * 5 + 4 * 8192);
  for (const int type : {0, 1, 2, 3}) {
    for (const auto& [width, height] : {std::pair{2147483647, 480}, std::pair{640, 2147483647},
                                         std::pair{16385, 8192}, std::pair{-1, 480}, std::pair{640, 0}}) {
      EXPECT_EQ(hw::GetCRCImageSizeOf(type, width, height), 0) << type << " " << width << "x" << height;
      EXPECT_EQ(hw::GetImageSizeOf(type == 1 ? 8 : 10, width, height), 0) << width << "x" << height;
    }
  }
}

}  // namespace
