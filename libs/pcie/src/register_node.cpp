#include "register_node.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace pcie {
namespace {

constexpr uint64_t kWordBytes = 4;

uint64_t WordBase(uint64_t offset) { return offset & ~(kWordBytes - 1); }

// Walks an access word by word: `move(base, skip, take, done)` transfers `take` bytes at `skip` within the
// word at `base`, which are bytes [done, done + take) of the access.
template <typename Move>
long ForEachWord(size_t count, uint64_t offset, Move move) {
  size_t done = 0;
  while (done < count) {
    const uint64_t at = offset + done;
    const uint64_t base = WordBase(at);
    const size_t skip = static_cast<size_t>(at - base);
    const size_t take = std::min<size_t>(kWordBytes - skip, count - done);
    if (!move(base, skip, take, done)) return -1;
    done += take;
  }
  return static_cast<long>(count);
}

}  // namespace

RegisterNode::RegisterNode(std::unique_ptr<Node> driverNode) : driver_(std::move(driverNode)) {}

bool RegisterNode::ReadWord(uint64_t address, uint32_t& word) {
  const long moved = driver_->ReadAt(&word, kWordBytes, address);
  if (moved == static_cast<long>(kWordBytes)) return true;
  if (moved >= 0) errno = EIO;
  return false;
}

bool RegisterNode::WriteWord(uint64_t address, uint32_t word) {
  const long moved = driver_->WriteAt(&word, kWordBytes, address);
  if (moved == static_cast<long>(kWordBytes)) return true;
  if (moved >= 0) errno = EIO;
  return false;
}

long RegisterNode::ReadAt(void* buffer, size_t count, uint64_t offset) {
  auto* out = static_cast<uint8_t*>(buffer);
  return ForEachWord(count, offset, [&](uint64_t base, size_t skip, size_t take, size_t done) {
    uint32_t word = 0;
    if (!ReadWord(base, word)) return false;
    std::memcpy(out + done, reinterpret_cast<const uint8_t*>(&word) + skip, take);
    return true;
  });
}

long RegisterNode::WriteAt(const void* data, size_t count, uint64_t offset) {
  const auto* in = static_cast<const uint8_t*>(data);
  return ForEachWord(count, offset, [&](uint64_t base, size_t skip, size_t take, size_t done) {
    uint32_t word = 0;
    if (take < kWordBytes && !ReadWord(base, word)) return false;
    std::memcpy(reinterpret_cast<uint8_t*>(&word) + skip, in + done, take);
    return WriteWord(base, word);
  });
}

}  // namespace pcie
