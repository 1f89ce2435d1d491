#include "software_library.h"

#include <QApplication>

#include <algorithm>
#include <mutex>

#include "QRV_PictureLimit.h"
#include "port/text.h"
#include "screen_rgb_dlg.h"
#include "software_dlg.h"
#include "user_memory.h"

namespace qrv::sw {
namespace {

std::atomic<SoftwareLibrary*> g_instance{nullptr};
std::mutex g_lifecycle;

bool HasWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

}  // namespace

SoftwareLibrary::SoftwareLibrary(CQRV_LoadMemory* record) : record_(record), views_(record) {
  // The window exists only in a widget application; the library works the same without it.
  if (HasWidgets()) window_ = std::make_unique<CSoftwareDlg>(*this);
  LoadOptions();
}

SoftwareLibrary::~SoftwareLibrary() {
  window_.reset();
  UserMemoryRegistry::Instance().Clear();
  capture_.Delete();
}

SoftwareLibrary* SoftwareLibrary::Instance() { return g_instance.load(); }

void SoftwareLibrary::Create(CQRV_LoadMemory* record) {
  const std::lock_guard lock(g_lifecycle);
  std::unique_ptr<SoftwareLibrary> old(g_instance.exchange(nullptr));
  old.reset();
  g_instance.store(new SoftwareLibrary(record));
}

void SoftwareLibrary::Destroy() {
  const std::lock_guard lock(g_lifecycle);
  std::unique_ptr<SoftwareLibrary> old(g_instance.exchange(nullptr));
}

int SoftwareLibrary::SensorInt(const char* section, const char* key, int defaultValue) const {
  if (!record_ || !record_->IniRead_Int) return defaultValue;
  return record_->IniRead_Int(section, key, defaultValue, record_->m_szSensorPath);
}

void SoftwareLibrary::WriteSensorInt(const char* section, const char* key, int value) const {
  if (record_ && record_->IniWrite_Int) record_->IniWrite_Int(section, key, value, record_->m_szSensorPath);
}

void SoftwareLibrary::LoadOptions() {
  SetTestingImageSave(SensorInt("OPTION", "TEST_IMAGE_SAVE", 0));
  const int outDrawType = SensorInt("IMAGE", "OUT_DRAW_TYPE", 0);
  if (outDrawType == 0 || outDrawType == 1) {
    views_.SetStretchMode(outDrawType == 0 ? kStretchHalftone : kStretchColorOnColor);
    outDrawTypeKnown_.store(1);
  }
  UserMemoryRegistry::Instance().Set(views_.OutDrawFlags(), "OutDrawImage");
  views_.SetAllOutDraw(views_.StretchMode() != kStretchHalftone ? 1 : 0);
  if (window_) window_->ShowOptions();
}

void SoftwareLibrary::SaveOptions() { WriteSensorInt("OPTION", "TEST_IMAGE_SAVE", TestingImageSave()); }

std::string SoftwareLibrary::OutDrawTypeText() const {
  if (!outDrawTypeKnown_.load()) return "Out Draw Type";
  return views_.StretchMode() == kStretchHalftone ? "Out Draw Type : HALFTONE" : "Out Draw Type : COLORONCOLOR";
}

void SoftwareLibrary::ShowSpecDialog() {
  shown_.store(1);
  LoadOptions();
  if (window_) window_->BringForward();
}

void SoftwareLibrary::ShowPixelColor(int view, int x, int y) {
  if (window_) window_->Inspector()->ShowPixelColor(view, x, y);
}

void SoftwareLibrary::OnCreateCaptureBuffer() {
  const int x = SensorInt("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_X", 0);
  const int y = SensorInt("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_Y", 0);
  if (!QrvPictureFits(x, y)) {
    // No size gives the empty buffer, and so does a size beyond the picture limit, which is said.
    if (x > 0 && y > 0)
      Log(port::Format("OnCreateCaptureBuffer: buffer %dx%d of Sensor.ini exceeds the picture limit", x, y).c_str());
    capture_.Create(0);
    return;
  }
  capture_.Create(static_cast<std::size_t>(x) * static_cast<std::size_t>(y) * 3);
}

void SoftwareLibrary::CopyToCapture(const std::uint8_t* frame, std::size_t frameBytes,
                                    const SensorFrameSettings& settings) {
  if (!capture_.Data()) return;
  const int x = settings.bufferX, y = settings.bufferY;
  if (x <= 0 || y <= 0) return;
  const std::size_t wanted = static_cast<std::size_t>(x) * static_cast<std::size_t>(y) * 3;
  capture_.CopyFrom(frame, std::min(wanted, frameBytes));
}

void SoftwareLibrary::Log(const char* text) const {
  if (record_ && record_->SetLog) record_->SetLog(0, "%s", text);
}

}  // namespace qrv::sw
