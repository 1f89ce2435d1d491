// The controller's framed requests: head, body with the command word, then one reply or acknowledgement.
#include <algorithm>
#include <cstdlib>

#include "sim_board.h"
#include "sim_mcu.h"

namespace velkarasim {
namespace {

constexpr uint32_t kStatusAccepted = 0;
constexpr uint32_t kStatusRefused = 0x80000001;
constexpr int kMaxSweepPoints = 6000;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
int32_t Be32(const uint8_t* p) {
  return static_cast<int32_t>((uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3]);
}

uint16_t Key(uint8_t group, uint8_t id) { return static_cast<uint16_t>((group << 8) | id); }

std::vector<uint8_t> DefaultQueryData(uint8_t group, uint8_t id, uint16_t length) {
  std::vector<uint8_t> data(length);
  if (group == 0x10 && id == 0x00) data = {0x07, 0x01};              // firmware 1.07
  else if (group == 0x10 && id == 0x0A) data = {0x78, 0x56, 0x34, 0x12};  // system handle
  else for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(id * 31 + i);
  data.resize(length);
  return data;
}

void ReplyHead(std::vector<uint8_t>& reply, uint8_t group, uint8_t id, uint16_t length) {
  reply = {0x15, static_cast<uint8_t>(length + 4), static_cast<uint8_t>((length + 4) >> 8), 0x03,
           group, id, static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)};
}

// The sweep is split into chunks as the board reads it back; a request must name one chunk exactly.
bool SweepChunk(FramedController& c, uint8_t chunk, uint16_t requested, std::vector<uint8_t>& data) {
  const int s = SweepRecordSize(c.sweepKind);
  const int points = c.sweepPoints;
  if (!s || points <= 0 || points > kMaxSweepPoints) return false;
  const int t = points >= 100 ? points % 10 : 0;
  const int chunks = points < 100 ? 1 : points < 400 ? 2 : 10;
  const int perChunk = (points - t) / chunks;
  const int first = chunk * perChunk;
  if (requested % (s + 2) != 0 || chunk >= chunks) return false;
  const int count = requested / (s + 2);
  if (first + count > points) return false;
  data.assign(requested, 0);
  for (int i = 0; i < count; ++i) SweepPoint(first + i, s, data.data() + static_cast<size_t>(i) * (s + 2));
  return true;
}

bool Query(FramedController& c, uint8_t group, uint8_t id, uint16_t length) {
  std::vector<uint8_t> data;
  if (group == 0xD0 && id < 0xFE) {
    if (c.failChunksOnce.erase(id)) return false;
    if (!SweepChunk(c, id, length, data)) return false;
  } else {
    const auto set = c.replies.find(Key(group, id));
    data = set != c.replies.end() ? set->second : DefaultQueryData(group, id, length);
    data.resize(length);
  }
  ReplyHead(c.reply, group, id, length);
  c.reply.insert(c.reply.end(), data.begin(), data.end());
  return true;
}

void SetSweep(FramedController& c, uint16_t kind, uint16_t points) {
  c.sweepKind = kind;
  c.sweepPoints = points;
}

uint32_t Command(FramedController& c, uint8_t group, uint8_t id, const uint8_t* data, size_t length) {
  if (group == 0x10 && id == 0x41) {
    if (length < 13) return kStatusRefused;
    SetSweep(c, Be16(data + 11), Be16(data + 8));
  } else if (group == 0x20 && id == 0x41) {
    if (length < 1) return kStatusRefused;
    const size_t at = size_t{data[0]} * 5000;
    if (c.pattern.size() < at + length - 1) c.pattern.resize(at + length - 1);
    std::copy(data + 1, data + length, c.pattern.begin() + static_cast<long>(at));
  } else if (group == 0x10 && (id == 0x40 || id == 0x50)) {
    if (length != (id == 0x40 ? 128u : 58u)) return kStatusRefused;
  } else {
    return kStatusRefused;
  }
  return c.status;
}

// A coefficient record: the controller works out the sweep and answers its point count.
bool Record(FramedController& c, uint8_t id, const uint8_t* data, size_t length) {
  const size_t tail = id == 0x42 ? 166 : 26;  // paramA, paramB, 0, 0, option, kind
  if ((id != 0x42 && id != 0x43) || length != tail + 13) return false;
  const int64_t span = std::llabs(int64_t{Be32(data + tail + 4)} - Be32(data + tail));
  const uint16_t points = static_cast<uint16_t>(std::min<int64_t>(span, 0xFFFF));
  SetSweep(c, Be16(data + tail + 11), points);
  c.reply = {0x15, 0x02, 0x00, 0x03, static_cast<uint8_t>(points >> 8), static_cast<uint8_t>(points)};
  return true;
}

// Checks the frame against its head (start, marker, the length given twice, a known mode) before
// anything in it is used; a corrupted frame is refused.
bool Body(Board& b, FramedController& c, const uint8_t* p, int n) {
  if (EffectiveFaults(b)->mcuBadChecksum) return false;
  if (n != c.length + 4 || c.length < 4 || p[0] != 0x16 || Le16(p + 2) != c.length || p[1] > 2) return false;
  const uint8_t mode = p[1];
  const uint8_t group = p[4];
  const uint8_t id = p[5];
  const uint16_t declared = Le16(p + 6);
  const uint8_t* data = p + 8;
  const size_t dataBytes = static_cast<size_t>(c.length) - 4;
  if (mode != 0 && declared > dataBytes) return false;
  c.received[Key(group, id)].assign(data, data + dataBytes);
  if (mode == 0) return dataBytes == 0 && declared <= 0xFFFF - 8 && Query(c, group, id, declared);
  if (mode == 2) return group == 0x10 && Record(c, id, data, dataBytes);
  const uint32_t status = Command(c, group, id, data, dataBytes);
  c.reply = {0x15, 0x04, 0x00, 0x03, static_cast<uint8_t>(status), static_cast<uint8_t>(status >> 8),
             static_cast<uint8_t>(status >> 16), static_cast<uint8_t>(status >> 24)};
  return true;
}

}  // namespace

