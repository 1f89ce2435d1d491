// Dispatch of the service commands in the mailbox: flash, eye scan and OIS sequencer.
#include <cstring>

#include "sim_board.h"

namespace velkarasim {

// A module whose pins differ slightly from each other, a blank serial EEPROM and a closed eye.
BoardServices::BoardServices() {
  for (int pin = 1; pin <= kModulePins; ++pin) {
    ModulePin& p = pins[static_cast<size_t>(pin)];
    p.diodeVolts = 0.62 + 0.004 * pin;
    p.leakageCountsPerVolt = 8.0 + pin;
  }
  hostEeprom.fill(0xFF);
  const float closed = 1.0f;
  for (size_t at = 0; at < kEyeMemoryBytes; at += 4) std::memcpy(eye.memory.data() + at, &closed, 4);
}

uint32_t MailboxU32(const Board& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.mailbox.data() + at, 4);
  return v;
}

uint16_t MailboxU16(const Board& b, size_t at) {
  uint16_t v;
  std::memcpy(&v, b.mailbox.data() + at, 2);
  return v;
}

void FinishService(Board& b, bool ok) { b.mailbox[1] = ok ? 0x01 : 0x03; }

bool HandleServiceCommand(Board& b) {
  const uint8_t selector = b.mailbox[0];
  const uint8_t opcode = b.mailbox[2];
  return HandleFlashCommand(b, selector, opcode) || HandleEyeScanCommand(b, selector, opcode) ||
         HandleOisCommand(b, selector, opcode);
}

}  // namespace velkarasim
