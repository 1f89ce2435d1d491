// The boards' serial numbers: one EEPROM byte per character, stored as the character's position in
// the alphabet. The host board's EEPROM sits on the current-measurement bus behind its enable pin,
// the receiver board's on its own EEPROM bus.
#include <string_view>

#include "board_exports.h"
#include "port/clock.h"

namespace {

constexpr std::string_view kSerialAlphabet = "0123456789ABCDEFGHJKLMNPQRSTUVWXYZ";
constexpr uint8_t kEeprom = 0xA0;
constexpr int32_t kMaxWriteLength = 111;  // the address byte and 111 characters fill the 112-byte message
constexpr int32_t kMaxReadLength = 112;
constexpr int64_t kPinSettleMs = 10;
// A stored byte outside the alphabet (a blank EEPROM reads 0xFF) is never a valid character.
constexpr char kUnknownCharacter = '?';

}  // namespace

int32_t VKL_SerialNum_Write(int32_t board, int32_t rxSide, int32_t len, const char* text) {
  if (len < 0 || len > kMaxWriteLength || (len > 0 && !text)) return 0;
  uint8_t message[kMaxWriteLength + 1] = {0x00};
  for (int32_t i = 0; i < len; ++i) {
    const size_t position = kSerialAlphabet.find(text[i]);
    if (position == std::string_view::npos) return 0;
    message[i + 1] = static_cast<uint8_t>(position);
  }
  if (rxSide != 0) return VKL_I2C_RxE2P_Write(board, kEeprom, 0, 0, len + 1, message) == 1 ? 1 : -2;
  if (VKL_GPIOWrite_SN(board, 0) != 1) return -1;
  port::clock::SleepMs(kPinSettleMs);
  if (VKL_I2C_ADC_Write(board, kEeprom, len + 1, message) != 1) return -2;
  return VKL_GPIOWrite_SN(board, 1) == 1 ? 1 : -1;
}

int32_t VKL_SerialNum_Read(int32_t board, int32_t rxSide, int32_t len, char* out) {
  if (len < 0 || len > kMaxReadLength || !out) return 0;
  uint8_t bytes[kMaxReadLength] = {};
  if (rxSide != 0) {
    if (VKL_I2C_RxE2P_Read(board, kEeprom, 1, 0, len, bytes) != 1) return -3;
  } else {
    if (VKL_GPIOWrite_SN(board, 0) != 1) return -1;
    port::clock::SleepMs(kPinSettleMs);
    const uint8_t address[1] = {0x00};
    if (VKL_I2C_ADC_Write(board, kEeprom, 1, address) != 1) return -2;
    if (VKL_I2C_ADC_Read(board, kEeprom, len, bytes) != 1) return -3;
  }
  for (int32_t i = 0; i < len; ++i) out[i] = bytes[i] < kSerialAlphabet.size() ? kSerialAlphabet[bytes[i]] : kUnknownCharacter;
  out[len] = '\0';
  return 1;
}
