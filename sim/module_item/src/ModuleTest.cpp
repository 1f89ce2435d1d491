#include "ModuleTest.h"

#include <algorithm>
#include <cstddef>

#include "EncapsulationTable.h"
#include "HardwareFunctionTable.h"
#include "LineCrc.h"
#include "QRV_InterFace_SW.h"
#include "QRV_PictureLimit.h"
#include "QRV_PlatformMemory.h"
#include "ResultCodes.h"
#include "port/text.h"

namespace module_item {
namespace {

constexpr int kDynamicRange = 0;
constexpr int kOsPolarityPositive = 1;
constexpr int kOsSourceDac = 1;
constexpr int kOsReleaseEach = 1;
constexpr int kOsSamples = 4;
constexpr int kOsSettleMs = 1;
constexpr int kBytesPerPixel = 3;

}  // namespace

ModuleTest::ModuleTest(const Platform& platform, const ModuleSettings& settings, int board, int site)
    : platform_(platform), settings_(settings), board_(board), site_(site) {}

void ModuleTest::Log(const std::string& text) const {
  if (platform_.record->SetLog != nullptr) platform_.record->SetLog(site_, "%s", text.c_str());
}

int ModuleTest::Run() {
  Log(port::Format("[ModuleTest] site %c on board %d", 'A' + site_, board_));
  board_api_ = platform_.hardware->GetPCI();
  if (board_api_ == nullptr) {
    Log("[ModuleTest] Fail : no board functions");
    return kNoPlatform;
  }
  const int powered = PowerUp();
  if (powered != kPass) {
    PowerDown();  // a half-powered module is switched off before the next one is loaded
    return powered;
  }
  int result = StartStream();
  if (result == kPass) result = GrabFrames();
  if (result == kPass) result = MeasureCurrents();
  if (result == kPass) result = TestOpenShort();
  const int down = PowerDown();
  return result != kPass ? result : down;
}

int ModuleTest::PowerUp() {
  HardwareFunctionTable& hw = *platform_.hardware;
  if (hw.PowerUpSequence(board_, site_, settings_.clockSelect) != 1) {
    Log("[ModuleTest] Fail : Power up");
    return kPowerUpFail;
  }
  if (hw.RegisterSet(board_, site_, settings_.registerKey) != 1) {
    Log("[ModuleTest] Fail : Register set " + settings_.registerKey);
    return kRegisterFail;
  }
  return kPass;
}

int ModuleTest::StartStream() {
  HardwareFunctionTable& hw = *platform_.hardware;
  width_ = hw.GetImageWidth();
  height_ = hw.GetImageHeight();
  bits_ = hw.GetDataFormat();
  // Within the picture limit a line's bytes fit an int.
  if (!QrvPictureFits(width_, height_) || (bits_ != 8 && bits_ != 10 && bits_ != 12)) {
    Log(port::Format("[ModuleTest] Fail : sensor size %d x %d, %d bits", width_, height_, bits_));
    return kStreamFail;
  }
  payload_ = PackedLineBytes(width_, bits_);
  if (board_api_->LVDS_SetResolution(board_, width_, height_) != 1 || board_api_->LVDS_Start(board_) != 1) {
    Log("[ModuleTest] Fail : stream start");
    return kStreamFail;
  }
  return kPass;
}

int ModuleTest::GrabOneFrame(std::vector<std::uint8_t>& frame) {
  if (platform_.hardware->GetImage(board_, frame.data(), static_cast<int>(frame.size())) != 1) {
    Log("[ModuleTest] Fail : no frame");
    return kGrabFail;
  }
  const std::vector<int> failing = FailingLines(frame.data(), height_, payload_);
  if (failing.empty()) return kPass;
  // Not one line ending in its CRC is no corrupted line: the sensor sends none.
  if (failing.size() == static_cast<std::size_t>(height_)) {
    Log(port::Format("[ModuleTest] Fail : the stream carries no line CRC trailer, none of its %d lines ends in its CRC",
                     height_));
    return kCrcFail;
  }
  std::string lines;
  for (const int line : failing) lines += port::Format(" %d", line);
  Log(port::Format("[ModuleTest] Fail : CRC of %zu lines:", failing.size()) + lines);
  return kCrcFail;
}

int ModuleTest::GrabFrames() {
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(CrcLineStride(payload_)) *
                                  static_cast<std::size_t>(height_));
  for (int n = 0; n < std::max(settings_.frames, 1); ++n) {
    const int result = GrabOneFrame(frame);
    if (result != kPass) return result;
  }
  Log(port::Format("[ModuleTest] %d frames, every line's CRC good", std::max(settings_.frames, 1)));
  DrawFrame(frame);
  return kPass;
}

