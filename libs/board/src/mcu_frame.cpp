#include "mcu_frame.h"

#include <bit>
#include <cstring>

#include "board_exports.h"

namespace board {
namespace {

constexpr int kNotBusyChecks = 2000;
constexpr int kReadyPinReads = 5000;

std::vector<uint8_t> Head(uint8_t mode, uint16_t length) {
  std::vector<uint8_t> bytes(8u + length);
  bytes[0] = 0x15;
  PutLe16(&bytes[1], length);
  bytes[3] = 0x03;
  bytes[4] = 0x16;
  bytes[5] = mode;
  PutLe16(&bytes[6], length);
  return bytes;
}

void PutWord(uint8_t* at, McuCommandWord word) {
  at[0] = word.group;
  at[1] = word.id;
  PutLe16(at + 2, word.dataLength);
}

}  // namespace

McuFrame McuFrame::Query(McuCommandWord word) {
  McuFrame frame;
  frame.bytes_ = Head(kMcuQuery, 4);
  PutWord(&frame.bytes_[8], word);
  return frame;
}

McuFrame McuFrame::Command(McuCommandWord word, const uint8_t* data, size_t length) {
  McuFrame frame;
  frame.bytes_ = Head(kMcuCommand, static_cast<uint16_t>(4 + length));
  PutWord(&frame.bytes_[8], word);
  if (length) std::memcpy(&frame.bytes_[12], data, length);
  return frame;
}

void PutLe16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void PutBe16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
}

void PutBe32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

void PutBeDouble(uint8_t* at, double value) {
  const auto bits = std::bit_cast<uint64_t>(value);
  for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
}

uint16_t Be16(const uint8_t* at) { return static_cast<uint16_t>((at[0] << 8) | at[1]); }

uint32_t Le32(const uint8_t* at) {
  return uint32_t{at[0]} | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16) | (uint32_t{at[3]} << 24);
}

int BuildMcuFrameHeader(uint8_t* frame, uint16_t length, int type, uint16_t* writeLen, uint16_t* replyLen) {
  if (type > 10 || !frame) return 0;
  frame[0] = 0x15;
  PutLe16(frame + 1, length);
  frame[3] = 0x03;
  if (type < 0 || type > 2) return -1;
  frame[4] = 0x16;
  frame[5] = static_cast<uint8_t>(type);
  PutLe16(frame + 6, length);
  const uint16_t write = static_cast<uint16_t>(length + 4);
  uint32_t reply = 0;
  if (type == 0) {
    // Only whole command words count: a partial last group would be read past the frame.
    uint32_t dataLengths = 0;
    for (uint32_t at = 8; at + 4 <= 8u + length; at += 4) dataLengths += uint32_t{frame[at + 2]} | (uint32_t{frame[at + 3]} << 8);
    reply = write + dataLengths;
  } else if (type == 2) {
    reply = write;
  }
  if (writeLen) *writeLen = write;
  if (replyLen) *replyLen = static_cast<uint16_t>(reply);
  return 1;
}

int WaitMcuNotBusy(int32_t board) {
  for (int i = 0; i < kNotBusyChecks; ++i) {
    if (VKL_MCU_Busy_Check(board) == 1) return 1;
    pSleep(1);
  }
  return 0;
}

int WaitMcuReadyPin(int32_t board) {
  for (int i = 0; i < kReadyPinReads; ++i) {
    uint32_t level = 0;
    if (VKL_GPIORead_OS(board, kMcuDownloadReadyLine, &level) == 1 && level) return 1;
    pSleep(1);
  }
  return 0;
}

void DriveMcuRequest(int32_t board, int level) { VKL_GPIOWrite(board, kMcuRequestLine, level); }

}  // namespace board
