// DisplayPort receiver: configuration words per link-rate code, lane readiness, frame setting.
#include <array>

#include "PCI_LX40.h"
#include "board_slots.h"
#include "mailbox.h"

namespace pcie {
namespace {

constexpr int kRateCodes = 9;
constexpr int kWords = 40;

// Words 1 to 40 of each rate code's row.
std::array<uint32_t, kWords> ReceiverWords(int code) {
  struct Row {
    uint32_t w1, w2, w4, w5, w6, w7, w8, w9, w12, w13, w15, w16, w18, w23, w24, w25, w26, w36, w37, w38, w39, w40;
  };
  static constexpr Row rows[kRateCodes] = {
      {0x0, 0xB4, 0x1FA, 0x2B, 0x2, 0x1, 0x1, 0x900, 0xFC1, 0xFC1, 0x3F, 0x33F, 0x2020, 0x0, 0x3, 0xBE, 0x12, 0x1, 0x301, 0xFC, 0x1, 0x1},
      {0x0, 0xB4, 0x1FA, 0x2B, 0x2, 0x1, 0x1, 0x900, 0xFC1, 0xFC1, 0x3F, 0x33F, 0x2020, 0x0, 0x3, 0xBE, 0x12, 0x0, 0x301, 0xFC, 0x1, 0x1},
      {0x0, 0x7D, 0xFFA, 0x29, 0x202, 0x3, 0x1, 0x800, 0xFC3, 0xFC3, 0x62, 0x21F, 0x2020, 0x0, 0x3, 0x26E, 0x12, 0x0, 0x301, 0xFC, 0x0, 0x1},
      {0x0, 0x84, 0xFFA, 0x29, 0x202, 0x3, 0x1, 0x900, 0xFC3, 0xFC3, 0x62, 0x21F, 0x2020, 0x0, 0x3, 0x26E, 0x12, 0x0, 0x301, 0xFC, 0x0, 0x1},
      {0x0, 0x8C, 0xFFA, 0x29, 0x202, 0x3, 0x1, 0x900, 0xFC1, 0xFC1, 0x3F, 0x33F, 0x2020, 0x0, 0x3, 0xBE, 0x12, 0x0, 0x100, 0x54, 0x0, 0x1},
      {0x0, 0xB4, 0x3FE, 0x29, 0x203, 0x3, 0x1, 0x900, 0xFC1, 0xFC1, 0x3F, 0x33F, 0x2020, 0x0, 0x3, 0x25C, 0x12, 0x0, 0x100, 0x54, 0x0, 0x1},
      {0x0, 0xB8, 0x3FE, 0x29, 0x203, 0x3, 0x1, 0x900, 0xFC1, 0xFC1, 0x3F, 0x33F, 0x2020, 0x0, 0x3, 0x1E, 0x12, 0x0, 0x100, 0x54, 0x0, 0x1},
      {0x0, 0xF0, 0x3FE, 0x29, 0x203, 0x3, 0x0, 0x900, 0xFC1, 0xFC1, 0x3F, 0x33F, 0x2020, 0x0, 0x3, 0xBE, 0x12, 0x0, 0x100, 0x54, 0x1, 0x0},
      {0x3, 0xC8, 0x3FE, 0x29, 0x203, 0x3, 0x0, 0x900, 0xFC1, 0xFC1, 0x3F, 0x33F, 0x4040, 0x1, 0x5, 0x27C, 0x23, 0x0, 0x3002, 0x54, 0x1, 0x0},
  };
  const Row& r = rows[code];
  std::array<uint32_t, kWords + 1> w{};
  w[1] = r.w1; w[2] = r.w2; w[4] = r.w4; w[5] = r.w5; w[6] = r.w6; w[7] = r.w7; w[8] = r.w8; w[9] = r.w9;
  w[11] = 0x331C; w[12] = r.w12; w[13] = r.w13; w[14] = 0x2; w[15] = r.w15; w[16] = r.w16; w[17] = 0x10;
  w[18] = r.w18; w[19] = 0xC0C0; w[20] = 0x10C0; w[21] = 0xC0C0; w[22] = 0x80C0; w[23] = r.w23; w[24] = r.w24;
  w[25] = r.w25; w[26] = r.w26; w[34] = 0x200; w[35] = 0x4101; w[36] = r.w36; w[37] = r.w37; w[38] = r.w38;
  w[39] = r.w39; w[40] = r.w40;
  std::array<uint32_t, kWords> out{};
  for (int i = 0; i < kWords; ++i) out[static_cast<size_t>(i)] = w[static_cast<size_t>(i + 1)];
  return out;
}

uint16_t LaneMap(uint16_t laneFormat) {
  const auto group = [&](int k) { return (laneFormat >> (4 * k)) & 0xF; };
  return static_cast<uint16_t>(group(3) | (group(2) << 4) | (group(1) << 8) | (group(0) << 12));
}

}  // namespace
}  // namespace pcie

using namespace pcie;

int32_t PCI_DP_Init(int32_t board, int32_t rateCode, int32_t, int32_t bits, uint16_t laneFormat) {
  if (!IsUsableBoard(board) || rateCode < 0 || rateCode >= kRateCodes) return 0;
  BoardLease lease(board);
  if (!lease.held()) return 0;
  MailboxPacket packet(4, 0xC2);
  packet.SetU32(20, 164);
  const uint8_t header[2] = {static_cast<uint8_t>(bits), 0xFF};
  packet.Append(header, 2);
  packet.AppendU16(LaneMap(laneFormat));
  if (!WritePacket(board, packet)) return 0;
  const auto words = ReceiverWords(rateCode);
  for (size_t i = 0; i < words.size(); ++i) {
    if (!WriteUserRegister(board, kDpWordsOffset + 4 * i, 4, &words[i])) return 0;
  }
  if (!RingDoorbell(board)) return 0;
  MailboxReply reply;
  WaitMailboxReply(board, 4, reply, 1000);
  return reply.done && !reply.errorBits() ? 1 : 0;
}

int32_t PCI_DP_LinkDone(int32_t board, uint16_t laneSelect) {
  if (!IsUsableBoard(board)) return 0;
  BoardLease lease(board);
  if (!lease.held()) return 0;
  if (!WritePacket(board, MailboxPacket(4, 0xC7)) || !RingDoorbell(board)) return 0;
  MailboxReply reply;
  if (!WaitMailboxReply(board, 36, reply, 1000)) return 0;
  if (reply.errorBits()) return 0;
  const uint32_t status = reply.U32(32);
  const auto ready = [&](int byte) { return ((status >> (8 * byte)) & 0xFF) >= 7; };
  const bool notReady = (laneSelect > 0x0FFF && !ready(0)) || ((laneSelect & 0x0F00) && !ready(1)) ||
                        ((laneSelect & 0x00F0) && !ready(2)) || ((laneSelect & 0x000F) && !ready(3));
  return notReady ? -1 : 1;
}

int32_t PCI_DP_FrameInfo(int32_t board, uint16_t value) {
  if (!IsUsableBoard(board)) return 0;
  MailboxPacket packet(0xD4, 0xD4);
  packet.SetU32(20, 4);
  packet.AppendU16(value);
  packet.AppendU16(0);
  return RunCommand(board, packet, 2, 8000, Rule::kStrict);
}