int SweepRecordSize(int kind) {
  switch (kind) {
    case 3: return 9;
    case 7: return 12;
    case 48: return 11;
    case 51: return 20;
    case 55: return 23;
    case 144: return 15;
    case 271: return 18;
    case 319: return 29;
    default: return 0;
  }
}

void SweepPoint(int index, int recordSize, uint8_t* out) {
  for (int j = 0; j < recordSize; ++j) out[j] = static_cast<uint8_t>(index + j * 13);
  const uint16_t value = static_cast<uint16_t>(index * 3 - 1000);
  out[recordSize] = static_cast<uint8_t>(value);
  out[recordSize + 1] = static_cast<uint8_t>(value >> 8);
}

bool FramedWrite(Board& b, const uint8_t* data, int n) {
  FramedController& c = ActuatorsOf(b).framed;
  // A head restarts the exchange whatever came before it.
  if (n == 4 && data[0] == 0x15 && data[3] == 0x03) {
    c.length = Le16(data + 1);
    c.reply.clear();
    c.stage = FramedController::Stage::kBody;
    return true;
  }
  if (c.stage != FramedController::Stage::kBody) return false;
  c.stage = FramedController::Stage::kHead;
  c.reply.clear();
  if (!Body(b, c, data, n)) return false;
  c.stage = FramedController::Stage::kReply;
  return true;
}

bool FramedRead(Board& b, uint8_t* out, int n) {
  FramedController& c = ActuatorsOf(b).framed;
  if (c.stage != FramedController::Stage::kReply) return false;
  // Past the reply the bus reads idle-high bytes.
  std::fill(out, out + n, 0xFF);
  std::copy_n(c.reply.begin(), std::min<size_t>(c.reply.size(), static_cast<size_t>(n)), out);
  c.stage = FramedController::Stage::kHead;
  c.reply.clear();
  return true;
}

bool McuWrite(Board& b, int address7, const std::vector<uint8_t>& reg, const uint8_t* data, int n) {
  Actuators& a = ActuatorsOf(b);
  if (Naks(b, kSimBusMcu, address7)) return false;
  bool ok = false;
  if (address7 == kBootAddress7 && a.otherBoot.active && reg.size() == 1) ok = BootWrite(b, a.otherBoot, reg[0], data, n);
  else if (address7 == kMcuAddress7 && a.running && a.framedBoot.active) ok = reg.size() == 1 && BootWrite(b, a.framedBoot, reg[0], data, n);
  else if (address7 == kMcuAddress7 && a.running) ok = reg.empty() && FramedWrite(b, data, n);
  if (ok) MarkBusy(b);
  return ok;
}

bool McuRead(Board& b, int address7, const std::vector<uint8_t>& reg, uint8_t* out, int n) {
  Actuators& a = ActuatorsOf(b);
  if (Naks(b, kSimBusMcu, address7)) return false;
  bool ok = false;
  if (address7 == kBootAddress7 && a.otherBoot.active && reg.size() == 1) ok = BootRead(b, a.otherBoot, reg[0], out, n);
  else if (address7 == kMcuAddress7 && a.running && a.framedBoot.active) ok = reg.size() == 1 && BootRead(b, a.framedBoot, reg[0], out, n);
  else if (address7 == kMcuAddress7 && a.running) ok = reg.empty() && FramedRead(b, out, n);
  if (ok) MarkBusy(b);
  return ok;
}

}  // namespace velkarasim
