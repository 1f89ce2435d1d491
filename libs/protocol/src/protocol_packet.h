#pragma once
// The ASCII message of the handler link: "$", receiver, sender, type, five-digit ID, class letter,
// three letters, "@key=value" fields, '\r'. Qt-free so it can be table-tested and fuzzed.
#include <string>
#include <string_view>
#include <vector>

namespace protocol {

enum class PacketType : char { Command = 'C', Ack = 'A', Notify = 'N' };

inline constexpr std::size_t kHeaderSize = 13;  // '$' .. the three letters
inline constexpr int kMaxSequence = 99999;

// A view of one received packet. Parts a short packet lacks read as empty.
class ProtocolPacket {
 public:
  explicit ProtocolPacket(std::string_view text) : text_(text) {}

  std::string_view Text() const { return text_; }
  char Type() const { return At(3); }
  std::string_view Id() const { return Slice(4, 5); }
  char Code() const { return At(9); }
  std::string_view Ext() const { return Slice(10, 3); }
  std::string_view Data() const { return text_.size() > kHeaderSize ? text_.substr(kHeaderSize) : std::string_view{}; }
  bool IsCommand(char code, std::string_view ext) const { return Code() == code && Ext() == ext; }
  // The same, with the three letters compared without case.
  bool IsCommandNoCase(char code, std::string_view ext) const;

 private:
  char At(std::size_t i) const { return i < text_.size() ? text_[i] : '\0'; }
  std::string_view Slice(std::size_t from, std::size_t n) const {
    return from + n <= text_.size() ? text_.substr(from, n) : std::string_view{};
  }
  std::string_view text_;
};

// Builds one packet the tester sends: receiver 'H', the sender code, type, ID, class, letters, data, '\r'.
std::string BuildPacket(char sender, PacketType type, int id, char code, std::string_view ext, std::string_view data);

// The '@' fields of one packet, split once: a request that reads many keys does not scan the packet for
// each. The scan stops at the first empty field, and a value ends at the next '='. Views into the text,
// which must outlive this.
class PacketFields {
 public:
  explicit PacketFields(std::string_view fields);

  // The value of the first field of that name; "0" when there is none, empty for a name without '='.
  std::string_view Get(std::string_view key) const;
  int Int(std::string_view key) const;

  struct View {
    std::string_view name;
    std::string_view value;
  };
  const std::vector<View>& All() const { return fields_; }

 private:
  std::vector<View> fields_;
};

// The value of a key among the '@' fields, as PacketFields::Get reads it.
std::string GetPacketField(std::string_view fields, std::string_view key);

struct PacketField {
  std::string name;
  std::string value;
};
// Every '@' field in order, up to the first empty one, split as GetPacketField splits them.
std::vector<PacketField> GetPacketFields(std::string_view fields);
// The items of a ','-list value, by position; the empty piece after a final ',' is no item.
std::vector<std::string> SplitList(std::string_view list);

// The sequence after id: 1 .. 99999, then 1 again, so an ID always has five digits.
inline int NextSequence(int id) { return id >= kMaxSequence ? 1 : id + 1; }

}  // namespace protocol
