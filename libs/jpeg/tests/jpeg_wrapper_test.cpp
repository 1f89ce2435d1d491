// Pictures through the JPEG wrapper and back: a smooth 24-bit picture comes back within a small error,
// through a file and through memory; damaged input is refused with the failure result.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "QRV_JpegLib.h"
#include "jpeg_test_pictures.h"
#include "qrv_test/temp_dir.h"

namespace {

// JPEG at quality 75 with 4:2:0 chroma keeps a smooth picture within these bounds per channel.
constexpr double kMeanError = 3.0;
constexpr int kMaxError = 24;

constexpr int kWidth = 50;  // rows of 150 bytes: padded to 152 in a bitmap
constexpr int kHeight = 30;
constexpr std::size_t kPitch = (kWidth * 3 + 3) / 4 * 4;

// Byte `channel` of the pixel at (x, y), y counted from the top: gradients, distinct per channel.
unsigned char Sample(int x, int y, int channel) {
  switch (channel) {
    case 0: return static_cast<unsigned char>(40 + 3 * x);
    case 1: return static_cast<unsigned char>(30 + 5 * y);
    default: return static_cast<unsigned char>(60 + 2 * x + 2 * y);
  }
}

// Rows of `pitch` bytes holding channel order `order` (indices into Sample), top row first or last.
std::vector<unsigned char> Picture(std::size_t pitch, const int (&order)[3], bool bottomUp) {
  std::vector<unsigned char> rows(pitch * kHeight, 0);
  for (int y = 0; y < kHeight; ++y) {
    unsigned char* row = rows.data() + (bottomUp ? kHeight - 1 - y : y) * pitch;
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < 3; ++c) row[x * 3 + c] = Sample(x, y, order[c]);
    }
  }
  return rows;
}

struct Error {
  double mean = 0;
  int max = 0;
};

Error Compare(const unsigned char* got, const std::vector<unsigned char>& expected) {
  Error error;
  long sum = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const int d = std::abs(static_cast<int>(got[i]) - expected[i]);
    sum += d;
    error.max = std::max(error.max, d);
  }
  error.mean = static_cast<double>(sum) / static_cast<double>(expected.size());
  return error;
}

constexpr int kBgr[3] = {0, 1, 2};
constexpr int kRgb[3] = {2, 1, 0};

// The writer takes the top row first; the reader gives a frame whose last picture row comes first.
TEST(JpegWrapper, FileRoundTripGivesTheRowsReversed) {
  const qrv::test::TempDir dir;
  const std::string file = dir.File("picture.jpg");
  const std::vector<unsigned char> bitmap = Picture(kPitch, kBgr, false);
  ASSERT_EQ(SaveAsJPEG(file.c_str(), bitmap.data(), kWidth, kHeight), 1);

  std::vector<unsigned char> loaded(kWidth * kHeight * 3);
  int width = 0;
  int height = 0;
  ASSERT_EQ(QRV_LoadjpegFile_NEW(file.c_str(), loaded.data(), &width, &height), 1);
  EXPECT_EQ(width, kWidth);
  EXPECT_EQ(height, kHeight);
  const Error error = Compare(loaded.data(), Picture(kWidth * 3, kBgr, true));
  EXPECT_LT(error.mean, kMeanError);
  EXPECT_LE(error.max, kMaxError);
}

// The bitmap encoder reads a standard bottom-up bitmap (positive height) of R, G, B bytes.
TEST(JpegWrapper, MemoryRoundTripGivesAPackedBottomUpBitmap) {
  QrvBitmapInfoHeader source{};
  source.biSize = 40;
  source.biWidth = kWidth;
  source.biHeight = kHeight;
  source.biPlanes = 1;
  source.biBitCount = 24;
  const std::vector<unsigned char> rgb = Picture(kPitch, kRgb, true);
  std::vector<unsigned char> jpeg(kWidth * kHeight * 3);
  const int size = QRV_LoadBMPBuffer_bmpTojpg(&source, rgb.data(), jpeg.data());
  ASSERT_GT(size, 0);

  std::vector<unsigned char> packed(sizeof(QrvBitmapInfoHeader) + kWidth * kHeight * 3);
  auto* header = reinterpret_cast<QrvBitmapInfoHeader*>(packed.data());
  ASSERT_EQ(QRV_LoadjpegBuffer_NEW(jpeg.data(), header, size, kWidth, kHeight), 1);
  EXPECT_EQ(header->biSize, 40u);
  EXPECT_EQ(header->biWidth, kWidth);
  EXPECT_EQ(header->biHeight, kHeight);
  EXPECT_EQ(header->biBitCount, 24);
  EXPECT_EQ(header->biSizeImage, static_cast<std::uint32_t>(kWidth * kHeight * 3));
  const Error error = Compare(packed.data() + sizeof(QrvBitmapInfoHeader), Picture(kWidth * 3, kBgr, true));
  EXPECT_LT(error.mean, kMeanError);
  EXPECT_LE(error.max, kMaxError);
}

