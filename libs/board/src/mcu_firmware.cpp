// Firmware downloads into the actuator controller's flash through its boot loader: 512-byte pages,
// each read back and compared before it is committed.
#include <algorithm>
#include <array>
#include <chrono>
#include <fstream>
#include <optional>
#include <vector>

#include "PCI_LX40.h"
#include "board_exports.h"
#include "board_state.h"
#include "mcu_frame.h"
#include "port/clock.h"
#include "port/path.h"

namespace board {
namespace {

constexpr size_t kPageBytes = 512;
// Far beyond any controller's flash; a larger file is not a firmware image.
constexpr size_t kMaxImageBytes = 4u << 20;
constexpr uint8_t kRegStart = 1, kRegAddress = 2, kRegData = 3, kRegReadBack = 4, kRegPageDone = 5, kRegFinish = 6;

using Frame6 = std::array<uint8_t, 6>;
constexpr Frame6 kPageDone = {0x16, 0x16, 0x16, 0x16, 0x58, 0x01};

std::optional<std::vector<uint8_t>> ReadImage(const char* path, size_t smallest) {
  if (!path) return std::nullopt;
  std::ifstream file(port::NormalizePath(path), std::ios::binary | std::ios::ate);
  if (!file) return std::nullopt;
  const std::streamoff size = file.tellg();
  if (size < static_cast<std::streamoff>(smallest) || size > static_cast<std::streamoff>(kMaxImageBytes)) return std::nullopt;
  std::vector<uint8_t> image(static_cast<size_t>(size));
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(image.data()), size)) return std::nullopt;
  return image;
}

Frame6 AddressFrame(uint32_t address, uint16_t length) {
  Frame6 frame{};
  PutBe32(frame.data(), address);
  PutBe16(frame.data() + 4, length);
  return frame;
}

// One page of the image: its bytes and the frame that addresses it in the controller's flash.
struct ImagePage {
  const uint8_t* data;
  size_t size;
  Frame6 address;
};

ImagePage PageAt(const std::vector<uint8_t>& image, size_t at, uint32_t base) {
  const size_t n = std::min(kPageBytes, image.size() - at);
  return {image.data() + at, n, AddressFrame(base + static_cast<uint32_t>(at), static_cast<uint16_t>(n))};
}

void SleepMs(int ms) { port::clock::Sleep(std::chrono::milliseconds(ms)); }

// The download whose controller answers at 0x60 and signals on the download-ready line.
class ReadyPinDownload {
 public:
  static constexpr uint8_t kSlave = 0x60;
  static constexpr uint32_t kBase = 0x08040000;

  ReadyPinDownload(int32_t board, const std::vector<uint8_t>& image) : board_(board), image_(image) {}

  int32_t Run() {
    VKL_SEN_ExtPower(board_, 1);
    SleepMs(10);
    VKL_I2C_MCU_Reset(board_);
    SleepMs(10);
    VKL_I2C_MCU_Set_Clock(board_, 4);
    PulseBoot(100, 100);
    if (!Start()) return 0;
    for (size_t at = 0; at < image_.size(); at += kPageBytes) {
      if (!Page(at)) return 0;
    }
    return WaitMcuReadyPin(board_) && Write(kRegFinish, kFinish.data(), 6) ? 1 : 0;
  }

 private:
  static constexpr Frame6 kStart = {0x15, 0x15, 0x15, 0x15, 0x55, 0xFA};
  static constexpr Frame6 kFinish = {0x17, 0x17, 0x17, 0x17, 0x03, 0x01};

  bool Write(uint8_t reg, const uint8_t* data, size_t length) {
    return VKL_I2C_MCU_Write(board_, kSlave, 1, reg, static_cast<int32_t>(length), data) == 1;
  }

  void PulseBoot(int lowMs, int highMs) {
    VKL_GPIOWrite_OS(board_, kMcuBootLine, 0);
    SleepMs(lowMs);
    VKL_GPIOWrite_OS(board_, kMcuBootLine, 1);
    SleepMs(highMs);
  }

  bool Start() {
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (!WaitMcuReadyPin(board_)) continue;
      if (Write(kRegStart, kStart.data(), 6)) {
        SleepMs(100);
        return true;
      }
      VKL_I2C_MCU_Reset(board_);
      SleepMs(50);
      VKL_I2C_MCU_Set_Clock(board_, 4);
      SleepMs(50);
      PulseBoot(100, 200);
    }
    return false;
  }

  // The read-back leads with one byte of its own: it must match the page shifted by one, the page's
  // last byte unseen.
  bool Page(size_t at) {
    const ImagePage page = PageAt(image_, at, kBase);
    std::vector<uint8_t> readBack(page.size, 0);
    if (!WaitMcuReadyPin(board_) || !Write(kRegAddress, page.address.data(), 6)) return false;
    if (!WaitMcuReadyPin(board_) || !Write(kRegData, page.data, page.size)) return false;
    if (!WaitMcuReadyPin(board_)) return false;
    const auto size = static_cast<int32_t>(page.size);
    if (VKL_I2C_MCU_Read2(board_, kSlave, 1, kRegReadBack, size, readBack.data()) != 1) return false;
    if (!std::equal(readBack.begin() + 1, readBack.end(), page.data)) return false;
    return WaitMcuReadyPin(board_) && Write(kRegPageDone, kPageDone.data(), 6);
  }

  int32_t board_;
  const std::vector<uint8_t>& image_;
};

