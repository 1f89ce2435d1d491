#include "ItemFixture.h"

#include <cstdarg>
#include <fstream>

#include "port/text.h"

namespace {

std::mutex g_logLock;
std::vector<std::string> g_log;

void CaptureLog(int site, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = port::FormatV(format, args);
  va_end(args);
  std::lock_guard lock(g_logLock);
  g_log.push_back(std::to_string(site) + " " + text);
}

}  // namespace

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
  {
    std::lock_guard lock(g_logLock);
    g_log.clear();
  }
  FakeSensor::Set(640, 480, 8);
  record = std::make_unique<CQRV_LoadMemory>(QRV_RIGUTIL_LIBRARY);
  record->SetLog = CaptureLog;
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
  std::lock_guard lock(g_logLock);
  return g_log;
}

std::vector<QWidget*> ItemFixture::SpecWindows() {
  std::vector<QWidget*> windows;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->windowTitle() == "QRV Init") windows.push_back(widget);
  return windows;
}

int ItemFixture::LoadPoolItem() { return items.Load("InitMemoryItem.dll", "DLL", QRV_STATION_ROOT, Platform()); }
