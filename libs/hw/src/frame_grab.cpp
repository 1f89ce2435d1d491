// Frame grab, link check and the per-line CRC check of grabbed frames.
#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <vector>

#include "hardware_controller.h"
#include "line_crc.h"
#include "port/clock.h"
#include "port/text.h"

namespace hw {
namespace {

// Each try waits up to 2 s for the link; past this many a module does not link at all.
constexpr int kMaxLinkRetries = 100;

// Process-wide counts of CRC grabs, never reset while the library is loaded.
std::atomic<int> capturedFrames{0};
std::atomic<int> failedFrames{0};
std::atomic<int> hwFailFrames{0};
std::atomic<int> swFailFrames{0};

}  // namespace

void HardwareController::RunLog(int site, bool siteLog, bool dialogLog, const char* format, ...) {
  if (!siteLog && !dialogLog) return;
  va_list args;
  va_start(args, format);
  const std::string text = port::FormatV(format, args);
  va_end(args);
  if (dialogLog) state_->Log("%s", text.c_str());
  if (siteLog) SiteLog(site, "%s", text.c_str());
}

int HardwareController::GrabFrame(int board, unsigned char* buffer, int size) {
  const std::lock_guard lock(grabMutex_[static_cast<std::size_t>(board)]);
  int32_t frameSize = size;
  return BoardCall(table_->LVDS_GetFrame, board, &frameSize, buffer);
}

int HardwareController::GetImage(int board, unsigned char* buffer, int size) {
  if (!IsValidBoard(board) || !table_ || !buffer) return 0;
  const int timeOut = state_->Settings(board)->timeOut;
  const auto start = port::clock::Now();
  for (;;) {
    // A frame of no bytes never reaches the board: it fails like a frame that never came, after the time-out,
    // so a live grab of an empty size waits between its failed grabs as for a missing stream.
    if (size > 0 && GrabFrame(board, buffer, size) == 1) return 1;
    DelayMs(3);
    if (port::clock::ElapsedMs(start) > timeOut) return 0;
  }
}

int HardwareController::Startverify(int board, int site, int laneSelect, int width, int height, bool dialogLog) {
  if (!IsValidBoard(board) || !table_) return 0;
  const RecordIni sensorIni(record_, record_ ? record_->GetSensorPath() : std::string());
  const int linkRetry = sensorIni.Count("SENSOR_SET", "LinkRetry", 5, kMaxLinkRetries);
  const int sizeOffset = sensorIni.Int("SENSOR_SET", "QRV_SENSOR_SIZE_OFFSET", 0);
  for (int i = 0; i < linkRetry; ++i) {
    if (BoardCall(table_->DP_LinkDone, board, static_cast<std::uint16_t>(laneSelect), 2000.0f) == 1) {
      SiteLog(site, "PCI_LVDS_DP_LinkDone");
      break;
    }
    DelayMs(50);
  }
  static constexpr const char* kOrdinal[] = {"1st", "2nd", "3rd"};
  for (int check = 0; check < 3; ++check) {
    int32_t readWidth = 0;
    int32_t readHeight = 0;
    const int result = BoardCall(table_->LVDS_GetResolution, board, &readWidth, &readHeight);
    RunLog(site, true, dialogLog, "GetDPXY:%d,%d", readWidth, readHeight);
    if (check == 0) SiteLog(site, "GetSizeOffset:%d", sizeOffset);
    if (result == 1 && readWidth == width && std::int64_t{readHeight} == std::int64_t{height} + sizeOffset) return 1;
    RunLog(site, true, dialogLog, "Fail : %s Resolution Mismatch, %d*%d", kOrdinal[check], readWidth, readHeight);
  }
  return 0;
}

int HardwareController::CheckLineCrc(int site, const unsigned char* frame, int width, int lines, int crcType,
                                     int* hwFailFrameCount, int* swFailFrameCount, bool siteLog, bool dialogLog) {
  const int payload = CrcPayloadLength(crcType, width);
  const int stride = CrcLineStride(crcType, width);
  int hwFailLines = 0;
  int swFailLines = 0;
  for (int k = 0; k < lines; ++k) {
    const unsigned char* line = frame + static_cast<std::size_t>(k) * stride;
    const unsigned char* trailer = line + payload;
    const std::string computed = port::Format("0x%04x", LineCrc16(line, static_cast<std::size_t>(payload)));
    const std::string received = port::Format("0x%02x%02x", trailer[2], trailer[1]);
    if (trailer[3] != 0) {
      RunLog(site, siteLog, dialogLog, "%04d_Line HW CRC Fail :: HW CRC RESULT: 0x%02x, (SW CRC : %s, HW CRC : %s)",
             k, trailer[3], computed.c_str(), received.c_str());
      ++hwFailLines;
    } else if (computed != received) {
      RunLog(site, siteLog, dialogLog, "%04d_Line SW CRC Fail :: SW CRC : %s, HW CRC : %s, HW CRC RESULT : 0x%02x",
             k, computed.c_str(), received.c_str(), trailer[3]);
      ++swFailLines;
    }
  }
  if (hwFailLines > 0) {
    ++hwFailFrames;
  } else if (swFailLines > 0) {
    ++swFailFrames;
  }
  RunLog(site, siteLog, dialogLog, "1 FRAME(%dLine) HW CRC FAIL COUNT: %d, SW CRC FAIL COUNT: %d", lines,
         hwFailLines, swFailLines);
  if (hwFailFrameCount) *hwFailFrameCount = hwFailFrames.load();
  if (swFailFrameCount) *swFailFrameCount = swFailFrames.load();
  return hwFailLines == 0 && swFailLines == 0 ? 1 : 0;
}

namespace {

// Sums of frames, per sample: bytes for 8-bit and packed types, little-endian 16-bit words otherwise,
// so that averaging never loses the carry between the bytes of one sample.
class FrameAverage {
 public:
  FrameAverage(int crcType, int size) : wide_(crcType < 1 || crcType > 3), sums_(static_cast<std::size_t>(size)) {}