TEST(JpegWrapper, TruncatedJpegIsRefusedAndChangesNothing) {
  const qrv::test::TempDir dir;
  const std::string whole = dir.File("whole.jpg");
  const std::vector<unsigned char> bitmap = Picture(kPitch, kBgr, false);
  ASSERT_EQ(SaveAsJPEG(whole.c_str(), bitmap.data(), kWidth, kHeight), 1);
  std::ifstream in(whole, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bytes.resize(bytes.size() / 2);
  const std::string cut = dir.File("cut.jpg");
  std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));

  std::vector<unsigned char> loaded(kWidth * kHeight * 3);
  int width = -7;
  int height = -9;
  EXPECT_EQ(QRV_LoadjpegFile_NEW(cut.c_str(), loaded.data(), &width, &height), 0);
  EXPECT_EQ(width, -7);
  EXPECT_EQ(height, -9);

  std::vector<unsigned char> packed(sizeof(QrvBitmapInfoHeader) + loaded.size());
  auto* header = reinterpret_cast<QrvBitmapInfoHeader*>(packed.data());
  EXPECT_EQ(QRV_LoadjpegBuffer_NEW(bytes.data(), header, static_cast<int>(bytes.size()), kWidth, kHeight), 0);
}

TEST(JpegWrapper, RefusesWhatDoesNotFit) {
  const qrv::test::TempDir dir;
  int width = 1;
  int height = 1;
  unsigned char pixel[3] = {};
  EXPECT_EQ(QRV_LoadjpegFile_NEW(dir.File("missing.jpg").c_str(), pixel, &width, &height), 0);
  EXPECT_EQ(width, 1);

  // A JPEG of another size than the caller's would overrun the bitmap behind the header.
  const std::string file = dir.File("picture.jpg");
  const std::vector<unsigned char> bitmap = Picture(kPitch, kBgr, false);
  ASSERT_EQ(SaveAsJPEG(file.c_str(), bitmap.data(), kWidth, kHeight), 1);
  std::ifstream in(file, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<unsigned char> packed(sizeof(QrvBitmapInfoHeader) + kWidth * kHeight * 3);
  auto* header = reinterpret_cast<QrvBitmapInfoHeader*>(packed.data());
  EXPECT_EQ(QRV_LoadjpegBuffer_NEW(bytes.data(), header, static_cast<int>(bytes.size()), kWidth, kHeight - 1), 0);

  // An output buffer the size of a 2 x 2 picture cannot take its JPEG; other bit counts write nothing.
  QrvBitmapInfoHeader tiny{40, 2, 2, 1, 24, 0, 0, 0, 0, 0, 0};
  unsigned char rgb[16] = {};
  std::vector<unsigned char> out(12, 0xAB);
  EXPECT_EQ(QRV_LoadBMPBuffer_bmpTojpg(&tiny, rgb, out.data()), 0);
  EXPECT_EQ(out, std::vector<unsigned char>(12, 0xAB));
  tiny.biBitCount = 32;
  EXPECT_EQ(QRV_LoadBMPBuffer_bmpTojpg(&tiny, rgb, out.data()), 0);

  EXPECT_EQ(SaveAsJPEG(dir.File("no/such/folder/x.jpg").c_str(), bitmap.data(), kWidth, kHeight), 0);
}

void WriteBytes(const std::string& file, const std::vector<unsigned char>& bytes) {
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct SourceCase {
  const char* what;
  int format;      // TurboJPEG pixel format of the source bytes
  int sampling;
  unsigned char source[4];
  unsigned char bgr[3];  // what the reader delivers for every pixel
};

// Grey pictures come as grey B, G, R pixels; four-channel pictures as R, G, B and alpha premultiplied by the
// alpha (the first and third byte swap places while being multiplied by the fourth).
class JpegChannels : public testing::TestWithParam<SourceCase> {};

TEST_P(JpegChannels, DecodeToThreeBytesAPixel) {
  const SourceCase& c = GetParam();
  constexpr int kW = 7;
  constexpr int kH = 5;
  const int bytesPerPixel = tjPixelSize[c.format];
  std::vector<unsigned char> pixels(kW * kH * bytesPerPixel);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = c.source[i % bytesPerPixel];
  const qrv::test::TempDir dir;
  const std::string file = dir.File("source.jpg");
  WriteBytes(file, qrv::jpeg::test::MakeJpeg(pixels, kW, kH, c.format, c.sampling));

  std::vector<unsigned char> loaded(kW * kH * 3 + 1, 0xEE);
  int width = 0;
  int height = 0;
  ASSERT_EQ(QRV_LoadjpegFile_NEW(file.c_str(), loaded.data(), &width, &height), 1) << c.what;
  EXPECT_EQ(width, kW);
  EXPECT_EQ(height, kH);
  for (int i = 0; i < kW * kH; ++i) {
    for (int b = 0; b < 3; ++b) EXPECT_NEAR(loaded[i * 3 + b], c.bgr[b], 3) << c.what << " pixel " << i;
  }
  EXPECT_EQ(loaded.back(), 0xEE) << c.what << ": written past 3 x W x H bytes";
}

INSTANTIATE_TEST_SUITE_P(
    Sources, JpegChannels,
    testing::Values(SourceCase{"grey", TJPF_GRAY, TJSAMP_GRAY, {77}, {77, 77, 77}},
                    SourceCase{"four-channel, opaque", TJPF_CMYK, TJSAMP_444, {200, 100, 50, 255}, {49, 99, 199}},
                    SourceCase{"four-channel, half", TJPF_CMYK, TJSAMP_444, {200, 100, 50, 128}, {25, 50, 100}}),
    [](const auto& info) { return std::to_string(info.index); });

}  // namespace
