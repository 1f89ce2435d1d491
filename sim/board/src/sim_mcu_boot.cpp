// The controller's boot loader: start frame, then per 512-byte page an address frame, the data, a
// read-back and a page-done frame, and a finish frame. Registers select the transfer.
#include <algorithm>

#include "sim_board.h"
#include "sim_mcu.h"

namespace velkarasim {
namespace {

constexpr uint16_t kPageBytes = 512;
constexpr uint32_t kControllerFlashBytes = 256 * 1024;
constexpr std::array<uint8_t, 6> kPageDone = {0x16, 0x16, 0x16, 0x16, 0x58, 0x01};

bool Frame(const uint8_t* data, int n, const std::array<uint8_t, 6>& expected) {
  return n == 6 && std::equal(expected.begin(), expected.end(), data);
}

bool AddressFrame(BootLoader& l, const uint8_t* d, int n) {
  if (!l.started || n != 6) return false;
  const uint32_t address = (uint32_t{d[0]} << 24) | (uint32_t{d[1]} << 16) | (uint32_t{d[2]} << 8) | d[3];
  const uint16_t length = static_cast<uint16_t>((d[4] << 8) | d[5]);
  // The address and length come from the wire: both must lie inside the flash.
  if (length == 0 || length > kPageBytes || address < l.base || address - l.base > kControllerFlashBytes - length) return false;
  l.pageAddress = address;
  l.pageLength = length;
  l.page.clear();
  return true;
}

bool PageDone(BootLoader& l, const uint8_t* d, int n) {
  if (!Frame(d, n, kPageDone) || l.page.empty()) return false;
  const size_t at = l.pageAddress - l.base;
  if (l.flash.size() < at + l.page.size()) l.flash.resize(at + l.page.size(), 0xFF);
  std::copy(l.page.begin(), l.page.end(), l.flash.begin() + static_cast<long>(at));
  l.page.clear();
  l.pageLength = 0;
  return true;
}

}  // namespace

void EnterBoot(BootLoader& l) {
  l.active = true;
  l.started = false;
  l.finished = false;
  l.pageLength = 0;
  l.page.clear();
}

bool BootWrite(Board&, BootLoader& l, int reg, const uint8_t* data, int n) {
  switch (reg) {
    case 1: return (l.started = Frame(data, n, l.start));
    case 2: return AddressFrame(l, data, n);
    case 3:
      if (l.pageLength == 0 || n != l.pageLength) return false;
      l.page.assign(data, data + n);
      return true;
    case 5: return PageDone(l, data, n);
    case 6:
      if (!l.started || !Frame(data, n, l.finish)) return false;
      l.finished = true;
      l.active = false;
      return true;
    default: return false;
  }
}

bool BootRead(Board& b, BootLoader& l, int reg, uint8_t* out, int n) {
  if (reg != 4 || l.page.empty() || n != static_cast<int>(l.page.size())) return false;
  if (l.shiftedReadBack) {
    out[0] = 0x79;
    std::copy_n(l.page.begin(), n - 1, out + 1);
  } else {
    std::copy_n(l.page.begin(), n, out);
  }
  const Actuators& a = ActuatorsOf(b);
  const int pageIndex = static_cast<int>((l.pageAddress - l.base) / kPageBytes);
  const bool bad = EffectiveFaults(b)->mcuBadPage ? pageIndex == 0 : pageIndex == a.badPage;
  if (bad && a.badByte >= 0 && a.badByte < n) out[a.badByte] ^= 0xFF;
  return true;
}

}  // namespace velkarasim
