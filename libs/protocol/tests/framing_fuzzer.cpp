// Feeds arbitrary byte streams, cut at arbitrary places, through the packet reassembly and the readers of
// a packet's header and fields. The first byte chooses the size of the blocks, as a socket would cut them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "packet_reassembler.h"
#include "protocol_packet.h"
#include "text_rules.h"

namespace {

bool Inside(std::string_view part, std::string_view whole) {
  return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

void ReadPacket(const std::string& packet) {
  const protocol::ProtocolPacket view(packet);
  (void)view.IsCommandNoCase('M', "VIS");
  const protocol::PacketFields fields(view.Data());
  for (const auto& field : fields.All()) {
    if (!Inside(field.name, packet) || !Inside(field.value, packet)) __builtin_trap();
    (void)protocol::ParseInt(field.value);
    (void)protocol::ParseDouble(field.value);
    (void)protocol::ParsePortText(field.value);
    for (const auto& item : protocol::SplitList(field.value)) (void)protocol::ParseFloat(item);
  }
  const std::string lot = protocol::SafeLotName(fields.Get("LOT"));
  if (lot.size() > protocol::kMaxLotLength || lot.find_first_of("/\\\r\n") != std::string::npos) __builtin_trap();
}

}  // namespace

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
      ReadPacket(packet);
    }
  }
  // Every packet byte came from the input (plus the '$' that starts it).
  if (total > input.size() * 2 + 1) __builtin_trap();
  return 0;
}
