#include "protocol_packet.h"

#include <cstdio>

#include "text_rules.h"

namespace protocol {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool ProtocolPacket::IsCommandNoCase(char code, std::string_view ext) const {
  const std::string_view mine = Ext();
  if (Code() != code || mine.size() != ext.size()) return false;
  for (std::size_t i = 0; i < ext.size(); ++i) {
    if (Upper(mine[i]) != Upper(ext[i])) return false;
  }
  return true;
}

std::string BuildPacket(char sender, PacketType type, int id, char code, std::string_view ext, std::string_view data) {
  if (id < 0 || id > kMaxSequence) id = 0;
  char head[16];
  std::snprintf(head, sizeof head, "$H%c%c%05d%c", sender, static_cast<char>(type), id, code);
  std::string packet(head);
  packet.append(ext.substr(0, 3));
  packet.append(data);
  packet.push_back('\r');
  return packet;
}

PacketFields::PacketFields(std::string_view fields) {
  std::size_t at = fields.find('@');
  while (at != std::string_view::npos) {
    const std::size_t next = fields.find('@', at + 1);
    const std::string_view piece = fields.substr(at + 1, next == std::string_view::npos ? next : next - at - 1);
    if (piece.empty()) break;
    const std::size_t eq = piece.find('=');
    View field{piece.substr(0, eq), {}};
    if (eq != std::string_view::npos) {
      const std::string_view rest = piece.substr(eq + 1);
      field.value = rest.substr(0, rest.find('='));
    }
    fields_.push_back(field);
    at = next;
  }
}

std::string_view PacketFields::Get(std::string_view key) const {
  for (const View& field : fields_) {
    if (field.name == key) return field.value;
  }
  return "0";
}

int PacketFields::Int(std::string_view key) const { return ParseInt(Get(key)); }

std::string GetPacketField(std::string_view fields, std::string_view key) {
  return std::string(PacketFields(fields).Get(key));
}

std::vector<PacketField> GetPacketFields(std::string_view fields) {
  const PacketFields split(fields);
  std::vector<PacketField> out;
  for (const auto& field : split.All()) out.push_back({std::string(field.name), std::string(field.value)});
  return out;
}

std::vector<std::string> SplitList(std::string_view list) {
  std::vector<std::string> items;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    items.emplace_back(list.substr(0, comma));
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return items;
}

}  // namespace protocol
