#include "RelayFrame.h"

std::uint8_t RelayChecksum(std::uint8_t command, std::uint8_t channel, std::uint8_t testPoint) {
  return static_cast<std::uint8_t>(0xAC - command - channel - testPoint);
}

RelayFrame RelayInitFrame() { return {0x53, kRelaySwitch, 0x00, 0x00, RelayChecksum(kRelaySwitch, 0, 0), 0x00}; }

namespace {
RelayFrame SwitchFrame(std::uint8_t command, int channel, int testPoint) {
  const auto ch = static_cast<std::uint8_t>(0x31 + channel);
  const auto tp = static_cast<std::uint8_t>(0x61 + testPoint);
  return {0x53, command, ch, tp, RelayChecksum(command, ch, tp), 0x45};
}
}  // namespace

RelayFrame RelaySwitchFrame(int channel, int testPoint) { return SwitchFrame(kRelaySwitch, channel, testPoint); }
RelayFrame RelaySwitchReply(int channel, int testPoint) { return SwitchFrame(kRelaySwitchReply, channel, testPoint); }

RelayFrame RelayVersionFrame() { return {0x53, kRelayVersion, 0xFF, 0xFF, RelayChecksum(kRelayVersion, 0xFF, 0xFF), 0x45}; }
