// Devices, stream and frame exports, DisplayPort receiver, firmware dates, temperatures and fans.
#include <cstring>
#include <vector>

#include "PCI_LX40.h"
#include "QRV_PictureLimit.h"
#include "board_exports.h"
#include "board_state.h"
#include "port/clock.h"
#include "trace.h"

namespace {

using board::TraceTimer;

constexpr int kDateReadings = 6;
constexpr uint32_t kInvalidDate = 6;

bool TxDateValid(uint32_t date) {
  const uint32_t kind = date >> 28;
  return kind == 1 || kind == 3;
}

bool RxDateValid(uint32_t date) {
  const uint32_t kind = date >> 28;
  return date < 0x10000000 || kind == 2 || kind == 4;
}

int SpeedCode(float gbps) {
  static constexpr float speeds[] = {2.7f, 5.4f, 6.25f, 6.6f, 7.0f, 9.0f, 9.2f, 9.6f, 13.0f};
  for (int code = 0; code < 9; ++code) {
    if (gbps == speeds[code]) return code;
  }
  return -1;
}

// The padded frame lands in a buffer kept by the grabbing thread: a grab allocates only when the
// frame grew, and sites grabbing at once never share it.
std::vector<uint8_t>& PaddedFrameBuffer(size_t bytes) {
  thread_local std::vector<uint8_t> padded;
  if (padded.size() < bytes) padded.resize(bytes);
  return padded;
}

// Lines padded to a multiple of the lane count come in; the caller gets them packed, never more
// than its buffer holds.
int32_t GetPaddedFrame(int32_t board, int32_t capacity, uint8_t* buffer, int32_t width, int32_t lanes,
                       int32_t bytesPerPixel, int32_t height) {
  const int64_t paddedWidth = int64_t{width} + lanes - width % lanes;
  // The lane count is the model's setting: a padded frame beyond the picture limit is no frame.
  if (!QrvPictureFits(paddedWidth, height)) return 0;
  const int64_t line = int64_t{bytesPerPixel} * width;
  const int64_t paddedLine = int64_t{bytesPerPixel} * paddedWidth;
  const int64_t total = paddedLine * height;
  if (total <= 0 || total > INT32_MAX) return 0;
  std::vector<uint8_t>& padded = PaddedFrameBuffer(static_cast<size_t>(total));
  const int32_t size = static_cast<int32_t>(total);
  const int32_t result = PCI_LVDS_GetFrame(board, &size, padded.data());
  for (int32_t y = 0; y < height; ++y) {
    const int64_t at = line * y;
    if (at + line > capacity) break;
    std::memcpy(buffer + at, padded.data() + paddedLine * y, static_cast<size_t>(line));
  }
  return result;
}

template <typename ReadTemp, typename ReadSfp>
int32_t ReadTemperatures(int32_t board, double* fpgaC, double* sfpC, ReadTemp readTemp, ReadSfp readSfp) {
  uint32_t a = 0;
  uint32_t b = 0;
  int32_t result = readTemp(board, &a, &b);
  if (result != 1) return result;
  uint8_t bytes[2] = {};
  result = readSfp(board, 0xA2, 1, 0x60, 2, bytes);
  if (result != 1) return result;
  if (fpgaC) *fpgaC = static_cast<float>(a) / 10.0f;
  if (sfpC) *sfpC = bytes[0] + bytes[1] / 256.0;
  return 1;
}

// The fan takes its speed before its frequency; the two calls are separate statements so that the
// order is not the compiler's choice.
int32_t FanSpeedThenFrequency(int32_t board, int32_t speed) {
  const int32_t speedResult = PCI_FAN_SetSpeed(board, speed) & 1;
  return speedResult & PCI_FAN_SetFreq(board, 10);
}

}  // namespace

int32_t VKL_OpenDevice() {
  const TraceTimer timer;
  const int32_t result = PCI_OpenDevice();
  TRACE0(timer, TRACE_F8, result);
  return result;
}

int32_t VKL_CloseDevice() {
  const TraceTimer timer;
  const int32_t result = PCI_CloseDevice();
  TRACE0(timer, TRACE_F8, result);
  return result;
}

#define QRV_BOARD_CALL(name, pciCall, format) \
  int32_t name(int32_t board) {               \
    const TraceTimer timer;                   \
    const int32_t result = pciCall(board);    \
    TRACE(timer, format, board, result);      \
    return result;                            \
  }

QRV_BOARD_CALL(VKL_LVDS_Init, PCI_LVDS_Init, TRACE_F9)
QRV_BOARD_CALL(VKL_LVDS_Close, PCI_LVDS_Close, TRACE_F9)
QRV_BOARD_CALL(VKL_SFP_Reset, PCI_SFP_Reset2, TRACE_F1)
QRV_BOARD_CALL(VKL_LVDS_Start, PCI_LVDS_Start, TRACE_F9)

int32_t VKL_LVDS_Stop(int32_t board) {
  const TraceTimer timer;
  const int32_t result = PCI_LVDS_Stop(board);
  port::clock::SleepMs(100);
  TRACE(timer, TRACE_F9, board, result);
  return result;
}

