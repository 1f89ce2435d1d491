// The configuration flash of the host and the receiver board. The image reaches card memory over
// the host-to-card node; program copies it into the flash (NOR: bits only go from 1 to 0, so an
// unerased flash fails), verify compares, read places the flash contents back in card memory.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "sim_board.h"

namespace velkarasim {
namespace {

constexpr size_t kCardMemoryBytes = 64u << 20;

enum class Step { kInit, kErase, kProgram, kVerify, kRead };

struct FlashCommand {
  int side;  // 0 host, 1 receiver
  Step step;
};

bool Decode(uint8_t selector, uint8_t opcode, FlashCommand& command) {
  struct Entry {
    uint8_t selector, opcode;
    FlashCommand command;
  };
  static constexpr Entry kTable[] = {
      {4, 0xA0, {0, Step::kInit}},       {0xA5, 0xA1, {0, Step::kErase}}, {0xA4, 0xA4, {0, Step::kProgram}},
      {0xA5, 0xA2, {0, Step::kVerify}},  {0xA5, 0xA5, {0, Step::kRead}},  {0xA0, 0, {1, Step::kInit}},
      {0xA1, 0, {1, Step::kErase}},      {0xA2, 0, {1, Step::kProgram}},  {0xA3, 0xA3, {1, Step::kRead}},
  };
  for (const Entry& e : kTable) {
    if (e.selector == selector && e.opcode == opcode) {
      command = e.command;
      return true;
    }
  }
  return false;
}

std::vector<uint8_t>& Memory(Board& b, int side) {
  std::vector<uint8_t>& memory = b.services.flash.memory[static_cast<size_t>(side)];
  if (memory.empty()) memory.assign(kFlashBytes, 0xFF);
  return memory;
}

bool Program(Board& b, int side, size_t length) {
  if (length > kFlashBytes || length > b.frame.size()) return false;
  std::vector<uint8_t>& memory = Memory(b, side);
  bool ok = true;
  for (size_t i = 0; i < length; ++i) {
    memory[i] &= b.frame[i];
    ok &= memory[i] == b.frame[i];
  }
  if (EffectiveFaults(b)->services.flashBadBit && length > 0) memory[length / 2] ^= 0x01;
  ++b.services.flash.programs[static_cast<size_t>(side)];
  return ok;
}

bool Verify(Board& b, int side, size_t length) {
  if (length > kFlashBytes || length > b.frame.size()) return false;
  const std::vector<uint8_t>& memory = Memory(b, side);
  return std::equal(memory.begin(), memory.begin() + static_cast<long>(length), b.frame.begin());
}

bool ReadBack(Board& b, int side, size_t length) {
  if (length > kFlashBytes) return false;
  const std::vector<uint8_t>& memory = Memory(b, side);
  if (b.frame.size() < length) b.frame.resize(length);
  b.renderedFor.reset();
  std::copy_n(memory.begin(), length, b.frame.begin());
  return true;
}

}  // namespace

bool HandleFlashCommand(Board& b, uint8_t selector, uint8_t opcode) {
  FlashCommand command{};
  if (!Decode(selector, opcode, command)) return false;
  const size_t length = MailboxU32(b, 20);
  bool ok = true;
  switch (command.step) {
    case Step::kInit: break;
    case Step::kErase: std::fill(Memory(b, command.side).begin(), Memory(b, command.side).end(), 0xFF); break;
    case Step::kProgram: ok = Program(b, command.side, length); break;
    case Step::kVerify: ok = Verify(b, command.side, length); break;
    case Step::kRead: ok = ReadBack(b, command.side, length); break;
  }
  FinishService(b, ok);
  return true;
}

long WriteCardMemory(Board& b, const void* data, size_t count, uint64_t address) {
  if (EffectiveFaults(b)->dead || address < kFrameAddress || address - kFrameAddress + count > kCardMemoryBytes) {
    errno = EIO;
    return -1;
  }
  const size_t start = static_cast<size_t>(address - kFrameAddress);
  if (b.frame.size() < start + count) b.frame.resize(start + count);
  b.renderedFor.reset();
  std::memcpy(b.frame.data() + start, data, count);
  return static_cast<long>(count);
}

}  // namespace velkarasim
