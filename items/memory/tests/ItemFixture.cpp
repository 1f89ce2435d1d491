#include "ItemFixture.h"

#include <fstream>

#include "port/text.h"
#include "qrv_test/set_log_capture.h"

void FakeSensor::Set(int w, int h, int b) {
  width = w;
  height = h;
  bits = b;
  sizeQueries = 0;
  lastSizeBits = lastSizeWidth = lastSizeHeight = -1;
}

HardwareFunctionTable FakeSensor::Table() {
  HardwareFunctionTable table{};
  table.GetImageWidth = [] { return width.load(); };
  table.GetImageHeight = [] { return height.load(); };
  table.GetDataFormat = [] { return bits.load(); };
  table.GetImageSize = [](int dataBits, int w, int h) {
    ++sizeQueries;
    lastSizeBits = dataBits;
    lastSizeWidth = w;
    lastSizeHeight = h;
    return dataBits == 8 ? w * h : 2 * w * h;
  };
  return table;
}

ItemFixture::ItemFixture() : hardware(FakeSensor::Table()) {
  App();
  qrv::test::ClearCapturedSetLog();
  FakeSensor::Set(640, 480, 8);
  record = std::make_unique<CQRV_LoadMemory>(QRV_RIGUTIL_LIBRARY);
  record->SetLog = qrv::test::CaptureSetLog;
  port::CopyText(record->m_szModelPath, sizeof record->m_szModelPath, dir.path());
  std::ofstream(dir.File("Test.ini")) << "[APP]\nKEY=7\n";
  binder = std::make_unique<CInterFace_SW>(QRV_SW_LIBRARY);
}

ItemFixture::~ItemFixture() { items.UnloadAll(); }

QApplication& ItemFixture::App() {
  static QApplication* app = [] {
    static int argc = 1;
    static char name[] = "qrv_init_memory_item_test";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *app;
}

std::vector<std::string> ItemFixture::LogLines() {
  std::vector<std::string> lines;
  for (const qrv::test::SetLogLine& line : qrv::test::CapturedSetLog())
    lines.push_back(std::to_string(line.site) + " " + line.text);
  return lines;
}

std::vector<QWidget*> ItemFixture::SpecWindows() {
  std::vector<QWidget*> windows;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->windowTitle() == "QRV Init") windows.push_back(widget);
  return windows;
}

int ItemFixture::LoadPoolItem() { return items.Load("InitMemoryItem.dll", "DLL", QRV_STATION_ROOT, Platform()); }
