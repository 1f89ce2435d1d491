// Closed-loop sweeps: point patterns and coefficient records sent to the controller, the recorded
// points read back in chunks.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <vector>

#include "board_exports.h"
#include "board_state.h"
#include "mcu_frame.h"
#include "mcu_sweep.h"
#include "port/clock.h"

namespace board {
namespace {

constexpr uint16_t kMaxSweepPoints = 6000;
constexpr size_t kPatternChunkBytes = 5000;
constexpr size_t kTableRecordBytes = 191;
constexpr size_t kParamsRecordBytes = 51;

struct ChunkPlan {
  int recordSize;  // s
  int chunks;      // K
  int pointsPerChunk;  // P
  int extraPoints;     // t, read with the last chunk
  int Points(int chunk) const { return pointsPerChunk + (chunk == chunks - 1 ? extraPoints : 0); }
  uint16_t Bytes(int chunk) const { return static_cast<uint16_t>((recordSize + 2) * Points(chunk)); }
};

ChunkPlan PlanChunks(int recordSize, uint16_t points) {
  const int t = points >= 100 ? points % 10 : 0;
  const int chunks = points < 100 ? 1 : points < 400 ? 2 : 10;
  return {recordSize, chunks, (points - t) / chunks, t};
}

std::array<uint8_t, 25> SweepConfigFrame(uint8_t option, uint16_t kind, int32_t paramA, int32_t paramB, uint16_t points) {
  std::array<uint8_t, 25> f = {0x15, 0x11, 0x00, 0x03, 0x16, 0x01, 0x11, 0x00, 0x10, 0x41, 13, 0};
  PutBe32(&f[12], static_cast<uint32_t>(paramA));
  PutBe32(&f[16], static_cast<uint32_t>(paramB));
  PutBe16(&f[20], points);
  f[22] = option;
  PutBe16(&f[23], kind);
  return f;
}

// One chunk request; on success the chunk's records and values are stored at point `first`.
bool ReadChunk(int32_t board, const ChunkPlan& plan, int chunk, int first, uint8_t* records, int16_t* values,
               int32_t timeoutMs) {
  const uint16_t length = plan.Bytes(chunk);
  std::array<uint8_t, 12> request = {0x15, 0x04, 0x00, 0x03, 0x16, 0x00, 0x04, 0x00, 0xD0, static_cast<uint8_t>(chunk)};
  PutLe16(&request[10], length);
  std::vector<uint8_t> reply(kMcuReplyHeadBytes + size_t{length}, 0);
  const int32_t result = VKL_I2C_ProtocolTrx_Sweep_Config(board, request.data(), 8, reply.data(),
                                                          static_cast<uint16_t>(reply.size()), 1, timeoutMs);
  if (result != 1) return false;
  const size_t s = static_cast<size_t>(plan.recordSize);
  for (int i = 0; i < plan.Points(chunk); ++i) {
    const uint8_t* point = &reply[kMcuReplyHeadBytes + (s + 2) * static_cast<size_t>(i)];
    std::memcpy(records + s * static_cast<size_t>(first + i), point, s);
    values[first + i] = static_cast<int16_t>(point[s] | (point[s + 1] << 8));
  }
  return true;
}

size_t PackHead(uint8_t* record, uint16_t length, uint8_t id, uint16_t dataLength) {
  uint16_t writeLen = 0;
  BuildMcuFrameHeader(record, length, kMcuRecord, &writeLen, nullptr);
  record[8] = 0x10;
  record[9] = id;
  PutLe16(record + 10, dataLength);
  return writeLen;
}

void PackTail(uint8_t* at, const SweepPatternParams& params, const SweepSettings& sweep, bool withValue) {
  *at++ = params.lead;
  if (withValue) {
    PutBe32(at, static_cast<uint32_t>(params.value));
    at += 4;
  }
  *at++ = params.tail;
  PutBe32(at, static_cast<uint32_t>(sweep.paramA));
  PutBe32(at + 4, static_cast<uint32_t>(sweep.paramB));
  at[8] = 0;
  at[9] = 0;
  at[10] = sweep.option;
  PutBe16(at + 11, sweep.kind);
}

}  // namespace

int SweepRecordSize(uint16_t kind) {
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

// The 20-coefficient record; returns its write length.
size_t PackSweepPatternTable(uint8_t* record, const double* table, const SweepPatternParams& params,
                             const SweepSettings& sweep) {
  const size_t writeLen = PackHead(record, 183, 0x42, 178);
  for (int i = 0; i < 17; ++i) PutBeDouble(record + 12 + 8 * i, table[i]);
  for (int i = 0; i < 3; ++i) PutBeDouble(record + 148 + 8 * i, params.c[i]);
  PackTail(record + 172, params, sweep, true);
  return writeLen;
}

// The 3-coefficient record; returns its write length.
size_t PackSweepPatternParams(uint8_t* record, const SweepPatternParams& params, const SweepSettings& sweep) {
  const size_t writeLen = PackHead(record, 43, 0x43, 38);
  for (int i = 0; i < 3; ++i) PutBeDouble(record + 12 + 8 * i, params.c[i]);
  PackTail(record + 36, params, sweep, false);
  return writeLen;
}

}  // namespace board

int32_t VKL_MCU_CL_Sweep_Config(int32_t board, int32_t* status, uint8_t skipConfig, uint8_t* records, int16_t* values,
                                uint8_t option, uint16_t kind, int32_t paramA, int32_t paramB, uint16_t points,
                                int32_t timeoutMs) {
  const int s = board::SweepRecordSize(kind);
  if (!s || points == 0 || points > board::kMaxSweepPoints) return 0;
  if (!board::IsBoardIndex(board) || !status || !records || !values) return 0;
  const board::ChunkPlan plan = board::PlanChunks(s, points);
  if (!skipConfig) {
    const auto frame = board::SweepConfigFrame(option, kind, paramA, paramB, points);
    uint8_t ack[board::kMcuAckBytes] = {};
    if (VKL_I2C_ProtocolTrx_Sweep_Config(board, frame.data(), 21, ack, 0, 1, timeoutMs) != 1) return 0;
    *status = static_cast<int32_t>(board::Le32(ack + 4));
    port::clock::Sleep(std::chrono::milliseconds(1));
  }
  // A refused chunk is asked for again under its own id; the sweep counts only when every chunk came.
  int stored = 0;
  for (int request = 0; request < 2 * plan.chunks && stored < plan.chunks; ++request) {
    if (board::ReadChunk(board, plan, stored, stored * plan.pointsPerChunk, records, values, timeoutMs)) ++stored;
  }
  if (stored < plan.chunks) return 0;
  board::DriveMcuRequest(board, 0);
  return 1;
}

int32_t VKL_MCU_CL_Sweep_Pattern(int32_t board, int32_t* status, const uint8_t* pointBytes, uint16_t count,
                                 int32_t timeoutMs) {
  if (!board::IsBoardIndex(board) || !status || !pointBytes) return 0;
  const size_t total = size_t{count} * 5;
  size_t sent = 0;
  for (uint8_t index = 0;; ++index) {
    const size_t own = std::min(total - sent, board::kPatternChunkBytes);
    // Each chunk carries its own point bytes and the next byte of the caller's array.
    const uint16_t d = static_cast<uint16_t>(own + 1);
    std::vector<uint8_t> data(size_t{d} + 1);
    data[0] = index;
    std::memcpy(&data[1], pointBytes + sent, d);
    const board::McuFrame frame = board::McuFrame::Command({0x20, 0x41, d}, data.data(), data.size());
    uint8_t ack[board::kMcuAckBytes] = {};
    if (VKL_I2C_ProtocolTrx(board, frame.data(), frame.BodyLength(), ack, 0, 1, timeoutMs) != 1) return 0;
    *status = static_cast<int32_t>(board::Le32(ack + 4));
    sent += own;
    if (sent == total) return 1;
  }
}

int32_t VKL_MCU_CL_Sweep_Pattern_Config(int32_t board, int32_t* status, uint8_t* records, int16_t* values, uint8_t type,
                                        const double* table, const SweepPatternParams* params, SweepSettings* sweep,
                                        int32_t timeoutMs) {
  if (type > 2) return -10;
  if (!board::IsBoardIndex(board) || !status || !records || !values || !params || !sweep || (type == 2 && !table)) return 0;
  std::array<uint8_t, board::kTableRecordBytes> record{};
  const size_t writeLen = type == 2 ? board::PackSweepPatternTable(record.data(), table, *params, *sweep)
                                    : board::PackSweepPatternParams(record.data(), *params, *sweep);
  uint8_t reply[6] = {};
  if (VKL_I2C_ProtocolTrx_Sweep_Config(board, record.data(), static_cast<uint16_t>(writeLen), reply, 6, 1, timeoutMs) != 1) {
    return 0;
  }
  sweep->pointCount = board::Be16(reply + 4);
  if (sweep->pointCount == 0) return -11;
  return VKL_MCU_CL_Sweep_Config(board, status, 1, records, values, sweep->option, sweep->kind, sweep->paramA,
                                 sweep->paramB, sweep->pointCount, timeoutMs);
}
