#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "mcu_fixture.h"

namespace {

struct Variant {
  const char* name;
  int (*update)(int32_t, const char*);
  int address8;
  uint32_t base;
  size_t smallest;
};

const Variant kVariants[] = {
    {"download-ready line", [](int32_t b, const char* p) { return VKL_MCU_Update(b, p); }, 0x60, 0x08040000, 513},
    {"ready line", [](int32_t b, const char* p) { return VKL_KOLU_MCU_FirmwareUpdate(b, p); }, 0xB0, 0x08020000, 501},
};

class McuFirmware : public BoardApi {
 protected:
  void SetUp() override {
    BoardApi::SetUp();
    folder_ = std::filesystem::temp_directory_path() / ("mcu_fw_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    BoardApi::TearDown();
  }

  std::string Image(size_t size, std::vector<uint8_t>* bytes = nullptr) {
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 13 + i / 256);
    const auto path = folder_ / ("image_" + std::to_string(size) + ".bin");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(size));
    if (bytes) *bytes = image;
    return path.string();
  }

  static std::vector<uint8_t> Flash(int address8) {
    std::vector<uint8_t> flash(static_cast<size_t>(VelkaraSim_McuFlash(0, address8, nullptr, 0)));
    VelkaraSim_McuFlash(0, address8, flash.data(), static_cast<int>(flash.size()));
    return flash;
  }

  static std::vector<std::vector<uint8_t>> AddressFrames(int address8) {
    std::vector<std::vector<uint8_t>> frames;
    for (const VelkaraSimEvent& e : Events(kSimEventI2cWrite, kSimBusMcu)) {
      if (e.address == address8 >> 1 && e.length == 7 && e.data[0] == 2) frames.emplace_back(e.data + 1, e.data + 7);
    }
    return frames;
  }

  std::filesystem::path folder_;
};

}  // namespace

TEST_F(McuFirmware, PagesAreWrittenAndReadBack) {
  for (const Variant& v : kVariants) {
    for (size_t size : {v.smallest, size_t{1500}}) {
      VelkaraSim_ClearEvents();
      std::vector<uint8_t> image;
      const std::string path = Image(size, &image);
      ASSERT_EQ(v.update(0, path.c_str()), 1) << v.name << " " << size;
      EXPECT_EQ(Flash(v.address8), image) << v.name;
      EXPECT_EQ(VelkaraSim_McuBootFinished(0, v.address8), 1);
      const auto frames = AddressFrames(v.address8);
      ASSERT_EQ(frames.size(), (size + 511) / 512);
      const uint32_t last = v.base + static_cast<uint32_t>(frames.size() - 1) * 512;
      const size_t lastLength = size - (frames.size() - 1) * 512;
      EXPECT_EQ(frames.back(), (std::vector<uint8_t>{static_cast<uint8_t>(last >> 24), static_cast<uint8_t>(last >> 16),
                                                     static_cast<uint8_t>(last >> 8), static_cast<uint8_t>(last),
                                                     static_cast<uint8_t>(lastLength >> 8), static_cast<uint8_t>(lastLength)}));
    }
  }
}

TEST_F(McuFirmware, SmallestImagesGoToTheirBase) {
  Image(501);
  ASSERT_EQ(VKL_KOLU_MCU_FirmwareUpdate(0, (folder_ / "image_501.bin").c_str()), 1);
  EXPECT_EQ(AddressFrames(0xB0).front(), (std::vector<uint8_t>{0x08, 0x02, 0x00, 0x00, 0x01, 0xF5}));
  Image(513);
  ASSERT_EQ(VKL_MCU_Update(0, (folder_ / "image_513.bin").c_str()), 1);
  EXPECT_EQ(AddressFrames(0x60).back(), (std::vector<uint8_t>{0x08, 0x04, 0x02, 0x00, 0x00, 0x01}));
}

TEST_F(McuFirmware, PageThatReadsBackWrongIsReported) {
  for (const Variant& v : kVariants) {
    VelkaraSim_SetMcuBadPage(0, 1, 3);
    std::vector<uint8_t> image;
    const std::string path = Image(1500, &image);
    EXPECT_EQ(v.update(0, path.c_str()), 0) << v.name;
    // Page 0 was committed, page 1 never was, and nothing was finished.
    EXPECT_EQ(Flash(v.address8), std::vector<uint8_t>(image.begin(), image.begin() + 512)) << v.name;
    EXPECT_EQ(VelkaraSim_McuBootFinished(0, v.address8), 0);
    EXPECT_EQ(AddressFrames(v.address8).size(), 2u);
  }
}

TEST_F(McuFirmware, BadPageSwitchHitsTheFirstPage) {
  VelkaraSim_SetFaults("mcu_bad_page");
  const std::string path = Image(600);
  EXPECT_EQ(VKL_KOLU_MCU_FirmwareUpdate(0, path.c_str()), 0);
  EXPECT_TRUE(Flash(0xB0).empty());
}

TEST_F(McuFirmware, MissingOrSmallFilesSendNothing) {
  const int before = VelkaraSim_CommandCount(0);
  for (const Variant& v : kVariants) {
    EXPECT_EQ(v.update(0, (folder_ / "missing.bin").c_str()), 0);
    EXPECT_EQ(v.update(0, Image(v.smallest - 1).c_str()), 0);
    EXPECT_EQ(v.update(0, nullptr), 0);
    EXPECT_EQ(v.update(7, Image(v.smallest).c_str()), 0);
  }
  EXPECT_EQ(VelkaraSim_CommandCount(0), before);
}

TEST_F(McuFirmware, NoHandshakeEndsWithoutHanging) {
  VelkaraSim_SetFault(0, "mcu_no_handshake", 1);
  const std::string path = Image(1024);
  for (const Variant& v : kVariants) {
    const auto start = port::clock::Now();
    EXPECT_EQ(v.update(0, path.c_str()), 0) << v.name;
    EXPECT_LT(port::clock::ElapsedMs(start), 60000);
  }
  EXPECT_TRUE(Flash(0x60).empty());
  EXPECT_TRUE(Flash(0xB0).empty());
}