int32_t VKL_FW_GetDate(int32_t board, uint32_t* rxDate, uint32_t* txDate) {
  const TraceTimer timer;
  uint32_t rx = 0;
  uint32_t tx = 0;
  bool valid = false;
  for (int reading = 0; reading < kDateReadings && !valid; ++reading) {
    if (reading > 0) {
      PCI_SFP_Reset2(board);
      port::clock::SleepMs(100);
    }
    PCI_FW_GetDate(board, &rx, &tx);
    valid = TxDateValid(tx) && RxDateValid(rx);
  }
  if (!TxDateValid(tx)) tx = kInvalidDate;
  if (!RxDateValid(rx)) rx = kInvalidDate;
  if (rxDate) *rxDate = rx;
  if (txDate) *txDate = tx;
  const int32_t result = valid ? 1 : 0;
  TRACE(timer, TRACE_F10, board, rx, tx, result);
  return result;
}

int32_t VKL_LVDS_SetResolution(int32_t board, uint16_t width, uint16_t height) {
  TRACED_CALL(TRACE_F5, PCI_LVDS_SetResolution(board, width, height), board, width, height);
}

int32_t VKL_LVDS_GetResolution(int32_t board, int32_t* width, int32_t* height) {
  if (!board::IsBoardIndex(board) || !width || !height) return 0;
  const TraceTimer timer;
  const int32_t result = PCI_LVDS_GetResolution(board, width, height);
  board::LaneGeometry& geometry = board::LaneGeometryOf(board);
  geometry.width.store(*width);
  geometry.height.store(*height);
  TRACE(timer, TRACE_F5, board, *width, *height, result);
  return result;
}

int32_t VKL_LVDS_Trigger(int32_t board, int32_t size, void* buffer) {
  TRACED_CALL(TRACE_F2, PCI_LVDS_Trigger(board, size, buffer), board, size);
}

int32_t VKL_LVDS_GetFrame(int32_t board, int32_t* size, uint8_t* buffer) {
  // A grab before the board's lane count is known has nothing to pad by: it fails, touching nothing.
  if (!board::IsBoardIndex(board) || !size || !buffer) return 0;
  const board::LaneGeometry& geometry = board::LaneGeometryOf(board);
  const int32_t lanes = geometry.lanes.load();
  if (lanes <= 0) return 0;
  const TraceTimer timer;
  const int32_t width = geometry.width.load();
  const int32_t result = width % lanes == 0
                             ? PCI_LVDS_GetFrame(board, size, buffer)
                             : GetPaddedFrame(board, *size, buffer, width, lanes, geometry.bytesPerPixel.load(),
                                              geometry.height.load());
  TRACE(timer, TRACE_F11, board, *size, "buf", result);
  return result;
}

int32_t VKL_DP_Init(int32_t board, float gbps, int32_t lanes, int32_t bits, uint16_t laneFormat) {
  if (!board::IsBoardIndex(board)) return 0;
  const TraceTimer timer;
  VKL_I2C_ALL_Reset(board);
  const int code = SpeedCode(gbps);
  int32_t result = -1;
  if (code >= 0) {
    result = PCI_DP_Init(board, code, lanes, bits, laneFormat);
    board::LaneGeometry& geometry = board::LaneGeometryOf(board);
    geometry.lanes.store(lanes);
    geometry.bytesPerPixel.store(bits > 8 ? 2 : 1);
  }
  TRACE(timer, TRACE_F12, board, static_cast<double>(gbps), lanes, bits, laneFormat, result);
  return result;
}

int32_t VKL_DP_LinkDone(int32_t board, uint16_t laneSelect, float timeoutMs) {
  const TraceTimer timer;
  int32_t result = PCI_DP_LinkDone(board, laneSelect);
  while (result != 1) {
    const double elapsed = timer.Ms();
    port::clock::BusyWait(std::chrono::milliseconds(1));
    if (!(timeoutMs > elapsed)) break;
    result = PCI_DP_LinkDone(board, laneSelect);
  }
  TRACE(timer, TRACE_F13, board, laneSelect, result);
  return result;
}

int32_t VKL_DP_FrameInfo(int32_t board, uint16_t value) {
  TRACED_CALL(TRACE_F14, PCI_DP_FrameInfo(board, value), board, value);
}

int32_t VKL_GetTemp(int32_t board, double* fpgaC, double* sfpC) {
  TRACED_CALL(TRACE_F19, ReadTemperatures(board, fpgaC, sfpC, PCI_GetTemp, PCI_I2C_SFP_Read), board, fpgaC ? *fpgaC : 0.0, sfpC ? *sfpC : 0.0);
}

int32_t VKL_Rx_GetTemp(int32_t board, double* fpgaC, double* sfpC) {
  TRACED_CALL(TRACE_F19, ReadTemperatures(board, fpgaC, sfpC, PCI_Rx_GetTemp, PCI_Rx_I2C_SFP_Read), board, fpgaC ? *fpgaC : 0.0, sfpC ? *sfpC : 0.0);
}

int32_t VKL_FAN_Enable(int32_t board, int32_t on) {
  TRACED_CALL(TRACE_F20, PCI_FAN_Enable(board, on), board, on);
}

int32_t VKL_FAN_SetSpeed(int32_t board, int32_t speed) {
  TRACED_CALL(TRACE_F20, FanSpeedThenFrequency(board, speed), board, speed);
}
