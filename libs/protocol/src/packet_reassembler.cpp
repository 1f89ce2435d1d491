#include "packet_reassembler.h"

#include <algorithm>

namespace protocol {
namespace {

bool IsComplete(std::string_view text) {
  return text.find('\r') != std::string_view::npos || text.size() >= kMaxPacket;
}

}  // namespace

PacketReassembler::Result PacketReassembler::Feed(std::string_view block) {
  Result out;
  for (std::size_t at = 0; at < block.size(); at += kMaxPacket) FeedChunk(block.substr(at, kMaxPacket), out);
  return out;
}

// A complete fragment is queued; an incomplete one is the carry unless a new packet starts after it.
void PacketReassembler::Take(std::string fragment, bool followedByStart, Result& out) {
  if (IsComplete(fragment)) {
    out.packets.push_back("$" + fragment);
    carry_.clear();
  } else if (followedByStart) {
    if (!fragment.empty()) out.dropped.push_back("$" + fragment);
    carry_.clear();
  } else {
    carry_ = std::move(fragment);
  }
}

void PacketReassembler::FeedChunk(std::string_view block, Result& out) {
  std::size_t start = block.find('$');
  if (!carry_.empty()) {
    std::string joined;
    std::copy_if(carry_.begin(), carry_.end(), std::back_inserter(joined), [](char c) { return c != '$'; });
    joined.append(block.substr(0, start));
    Take(std::move(joined), start != std::string_view::npos, out);
  }
  while (start != std::string_view::npos) {
    const std::size_t next = block.find('$', start + 1);
    const std::string_view piece = block.substr(start + 1, next == std::string_view::npos ? next : next - start - 1);
    Take(std::string(piece), next != std::string_view::npos, out);
    start = next;
  }
  if (!block.empty() && block.back() == '$') carry_.assign(1, '$');
}

}  // namespace protocol
