#pragma once
// The relay board's 6-byte frames: 'S', command, channel, test point, checksum, 'E'.
#include <array>
#include <cstdint>

using RelayFrame = std::array<std::uint8_t, 6>;

constexpr std::uint8_t kRelaySwitch = 0x41;
constexpr std::uint8_t kRelaySwitchReply = 0x42;
constexpr std::uint8_t kRelayVersion = 0x40;
constexpr int kRelayChannels = 8;
constexpr int kRelayTestPoints = 6;

std::uint8_t RelayChecksum(std::uint8_t command, std::uint8_t channel, std::uint8_t testPoint);
// The initialisation frame ends in 0x00, not 'E': the board accepts it so.
RelayFrame RelayInitFrame();
RelayFrame RelaySwitchFrame(int channel, int testPoint);
RelayFrame RelaySwitchReply(int channel, int testPoint);
RelayFrame RelayVersionFrame();
