#include <cstring>

#include "board_fixture.h"

namespace {

constexpr int kSerialEeprom = 0xA0 >> 1;
constexpr uint32_t kSerialPin = 1u << 12;

using SerialNumberTest = BoardApi;

TEST_F(SerialNumberTest, HostSideWriteAndReadBack) {
  VelkaraSim_ClearEvents();
  ASSERT_EQ(VKL_SerialNum_Write(0, 0, 4, "A1B2"), 1);
  std::vector<std::vector<uint8_t>> writes;
  for (const auto& e : Events(kSimEventI2cWrite, kSimBusAdc)) {
    if (e.address == kSerialEeprom) writes.push_back(Bytes(e));
  }
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0], (std::vector<uint8_t>{0x00, 10, 1, 11, 2}));
  EXPECT_EQ(VelkaraSim_DioLatch(0, 1) & kSerialPin, kSerialPin) << "pin back to 1 after a write";

  char text[8] = "xxxxxxx";
  ASSERT_EQ(VKL_SerialNum_Read(0, 0, 4, text), 1);
  EXPECT_STREQ(text, "A1B2");
  EXPECT_EQ(VelkaraSim_DioLatch(0, 1) & kSerialPin, 0u) << "a read leaves the pin at 0";
}

TEST_F(SerialNumberTest, BadCharactersAndLengthsAreRefusedWithoutTraffic) {
  const int before = VelkaraSim_CommandCount(0);
  EXPECT_EQ(VKL_SerialNum_Write(0, 0, 2, "AI"), 0);
  EXPECT_EQ(VKL_SerialNum_Write(0, 0, 2, "a1"), 0);
  EXPECT_EQ(VKL_SerialNum_Write(0, 0, 2, "A "), 0);
  const std::string tooLong(112, 'A');
  EXPECT_EQ(VKL_SerialNum_Write(0, 1, 112, tooLong.c_str()), 0);
  EXPECT_EQ(VKL_SerialNum_Write(0, 0, -1, "A"), 0);
  char out[200];
  EXPECT_EQ(VKL_SerialNum_Read(0, 0, 113, out), 0);
  EXPECT_EQ(VelkaraSim_CommandCount(0), before);
  const std::string longest(95, 'Z');
  ASSERT_EQ(VKL_SerialNum_Write(0, 0, 95, longest.c_str()), 1);
  ASSERT_EQ(VKL_SerialNum_Read(0, 0, 95, out), 1);
  EXPECT_EQ(std::string(out), longest);
  // The host bus carries 96 bytes a message: a longer number fails at the EEPROM write, and the pin stays 0.
  EXPECT_EQ(VKL_SerialNum_Write(0, 0, 96, tooLong.c_str()), -2);
  EXPECT_EQ(VelkaraSim_DioLatch(0, 1) & kSerialPin, 0u);
}

TEST_F(SerialNumberTest, BlankBytesReadAsQuestionMarks) {
  char text[4] = {};
  ASSERT_EQ(VKL_SerialNum_Read(1, 0, 3, text), 1);
  EXPECT_STREQ(text, "???");
}

TEST_F(SerialNumberTest, ReceiverSideNeedsTheIoLevel) {
  EXPECT_EQ(VKL_SerialNum_Write(0, 1, 3, "XYZ"), -2);
  char text[4] = {};
  EXPECT_EQ(VKL_SerialNum_Read(0, 1, 3, text), -3);
  PowerUp(0);
  ASSERT_EQ(VKL_SerialNum_Write(0, 1, 3, "XYZ"), 1);
  ASSERT_EQ(VKL_SerialNum_Read(0, 1, 3, text), 1);
  EXPECT_STREQ(text, "XYZ");
}

std::vector<uint16_t> Words(const char* text, uint16_t high = 0) {
  std::vector<uint16_t> words;
  for (const char* c = text; *c; ++c) words.push_back(static_cast<uint16_t>(high | static_cast<uint8_t>(*c)));
  return words;
}

TEST(Crc32Test, KnownVectorsOverLowBytes) {
  EXPECT_EQ(VKL_CalcCRC32(9, Words("123456789").data()), 0xCBF43926u);
  EXPECT_EQ(VKL_CalcCRC32(9, Words("123456789", 0x5A00).data()), 0xCBF43926u) << "high bytes are ignored";
  EXPECT_EQ(VKL_CalcCRC32(1, Words("a").data()), 0xE8B7BE43u);
  EXPECT_EQ(VKL_CalcCRC32(43, Words("The quick brown fox jumps over the lazy dog").data()), 0x414FA339u);
  EXPECT_EQ(VKL_CalcCRC32(0, Words("abc").data()), 0u);
  EXPECT_EQ(VKL_CalcCRC32(-3, Words("abc").data()), 0u);
  EXPECT_EQ(VKL_CalcCRC32(3, nullptr), 0u);
}

}  // namespace
