// The host board's serial-number EEPROM: on the current-measurement bus, reachable only while the
// board drives its enable pin (bank 1, bit 12) low. The first byte of a write sets the address.
#include "sim_board.h"

namespace velkarasim {
namespace {

constexpr int kEnableBank = 1;
constexpr uint32_t kEnableBit = 1u << 12;

bool Reachable(const Board& b) { return (b.dioLatch[kEnableBank] & kEnableBit) == 0; }

}  // namespace

bool HostEepromWrite(Board& b, const uint8_t* data, int n) {
  if (!Reachable(b) || n < 1) return false;
  uint8_t& at = b.services.hostEepromPointer;
  at = data[0];
  for (int i = 1; i < n; ++i) b.services.hostEeprom[at++] = data[i];
  return true;
}

bool HostEepromRead(Board& b, uint8_t* out, int n) {
  if (!Reachable(b)) return false;
  uint8_t& at = b.services.hostEepromPointer;
  for (int i = 0; i < n; ++i) out[i] = b.services.hostEeprom[at++];
  return true;
}

}  // namespace velkarasim