void ModuleTest::DrawFrame(const std::vector<std::uint8_t>& frame) {
  CInterFace_SW& sw = *platform_.binder;
  const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  std::vector<std::uint8_t> packed(static_cast<std::size_t>(payload_) * static_cast<std::size_t>(height_));
  StripTrailers(frame.data(), height_, payload_, packed.data());
  std::vector<std::uint8_t> raw8;
  const std::uint8_t* samples = packed.data();
  if (bits_ != 8) {
    raw8.resize(pixels);
    if (bits_ == 10)
      sw.Convert_MIPIRaw10_To_Raw8(packed.data(), raw8.data(), width_, height_);
    else
      sw.Convert_MIPIRaw12_To_Raw8(packed.data(), raw8.data(), width_, height_);
    samples = raw8.data();
  }
  std::vector<std::uint8_t> bgr(pixels * kBytesPerPixel);
  sw.Convert_Raw8_To_Bmp(samples, bgr.data(), width_, height_, settings_.bayerOrder);
  sw.InDrawImage(site_, bgr.data(), width_, height_);
  sw.OutDrawImage(site_);
  if (!settings_.viewImageFolder.empty()) {
    const std::string file = settings_.viewImageFolder + port::Format("/Site_%c.jpg", 'A' + site_);
    if (sw.OnSaveImageDC(file.c_str(), site_) != 1) Log("[ModuleTest] View not saved to " + file);
  }
}

int ModuleTest::MeasureCurrents() {
  if (board_api_->CurrentMeasure_Start(board_, kDynamicRange) != 1) {
    Log("[ModuleTest] Fail : current range");
    return kCurrentMeasureFail;
  }
  int result = kPass;
  for (int channel = 0; channel < kSupplies && result != kCurrentMeasureFail; ++channel) {
    const CurrentLimit& limit = settings_.currents[static_cast<std::size_t>(channel)];
    if (!limit.on) continue;
    float ma = 0;
    if (board_api_->DynamicMeasure(board_, channel, 0, settings_.currentSamples, &ma) != 1) {
      Log(port::Format("[ModuleTest] Fail : current of supply %d not measured", channel + 1));
      result = kCurrentMeasureFail;
      break;
    }
    const bool inside = ma >= limit.minMa && ma <= limit.maxMa;
    Log(port::Format(inside ? "[ModuleTest] Supply %d : %.2f mA (%.2f ~ %.2f)"
                            : "[ModuleTest] Fail : supply %d draws %.2f mA, outside %.2f ~ %.2f",
                     channel + 1, ma, limit.minMa, limit.maxMa));
    if (!inside) result = kCurrentOutOfLimit;
  }
  board_api_->CurrentMeasure_End(board_);
  return result;
}

int ModuleTest::TestOpenShort() {
  if (settings_.osPins <= 0) return kPass;
  if (board_api_->OSTest_StartM(board_, kOsPolarityPositive, kOsSourceDac, kOsReleaseEach) != 1) {
    Log("[ModuleTest] Fail : open/short start");
    return kOpenShortMeasureFail;
  }
  int result = kPass;
  for (int pin = 1; pin <= settings_.osPins; ++pin) {
    float volts = 0;
    if (board_api_->OSTest_UnitPinM(board_, pin, settings_.osSourceVolts, kOsSamples, &volts, kOsSettleMs) != 1) {
      Log(port::Format("[ModuleTest] Fail : pin %d not measured", pin));
      result = kOpenShortMeasureFail;
      break;
    }
    if (volts >= settings_.osOpenVolts) {
      Log(port::Format("[ModuleTest] Fail : pin %d open, %.3f V", pin, volts));
      if (result == kPass) result = kOpenPin;
    } else if (volts <= settings_.osShortVolts) {
      Log(port::Format("[ModuleTest] Fail : pin %d short, %.3f V", pin, volts));
      if (result == kPass) result = kShortPin;
    }
  }
  board_api_->OSTest_End(board_);
  return result;
}

int ModuleTest::PowerDown() {
  if (board_api_->LVDS_Stop != nullptr) board_api_->LVDS_Stop(board_);
  if (platform_.hardware->PowerDownSequence(board_, site_) != 1) {
    Log("[ModuleTest] Fail : Power down");
    return kPowerDownFail;
  }
  return kPass;
}

}  // namespace module_item
