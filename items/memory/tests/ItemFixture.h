#pragma once
// What the pool item is handed in a station: a platform record whose log lines are kept, a hardware table
// that reports a sensor size the test sets, and the image library's binder. Plus the widget application the
// item's settings window needs.
#include <QApplication>
#include <QWidget>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "HardwareFunctionTable.h"
#include "PlatformLoadlibrary.h"
#include "QRV_InterFace_SW.h"
#include "QRV_PlatformMemory.h"
#include "qrv_test/temp_dir.h"

// The sensor the fake hardware table reports, and how often the pool item asked.
struct FakeSensor {
  static inline std::atomic<int> width{640};
  static inline std::atomic<int> height{480};
  static inline std::atomic<int> bits{8};
  static inline std::atomic<int> sizeQueries{0};
  static inline std::atomic<int> lastSizeBits{-1};
  static inline std::atomic<int> lastSizeWidth{-1};
  static inline std::atomic<int> lastSizeHeight{-1};

  static void Set(int w, int h, int b);
  static HardwareFunctionTable Table();
};

class ItemFixture {
 public:
  ItemFixture();
  ~ItemFixture();

  static QApplication& App();
  static std::vector<std::string> LogLines();
  // Top-level windows titled "QRV Init".
  static std::vector<QWidget*> SpecWindows();

  ItemPlatform Platform() { return {binder.get(), &hardware, nullptr, record.get()}; }
  // Loads the built pool item from the station's Dll folder, the way the site panel does.
  int LoadPoolItem();
  int RunPoolItem(int site = 0) { return items.RunOnTest("InitMemoryItem.dll", 0, site, 0, 0); }

  qrv::test::TempDir dir;
  std::unique_ptr<CQRV_LoadMemory> record;
  std::unique_ptr<CInterFace_SW> binder;
  HardwareFunctionTable hardware;
  ItemLibraryMap items;
};
