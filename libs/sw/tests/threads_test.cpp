// Two threads publishing and looking up user memory while a third draws frames into the views.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "bayer.h"
#include "fake_record.h"
#include "port/surface.h"
#include "raw_unpack.h"
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

// Sites converting large frames at once: they share the row helper, the pool of 8-bit frames and the
// Sensor.ini sizes, and each must still get exactly its own picture.
TEST(LibraryThreads, SitesConvertLargeFramesAtOnce) {
  FakeRecord record;
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_X", 1024);
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_Y", 512);
  Load_OnCreate(record.get());
  const int w = 1024, h = 512;
  std::vector<std::uint8_t> raw10(qrv::sw::MipiRaw10Stride(w) * h);
  for (std::size_t i = 0; i < raw10.size(); ++i) raw10[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
  std::vector<std::uint8_t> raw8(static_cast<std::size_t>(w) * h), expected(3 * raw8.size());
  Convert_MIPIRaw10_To_Raw8(raw10.data(), raw8.data(), w, h);
  qrv::bayer::DemosaicRows(raw8.data(), expected.data(), w, h, 1, 0, h);

  std::atomic<int> wrong{0};
  auto site = [&](int index) {
    std::vector<std::uint8_t> src = raw10, out(expected.size()), pixels(expected.size());
    for (int frame = 0; frame < 4; ++frame) {
      Convert_Image(2, 1, 10, src.data(), out.data(), w, h);
      wrong.fetch_add(out != expected);
      Convert_Image(8, 0, 8, expected.data(), pixels.data(), w, h);  // a copy at the Sensor.ini size
      wrong.fetch_add(pixels != expected);
      if (index == 0) FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_X", frame);
    }
  };
  std::vector<std::thread> sites;
  for (int i = 0; i < 4; ++i) sites.emplace_back(site, i);
  for (std::thread& t : sites) t.join();
  EXPECT_EQ(wrong.load(), 0);
  Load_OnDelete(record.get());
}

}  // namespace
}  // namespace qrv::sw::test
