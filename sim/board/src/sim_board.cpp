#include <algorithm>
#include <cerrno>
#include <cstring>

#include "sim_board.h"

namespace velkarasim {
namespace {

constexpr uint32_t kIdentityBase = 0x5E1A0000;
constexpr int kIoLevelEnableBank = 1;
constexpr uint32_t kIoLevelEnableBit = 1u << 10;
constexpr uint32_t kOutputWidthRegister = 0x034C;
constexpr uint32_t kOutputHeightRegister = 0x034E;
constexpr int kNativeWidth = 640;
constexpr int kNativeHeight = 480;

}  // namespace

Board::Board(int boardIndex, int channelIndex) : index(boardIndex), channel(channelIndex) {
  for (int channel = 0; channel < 8; ++channel) {
    dynamicMa[static_cast<size_t>(channel)] = 20.0 + 10.0 * channel;
    standbyUa[static_cast<size_t>(channel)] = 5.0 + channel;
  }
  // The sensor streams after reset until told otherwise.
  sensorRegisters[0x0100] = 0x01;
}

double Board::SupplyVolts(int channel) const {
  const double volts = supplyCode[static_cast<size_t>(channel)] / 13107.0;
  return channel >= 6 ? volts * 1.5 : volts;
}

double Board::IoLevelVolts() const {
  const bool enabled = (dioLatch[kIoLevelEnableBank] & kIoLevelEnableBit) != 0;
  if (!enabled || !ioLevelCodeSet) return 0.0;
  return 3.35 - (ioLevelCode - 91.0) / 11.91 * 0.05;
}

bool Board::ModulePowered() const {
  const bool anySupply = std::any_of(supplyCode.begin(), supplyCode.end(), [](uint16_t c) { return c != 0; });
  return anySupply && IoLevelVolts() > 0.0 && clockMhz > 0.0;
}

bool Board::SensorStreaming() const {
  const auto it = sensorRegisters.find(0x0100);
  return ModulePowered() && it != sensorRegisters.end() && (it->second & 1) != 0;
}

int Board::SensorRegister16(uint32_t address, int unset) const {
  const auto high = sensorRegisters.find(address);
  const auto low = sensorRegisters.find(address + 1);
  if (high == sensorRegisters.end() || low == sensorRegisters.end()) return unset;
  return (high->second << 8) | low->second;
}

int Board::StreamWidth() const { return SensorRegister16(kOutputWidthRegister, kNativeWidth); }

int Board::StreamHeight() const { return SensorRegister16(kOutputHeightRegister, kNativeHeight); }

void Board::FollowStream() {
  if (resolutionGiven) return;
  const bool streaming = SensorStreaming();
  width = streaming ? StreamWidth() : 0;
  height = streaming ? StreamHeight() : 0;
}

uint32_t Board::DioLevels(int bank) const {
  const size_t b = static_cast<size_t>(bank);
  return (dioLatch[b] & ~dioDirection[b]) | (dioInputs[b] & dioDirection[b]);
}

uint32_t Board::LineBytes() const {
  if (crcTrailer) {
    uint32_t payload = 2u * static_cast<uint32_t>(width);
    if (bits == 8) payload = static_cast<uint32_t>(width);
    if (bits == 10) payload = static_cast<uint32_t>(width) * 5 / 4;
    if (bits == 12) payload = static_cast<uint32_t>(width) * 3 / 2;
    return payload + 4 + (payload % 4 ? 2 : 0);
  }
  const int bytesPerPixel = bits > 8 ? 2 : 1;
  const int padded = lanes > 0 && width % lanes ? width + lanes - width % lanes : width;
  return static_cast<uint32_t>(bytesPerPixel * padded);
}

long Board::Read(void* buffer, size_t count, uint64_t offset) {
  if (EffectiveFaults(*this)->dead) {
    errno = EIO;
    return -1;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  std::memset(out, 0, count);
  if (offset == kIdentityOffset && count <= 4) {
    const uint32_t identity = kIdentityBase | (~static_cast<uint32_t>(index) & 3u);
    std::memcpy(out, &identity, count);
  } else if (offset == kLineCounterOffset && count <= 4) {
    linesReady = std::min(counterSteps, linesReady + kLinesPerCounterRead);
    const uint32_t counter = static_cast<uint32_t>(linesReady) & 0xFFFF;
    std::memcpy(out, &counter, count);
  } else if (offset >= kMailboxOffset && offset + count <= kMailboxOffset + kMailboxSize) {
    std::memcpy(out, mailbox.data() + (offset - kMailboxOffset), count);
  }
  ServiceRead(*this, out, count, offset);
  return static_cast<long>(count);
}

long Board::Write(const void* data, size_t count, uint64_t offset) {
  if (EffectiveFaults(*this)->dead) {
    errno = EIO;
    return -1;
  }
  const auto* in = static_cast<const uint8_t*>(data);
  if (offset >= kMailboxOffset && offset + count <= kMailboxOffset + kMailboxSize) {
    std::memcpy(mailbox.data() + (offset - kMailboxOffset), in, count);
  } else if (offset == kDoorbellOffset && count >= 1 && in[0] == 1) {
    RingDoorbell();
  }
  return static_cast<long>(count);
}

long Board::ReadFrame(void* buffer, size_t count, uint64_t address) const {
  if (EffectiveFaults(*this)->dead || address < kFrameAddress) {
    errno = EIO;
    return -1;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  const uint64_t start = address - kFrameAddress;
  const size_t n = start < frame.size() ? std::min<size_t>(count, frame.size() - start) : 0;
  if (n > 0) std::memcpy(out, frame.data() + start, n);
  std::memset(out + n, 0, count - n);
  return static_cast<long>(count);
}

void Board::RingDoorbell() {
  ++commandCount;
  // A firmware that never answers leaves the status byte as the host wrote it.
  if (EffectiveFaults(*this)->mailboxTimeout) return;
  HandleCommand(*this);
}

}  // namespace velkarasim
