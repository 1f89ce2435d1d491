#pragma once
// The actuator controller's framed I2C protocol: frame layout, command word, handshake lines and waits.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace board {

inline constexpr uint8_t kMcuSlave = 0xB0;
inline constexpr uint16_t kMcuReplyHeadBytes = 8;
inline constexpr uint16_t kMcuAckBytes = 8;

// Pin family indexes of the controller's lines (all on bank 4).
inline constexpr int kMcuRequestLine = 1;       // GPIO 1, board to controller
inline constexpr int kMcuReadyLine = 2;         // GPIO 2, high = ready
inline constexpr int kMcuResetLine = 3;         // GPIO 3, NRST, low = reset
inline constexpr int kMcuDownloadReadyLine = 2;  // OS 2
inline constexpr int kMcuBootLine = 3;          // OS 3
inline constexpr uint16_t kMcuPinBank = 4;

enum McuMode : uint8_t { kMcuQuery = 0, kMcuCommand = 1, kMcuRecord = 2 };

struct McuCommandWord {
  uint8_t group;
  uint8_t id;
  uint16_t dataLength;
};

// One frame: 0x15, L, 0x03 | 0x16, mode, L | command word | data, with L the bytes from offset 8 on.
class McuFrame {
 public:
  // A query: no data; the reply carries dataLength bytes after its 8-byte head.
  static McuFrame Query(McuCommandWord word);
  // A command with data; L = 4 + the data bytes (the word's own length may differ, as the pattern
  // download's does).
  static McuFrame Command(McuCommandWord word, const uint8_t* data, size_t length);

  const uint8_t* data() const { return bytes_.data(); }
  uint16_t BodyLength() const { return static_cast<uint16_t>(bytes_.size() - 4); }

 private:
  std::vector<uint8_t> bytes_;
};

void PutLe16(uint8_t* at, uint16_t value);
void PutBe16(uint8_t* at, uint16_t value);
void PutBe32(uint8_t* at, uint32_t value);
void PutBeDouble(uint8_t* at, double value);
uint16_t Be16(const uint8_t* at);
uint32_t Le32(const uint8_t* at);

// Fills offsets 0 to 7 of a frame whose command word and data are already at offset 8.
int BuildMcuFrameHeader(uint8_t* frame, uint16_t length, int type, uint16_t* writeLen, uint16_t* replyLen);

// Up to 2000 checks of the ready line, 1 ms apart; 1 as soon as it is high.
int WaitMcuNotBusy(int32_t board);
// Up to 5000 reads of the download-ready line, 1 ms apart; 1 as soon as it is high.
int WaitMcuReadyPin(int32_t board);
// Drives the request line.
void DriveMcuRequest(int32_t board, int level);

}  // namespace board
