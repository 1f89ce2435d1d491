#pragma once
// Cuts the byte stream of one handler connection into packets. A packet starts at '$' and is complete
// once it holds a '\r'; it keeps the '\r' and whatever followed it up to the next '$'. A packet that
// reaches kMaxPacket characters without '\r' is taken as it is. An unterminated fragment that is followed
// by a new '$' is dropped and reported, so it never takes the packets after it down with it.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace protocol {

inline constexpr std::size_t kMaxPacket = 42000;

class PacketReassembler {
 public:
  struct Result {
    std::vector<std::string> packets;
    std::vector<std::string> dropped;  // unterminated fragments cut off by a later '$'
  };

  // Feeds one received block; blocks longer than kMaxPacket are taken in kMaxPacket pieces.
  Result Feed(std::string_view block);
  // The start of a packet still waiting for its end.
  const std::string& Carry() const { return carry_; }

 private:
  void FeedChunk(std::string_view block, Result& out);
  void Take(std::string fragment, bool followedByStart, Result& out);
  std::string carry_;
};

}  // namespace protocol
