// Feeds arbitrary byte streams, cut at arbitrary places, through the packet reassembly and field reader.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "packet_reassembler.h"
#include "protocol_packet.h"
#include "text_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t step = data[0] % 64 + 1;
  protocol::PacketReassembler reassembler;
  std::size_t total = 0;
  for (std::size_t at = 0; at < input.size(); at += step) {
    for (const auto& packet : reassembler.Feed(input.substr(at, step)).packets) {
      if (packet.empty() || packet.front() != '$') __builtin_trap();
      total += packet.size();
      const protocol::ProtocolPacket view(packet);
      (void)protocol::ParseInt(protocol::GetPacketField(view.Data(), "Site"));
      (void)protocol::ParseFloat(protocol::GetPacketField(view.Data(), "DISTANCE_TARGET"));
      (void)protocol::SafeLotName(protocol::GetPacketField(view.Data(), "LOT"));
    }
  }
  // Every packet byte came from the input (plus the '$' that starts it).
  if (total > input.size() * 2 + 1) __builtin_trap();
  return 0;
}
