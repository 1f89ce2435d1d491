#pragma once
// The image library's one state object, created by Load_OnCreate and destroyed by Load_OnDelete; every entry
// point reaches it through Instance(). It also owns the "Software Spec" window when a GUI application runs.
#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "QRV_PlatformMemory.h"
#include "capture_buffer.h"
#include "scratch_pool.h"
#include "sensor_settings.h"
#include "view_surfaces.h"

class CSoftwareDlg;

namespace qrv::sw {

class SoftwareLibrary {
 public:
  explicit SoftwareLibrary(CQRV_LoadMemory* record);
  ~SoftwareLibrary();
  SoftwareLibrary(const SoftwareLibrary&) = delete;
  SoftwareLibrary& operator=(const SoftwareLibrary&) = delete;

  // Null outside Load_OnCreate .. Load_OnDelete.
  static SoftwareLibrary* Instance();
  static void Create(CQRV_LoadMemory* record);
  static void Destroy();

  CQRV_LoadMemory* Record() const { return record_; }
  ViewSurfaces& Views() { return views_; }
  CaptureBuffer& Capture() { return capture_; }

  // Sensor.ini through the record's utility functions; the default when they are missing.
  int SensorInt(const char* section, const char* key, int defaultValue) const;
  void WriteSensorInt(const char* section, const char* key, int value) const;

  // Re-reads [OPTION] TEST_IMAGE_SAVE and [IMAGE] OUT_DRAW_TYPE and publishes the out-draw flags.
  void LoadOptions();
  void SaveOptions();
  int TestingImageSave() const { return testingImageSave_.load(); }
  void SetTestingImageSave(int on) { testingImageSave_.store(on ? 1 : 0); }
  int StretchMode() const { return views_.StretchMode(); }
  // The label of the out-draw type as the window shows it.
  std::string OutDrawTypeText() const;

  void ShowSpecDialog();
  // The pixel inspector's report of the frame pixel under the cursor of a view; UI thread.
  void ShowPixelColor(int view, int x, int y);
  int Shown() const { return shown_.load(); }
  void SetShown(int shown) { shown_.store(shown); }

  void SetFullView(int on, int view) {
    fullView_[0].store(on);
    fullView_[1].store(view);
  }

  // The frame and capture sizes of Sensor.ini.
  SensorFrameSettings FrameSettings() const { return ReadSensorFrameSettings(record_); }
  ScratchPool& Scratch() { return scratch_; }

  void OnCreateCaptureBuffer();
  // The dispatcher's copy of its result: bounded by the buffer, by the capture size of Sensor.ini and by the
  // bytes it produced.
  void CopyToCapture(const std::uint8_t* frame, std::size_t frameBytes, const SensorFrameSettings& settings);

  // A line in the site log through the record's SetLog (site 0).
  void Log(const char* text) const;

 private:
  CQRV_LoadMemory* record_;
  ViewSurfaces views_;
  CaptureBuffer capture_;
  ScratchPool scratch_;
  std::atomic<int> testingImageSave_{0};
  std::atomic<int> outDrawTypeKnown_{0};
  std::atomic<int> shown_{0};
  std::array<std::atomic<int>, 2> fullView_{};
  std::unique_ptr<CSoftwareDlg> window_;
};

}  // namespace qrv::sw
