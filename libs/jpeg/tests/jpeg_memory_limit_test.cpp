// Damaged JPEGs whose headers claim huge pictures, decoded in child processes limited to 2 GB of address
// space: each call must give 0 (an exception reaching the caller aborts the child) and must not have taken
// the memory the header asked for (the child's peak resident size stays small). A picture at the pixel limit
// costs its B, G, R bytes and no more, whatever its channel count.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "QRV_JpegLib.h"
#include "jpeg_test_pictures.h"
#include "turbo_codec.h"

namespace {

using qrv::jpeg::test::JpegClaiming;

constexpr rlim_t kAddressSpace = rlim_t{2} << 30;
constexpr long kMaxPeakKiB = 96 * 1024;
// What the header promises for a picture at the pixel limit: its three bytes a pixel.
constexpr long kLimitPictureKiB = static_cast<long>(kQrvJpegMaxPixels * 3 / 1024);

struct ChildRun {
  bool exited = false;
  int status = -1;
  long peakKiB = 0;
};

// Runs `call` in a child under the address-space limit; the child's exit status is the call's result. As in
// a C caller, an exception that leaves the call ends the child (std::terminate).
ChildRun RunLimited(const std::function<int()>& call) {
  const pid_t pid = fork();
  if (pid == 0) {
    const rlimit limit{kAddressSpace, kAddressSpace};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(100);
    _exit([&]() noexcept { return call(); }());
  }
  ChildRun run;
  int status = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return run;
  run.exited = WIFEXITED(status);
  run.status = run.exited ? WEXITSTATUS(status) : -WTERMSIG(status);
  run.peakKiB = usage.ru_maxrss;
  return run;
}

class TempFile {
 public:
  explicit TempFile(const std::vector<unsigned char>& bytes = {})
      : path_(std::filesystem::temp_directory_path() / ("qrv_jpeg_limit_" + std::to_string(getpid()) + ".jpg")) {
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() { std::filesystem::remove(path_); }
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

struct FileCase {
  const char* what;
  int width;
  int height;
};

class HugeHeaderFile : public testing::TestWithParam<FileCase> {};

// 65000 x 65000 asks for 12.7 GB and cannot be had at all; 20000 x 15000 (900 MB) could be had and would be
// filled, but lies beyond the picture limit.
TEST_P(HugeHeaderFile, IsRefusedWithoutTakingItsMemory) {
  const TempFile file(JpegClaiming(GetParam().width, GetParam().height));
  const ChildRun run = RunLimited([&] {
    std::vector<unsigned char> destination(16 * 16 * 3);
    int width = 0;
    int height = 0;
    return QRV_LoadjpegFile_NEW(file.Path().c_str(), destination.data(), &width, &height);
  });
  ASSERT_TRUE(run.exited) << GetParam().what << ": the child died of signal " << -run.status;
  EXPECT_EQ(run.status, 0) << GetParam().what;
  EXPECT_LT(run.peakKiB, kMaxPeakKiB) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Headers, HugeHeaderFile,
                         testing::Values(FileCase{"65000 x 65000", 65000, 65000},
                                         FileCase{"20000 x 15000", 20000, 15000}),
                         [](const auto& info) { return std::to_string(info.param.width) + "x" +
                                                       std::to_string(info.param.height); });

// A header within the limit (12000 x 10000, 360 MB) that differs from the caller's size is refused before the
// picture is decoded.
TEST(HugeHeaderBuffer, DifferentFromTheCallersSizeIsRefusedBeforeDecoding) {
  const std::vector<unsigned char> jpeg = JpegClaiming(12000, 10000);
  const ChildRun run = RunLimited([&] {
    std::vector<unsigned char> block(sizeof(QrvBitmapInfoHeader) + 16 * 16 * 3);
    auto* header = reinterpret_cast<QrvBitmapInfoHeader*>(block.data());
    return QRV_LoadjpegBuffer_NEW(jpeg.data(), header, static_cast<int>(jpeg.size()), 16, 16);
  });
  ASSERT_TRUE(run.exited) << "the child died of signal " << -run.status;
  EXPECT_EQ(run.status, 0);
  EXPECT_LT(run.peakKiB, kMaxPeakKiB);
}

// The limit leaves ordinary pictures alone.
TEST(HugeHeaderFile, AnOrdinaryPictureStillDecodesUnderTheLimit) {
  const TempFile file(qrv::jpeg::test::MakeJpeg(std::vector<unsigned char>(64 * 48 * 3, 90), 64, 48, TJPF_BGR,
                                                TJSAMP_420));
  const ChildRun run = RunLimited([&] {
    std::vector<unsigned char> destination(64 * 48 * 3);
    int width = 0;
    int height = 0;
    const int loaded = QRV_LoadjpegFile_NEW(file.Path().c_str(), destination.data(), &width, &height);
    return loaded == 1 && width == 64 && height == 48 ? 1 : 0;
  });
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 1);
}

// The fuzzer's case: a few bytes of four-channel data whose header claims the largest picture allowed.
TEST(FourChannelAtThePixelLimit, ShortDataIsRefusedWithinTheStatedCost) {
  const TempFile file(JpegClaiming(16384, 8192, TJPF_CMYK));
  const ChildRun run = RunLimited([&] {
    std::vector<unsigned char> destination(16 * 16 * 3);
    int width = 0;
    int height = 0;
    return QRV_LoadjpegFile_NEW(file.Path().c_str(), destination.data(), &width, &height);
  });
  ASSERT_TRUE(run.exited) << "the child died of signal " << -run.status;
  EXPECT_EQ(run.status, 0);
  EXPECT_LT(run.peakKiB, kLimitPictureKiB + kMaxPeakKiB);
}

// A whole four-channel picture at the limit, its top half one colour and its bottom half another, decodes
// bottom row first.
TEST(FourChannelAtThePixelLimit, WholePictureDecodesWithinTheStatedCost) {
  constexpr int kWidth = 16384;
  constexpr int kHeight = 8192;
  const TempFile file;
  // Its 512 MiB of source pixels are made in a child of their own: a forked child starts from its parent's peak.
  const ChildRun made = RunLimited([&] {
    std::vector<unsigned char> cmyk(static_cast<std::size_t>(kWidth) * kHeight * 4);
    const auto paint = [&](std::size_t from, std::size_t to, unsigned bytes) {
      for (std::size_t at = from; at < to; at += 4) {
        cmyk[at] = static_cast<unsigned char>(bytes >> 16);
        cmyk[at + 1] = static_cast<unsigned char>(bytes >> 8);
        cmyk[at + 2] = static_cast<unsigned char>(bytes);
        cmyk[at + 3] = 255;
      }
    };
    paint(0, cmyk.size() / 2, 0x32C8FF);
    paint(cmyk.size() / 2, cmyk.size(), 0xC85032);
    const std::vector<unsigned char> jpeg = qrv::jpeg::test::MakeJpeg(cmyk, kWidth, kHeight, TJPF_CMYK, TJSAMP_444);
    std::ofstream(file.Path(), std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
    return 1;
  });
  ASSERT_EQ(made.status, 1) << "the picture could not be made";

  const ChildRun run = RunLimited([&] {
    std::ifstream in(file.Path(), std::ios::binary);
    const std::vector<unsigned char> jpeg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    qrv::jpeg::BgrPicture picture;
    if (!qrv::jpeg::DecodeBgr(jpeg.data(), jpeg.size(), qrv::jpeg::RowOrder::BottomUp, picture)) return 2;
    if (picture.width != kWidth || picture.height != kHeight) return 3;
    // Premultiplied by an opaque alpha, (b0, b1, b2) comes as B, G, R = (b2, b1, b0) less one.
    const auto near = [](const unsigned char* bgr, unsigned b, unsigned g, unsigned r) {
      return std::abs(bgr[0] - static_cast<int>(b)) <= 3 && std::abs(bgr[1] - static_cast<int>(g)) <= 3 &&
             std::abs(bgr[2] - static_cast<int>(r)) <= 3;
    };
    const unsigned char* first = picture.bgr.data();
    const unsigned char* last = picture.bgr.data() + picture.bgr.size() - 3;
    return near(first, 0x31, 0x4F, 0xC7) && near(last, 0xFE, 0xC7, 0x31) ? 1 : 4;
  });
  ASSERT_TRUE(run.exited) << "the child died of signal " << -run.status;
  EXPECT_EQ(run.status, 1) << "2: not decoded, 3: another size, 4: other pixels or rows in another order";
  EXPECT_LT(run.peakKiB, kLimitPictureKiB + kMaxPeakKiB);
}

}  // namespace