  void Add(const unsigned char* frame) {
    if (wide_) {
      for (std::size_t i = 0; i + 1 < sums_.size(); i += 2) sums_[i] += frame[i] | (frame[i + 1] << 8);
    } else {
      for (std::size_t i = 0; i < sums_.size(); ++i) sums_[i] += frame[i];
    }
  }

  void Store(unsigned char* frame, int count) const {
    if (wide_) {
      for (std::size_t i = 0; i + 1 < sums_.size(); i += 2) {
        const std::uint32_t value = sums_[i] / static_cast<std::uint32_t>(count);
        frame[i] = static_cast<unsigned char>(value & 0xFF);
        frame[i + 1] = static_cast<unsigned char>(value >> 8);
      }
    } else {
      for (std::size_t i = 0; i < sums_.size(); ++i) frame[i] = static_cast<unsigned char>(sums_[i] / count);
    }
  }

 private:
  bool wide_;
  std::vector<std::uint32_t> sums_;
};

std::int64_t PhaseLimitMs(int frames) { return frames <= 1 ? 5000 : static_cast<std::int64_t>(frames) * 2000; }

}  // namespace

int HardwareController::GrabDummyFrames(int board, int site, unsigned char* grab, int grabSize, int dummyFrames,
                                        bool siteLog, bool dialogLog) {
  const auto start = port::clock::Now();
  for (int i = 0; i < dummyFrames; ++i) {
    for (int attempt = 0; attempt < 30; ++attempt) {
      if (GrabFrame(board, grab, grabSize) == 1) {
        RunLog(site, siteLog, dialogLog, "Image Capture success");
        break;
      }
      DelayMs(10);
    }
    RunLog(site, siteLog, dialogLog, "Dummy Image Capture(%d / %d)", i, dummyFrames);
    if (port::clock::ElapsedMs(start) > PhaseLimitMs(dummyFrames)) return 0;
    DelayMs(1);
  }
  return 1;
}

int HardwareController::GetCRCImage(int board, int site, unsigned char* image, unsigned char* grab, int grabSize,
                                    int width, int lines, int crcType, int dummyFrames, int averageFrames,
                                    int* crcFail, int* secondFlag, bool siteLog, bool dialogLog) {
  if (secondFlag) *secondFlag = 0;
  if (crcFail) *crcFail = 0;
  if (!IsValidBoard(board) || !table_ || !image || !grab || width <= 0 || lines <= 0) return 0;
  const int copyLength = CrcCopyLength(crcType, width);
  const int stride = CrcLineStride(crcType, width);
  if (static_cast<std::int64_t>(stride) * lines > grabSize) {
    RunLog(site, true, dialogLog, "CRC grab buffer too small: %d lines of %d bytes need more than %d", lines, stride,
           grabSize);
    return 0;
  }
  const int average = averageFrames == 0 ? 1 : (averageFrames > 20 ? 20 : averageFrames);
  if (dummyFrames > 0 && GrabDummyFrames(board, site, grab, grabSize, dummyFrames, siteLog, dialogLog) != 1) return 0;

  FrameAverage sums(crcType, average > 1 ? grabSize : 0);
  int added = 0;
  const auto start = port::clock::Now();
  for (;;) {
    if (port::clock::ElapsedMs(start) > PhaseLimitMs(average)) {
      if (crcFail) *crcFail = 0;
      return 0;
    }
    if (GrabFrame(board, grab, grabSize) != 1) {
      DelayMs(1);
      continue;
    }
    ++capturedFrames;
    const auto checkStart = port::clock::Now();
    int hwFrames = 0;
    int swFrames = 0;
    const int passed = CheckLineCrc(site, grab, width, lines, crcType, &hwFrames, &swFrames, siteLog, dialogLog);
    RunLog(site, siteLog, dialogLog, "CRC time : %d", static_cast<int>(port::clock::ElapsedMs(checkStart)));
    RunLog(site, siteLog, dialogLog, "CRC_Result : %d", passed);
    if (!passed) {
      if (crcFail) *crcFail = 1;
      ++failedFrames;
    }
    RunLog(site, siteLog, dialogLog,
           "Capture Count : %d, CRC Fail count : %d (HW CRC Fail count : %d, SW CRC Fail count : %d",
           capturedFrames.load(), failedFrames.load(), hwFrames, swFrames);
    if (!passed) {
      DelayMs(1);
      continue;
    }
    if (average == 1) break;
    sums.Add(grab);
    if (++added == average) {
      sums.Store(grab, average);
      break;
    }
    RunLog(site, siteLog, dialogLog, "Capture Frame: %d ", added);
  }
  for (int k = 0; k < lines; ++k) {
    std::copy_n(grab + static_cast<std::size_t>(k) * stride, copyLength, image + static_cast<std::size_t>(k) * copyLength);
  }
  return 1;
}

}  // namespace hw
