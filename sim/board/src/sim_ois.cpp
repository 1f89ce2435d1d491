// The OIS sequencer: programmed delays, and transactions that write command blocks to the module's
// OIS devices on the sensor bus and collect their readings into one reply (all readings of the
// first slave, over every repeat, before those of the second).
#include <algorithm>
#include <cstring>
#include <vector>

#include "sim_board.h"

namespace velkarasim {
namespace {

constexpr uint8_t kGetDataEx2 = 0xB0;
constexpr uint8_t kGetDataEx = 0xB1;
constexpr uint8_t kGetData = 0xB2;
constexpr uint8_t kReset = 0xB3;
constexpr uint8_t kStepDelay = 0xB4;
constexpr uint8_t kDelay = 0xB5;
constexpr uint8_t kFunction = 0xB6;
constexpr size_t kPayload = 32;

// One side of a transaction: a slave, its command block per repeat and its readings.
struct Lane {
  int slave7;
  size_t blockLength;
  size_t blockOffset;  // in the payload
  int count;
};

struct Transaction {
  int repeat;
  size_t size;
  std::vector<Lane> lanes;
};

bool ModuleAnswers(const Board& b) { return b.ModulePowered() && !EffectiveFaults(b)->sensorNak; }

void RecordCommand(Board& b, int slave7, const uint8_t* data, size_t length) {
  VelkaraSimEvent e = MakeEvent(b.index, kSimEventI2cWrite);
  e.bus = kSimBusSys;
  e.address = slave7;
  e.length = static_cast<int>(std::min(length, sizeof e.data));
  std::memcpy(e.data, data, static_cast<size_t>(e.length));
  Record(e);
}

// A reading: the slave's address, then a running count; an unanswered bus reads high.
void Reading(bool answered, int slave7, size_t index, uint8_t* out, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    out[i] = !answered ? 0xFF : i == 0 ? static_cast<uint8_t>(slave7) : static_cast<uint8_t>(index + i);
  }
}

size_t PayloadBytes(const Transaction& t) {
  size_t bytes = 0;
  for (const Lane& lane : t.lanes) bytes += lane.blockLength * static_cast<size_t>(t.repeat);
  return bytes;
}

size_t ReplyBytes(const Transaction& t) {
  size_t readings = 0;
  for (const Lane& lane : t.lanes) readings += static_cast<size_t>(lane.count) * static_cast<size_t>(t.repeat);
  return readings * t.size;
}

bool Bounded(const Transaction& t) {
  if (t.repeat < 0 || t.repeat > 0xFFFF || t.size > kMailboxSize) return false;
  for (const Lane& lane : t.lanes) {
    if (lane.blockLength > kMailboxSize) return false;
  }
  return kPayload + PayloadBytes(t) <= kMailboxSize && kPayload + ReplyBytes(t) <= kMailboxSize;
}

void Run(Board& b, const Transaction& t) {
  std::copy_n(b.mailbox.begin(), b.services.ois.lastHeader.size(), b.services.ois.lastHeader.begin());
  if (!Bounded(t)) return FinishService(b, false);
  const std::vector<uint8_t> payload(b.mailbox.begin() + kPayload, b.mailbox.begin() + static_cast<long>(kPayload + PayloadBytes(t)));
  std::vector<uint8_t> reply(ReplyBytes(t));
  const bool answered = ModuleAnswers(b);
  size_t at = 0;
  for (const Lane& lane : t.lanes) {
    for (int r = 0; r < t.repeat; ++r) {
      if (lane.blockLength > 0) {
        RecordCommand(b, lane.slave7, payload.data() + lane.blockOffset + lane.blockLength * static_cast<size_t>(r),
                      lane.blockLength);
      }
      for (int k = 0; k < lane.count; ++k, at += t.size) {
        Reading(answered, lane.slave7, static_cast<size_t>(r * lane.count + k), reply.data() + at, t.size);
      }
    }
  }
  std::memcpy(b.mailbox.data() + kPayload, reply.data(), reply.size());
  ++b.services.ois.runs;
  FinishService(b, answered);
}

void RunGetData(Board& b, int repeat) {
  const size_t commandLength = MailboxU32(b, 20);
  Run(b, {repeat, MailboxU16(b, 8), {{b.mailbox[4], commandLength, 0, b.mailbox[10]}}});
}

void RunTwoSlaves(Board& b) {
  const size_t commandLength = MailboxU32(b, 20);
  const int repeat = static_cast<int>(MailboxU32(b, 16));
  // Both slaves take the one command; the B side's copy is not in the payload.
  Transaction t{repeat, MailboxU16(b, 8), {{b.mailbox[4], commandLength, 0, b.mailbox[10]}, {b.mailbox[5], 0, 0, b.mailbox[11]}}};
  Run(b, t);
}

void RunFunction(Board& b) {
  const int repeat = MailboxU16(b, 6);
  const size_t lengthA = MailboxU32(b, 20);
  const size_t lengthB = MailboxU32(b, 24);
  const size_t blockB = lengthA * static_cast<size_t>(repeat);
  Run(b, {repeat, MailboxU16(b, 8), {{b.mailbox[13], lengthA, 0, b.mailbox[10]}, {b.mailbox[14], lengthB, blockB, b.mailbox[11]}}});
}

}  // namespace

bool HandleOisCommand(Board& b, uint8_t selector, uint8_t opcode) {
  OisState& ois = b.services.ois;
  if (selector == 0x40 && opcode == kFunction) {
    RunFunction(b);
    return true;
  }
  if (selector != 4) return false;
  switch (opcode) {
    case kReset: ois = OisState{0, 0, 0, ois.resets + 1, ois.runs, ois.lastHeader}; break;
    case kDelay: ois.delayA = MailboxU32(b, 32); ois.delayB = MailboxU32(b, 36); break;
    case kStepDelay: ois.stepDelay = MailboxU32(b, 32); break;
    case kGetData: RunGetData(b, 1); return true;
    case kGetDataEx: RunGetData(b, static_cast<int>(MailboxU32(b, 16))); return true;
    case kGetDataEx2: RunTwoSlaves(b); return true;
    default: return false;
  }
  FinishService(b, true);
  return true;
}

}  // namespace velkarasim