// The download through the framed controller's own address, paced by its ready line.
class ReadyLineDownload {
 public:
  static constexpr uint8_t kSlave = 0xB0;
  static constexpr uint32_t kBase = 0x08020000;

  ReadyLineDownload(int32_t board, const std::vector<uint8_t>& image) : board_(board), image_(image) {}

  int32_t Run() {
    VKL_IOlevel_Set(board_, 1.85f);
    VKL_I2C_MCU_Reset(board_);
    SleepMs(10);
    VKL_I2C_MCU_Set_Clock(board_, 4);
    DriveMcuRequest(board_, 0);
    VKL_MCU_PWR_On_Off(board_, 1);
    EnterBoot([this] { SleepMs(10); });
    if (!Start()) return 0;
    for (size_t at = 0; at < image_.size(); at += kPageBytes) {
      if (!Page(at)) return 0;
    }
    if (!WaitMcuNotBusy(board_)) return Abort();
    return Write(kRegFinish, kFinish.data(), 6) ? 1 : 0;
  }

 private:
  static constexpr Frame6 kStart = {0x16, 0x16, 0x16, 0x16, 0x55, 0x01};
  static constexpr Frame6 kFinish = {0x16, 0x16, 0x16, 0x16, 0x03, 0x01};

  bool Write(uint8_t reg, const uint8_t* data, size_t length) {
    return PCI_I2C_MCU_Write(board_, kSlave, 1, reg, static_cast<int32_t>(length), data) == 1;
  }

  int32_t Abort() {
    VKL_MCU_NRST_Reset(board_);
    return 0;
  }

  template <typename LowWait>
  void EnterBoot(LowWait lowWait) {
    VKL_GPIOWrite_OS(board_, kMcuDownloadReadyLine, 0);
    VKL_GPIOWrite_OS(board_, kMcuBootLine, 0);
    lowWait();
    VKL_GPIOWrite_OS(board_, kMcuBootLine, 1);
    SleepMs(100);
    uint32_t level = 0;
    VKL_GPIORead_OS(board_, kMcuDownloadReadyLine, &level);
  }

  bool Start() {
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
      started = Write(kRegStart, kStart.data(), 6);
      if (!started) EnterBoot([] { pSleep(10); });
    }
    SleepMs(10);
    return started;
  }

  void WriteData(const uint8_t* page, size_t n) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (Write(kRegData, page, n)) return;
    }
  }

  // The read-back judges the page, so data writes that kept failing need no verdict of their own. A page
  // that reads back different ends the download: committing it, or skipping it and finishing, would leave
  // a corrupted flash reported as written.
  bool Page(size_t at) {
    const ImagePage page = PageAt(image_, at, kBase);
    std::vector<uint8_t> readBack(page.size, 0);
    if (!WaitMcuNotBusy(board_)) return Abort();
    if (!Write(kRegAddress, page.address.data(), 6)) return Abort();
    SleepMs(10);
    if (!WaitMcuNotBusy(board_)) return Abort();
    WriteData(page.data, page.size);
    if (!WaitMcuNotBusy(board_)) return false;
    const auto size = static_cast<int32_t>(page.size);
    if (PCI_I2C_MCU_Read(board_, kSlave, 1, kRegReadBack, size, readBack.data()) != 1) return Abort();
    if (!std::equal(readBack.begin(), readBack.end() - 1, page.data)) return Abort();
    return WaitMcuNotBusy(board_) && Write(kRegPageDone, kPageDone.data(), 6);
  }

  int32_t board_;
  const std::vector<uint8_t>& image_;
};

}  // namespace
}  // namespace board

int32_t VKL_MCU_Update(int32_t board, const char* path) {
  if (!board::IsBoardIndex(board)) return 0;
  const auto image = board::ReadImage(path, 513);
  return image ? board::ReadyPinDownload(board, *image).Run() : 0;
}

int32_t VKL_KOLU_MCU_FirmwareUpdate(int32_t board, const char* path) {
  if (!board::IsBoardIndex(board)) return 0;
  const auto image = board::ReadImage(path, 501);
  return image ? board::ReadyLineDownload(board, *image).Run() : 0;
}
