// Two threads publishing and looking up user memory while a third draws frames into the views.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "fake_record.h"
#include "port/surface.h"
#include "sw_exports.h"

namespace qrv::sw::test {
namespace {

TEST(LibraryThreads, RegistryAndDrawingRunSideBySide) {
  FakeRecord record;
  port::Surface window(64, 32, port::Surface::Format::Rgb32);
  record->m_hViewDC[0] = &window;
  record->m_rcView[0] = QrvRect{0, 0, 64, 32};
  Load_OnCreate(record.get());

  std::atomic<bool> stop{false};
  std::vector<int> blocks(64);
  auto publisher = [&](int first) {
    for (int round = 0; round < 200; ++round) {
      for (int i = first; i < 64; i += 2) {
        const std::string name = "block" + std::to_string(i % 8);
        SetUserMemory(&blocks[i], name.c_str());
        void* found = GetUserMemory(name.c_str());
        (void)found;
        GetUserMemory("OutDrawImage");
      }
    }
  };
  std::vector<std::uint8_t> frame(3 * 96 * 48, 77);
  std::atomic<int> drawn{0};
  std::thread drawer([&] {
    while (!stop.load()) {
      InDrawImage(0, frame.data(), drawn % 2 ? 96 : 48, 48);
      OutDrawImage(0);
      SetDrawPos(0, 1, 1);
      drawn.fetch_add(1);
    }
  });
  std::thread a(publisher, 0), b(publisher, 1);
  a.join();
  b.join();
  stop.store(true);
  drawer.join();

  EXPECT_GT(drawn.load(), 0);
  for (int k = 0; k < 8; ++k) EXPECT_NE(GetUserMemory(("block" + std::to_string(k)).c_str()), nullptr);
  Load_OnDelete(record.get());
  record->m_hViewDC[0] = nullptr;
}

}  // namespace
}  // namespace qrv::sw::test
