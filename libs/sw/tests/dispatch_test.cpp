// Convert_Image and Convert_Image_Ex: routing by type and the capture copy.
#include <cstdint>
#include <vector>

#include "bayer.h"
#include "convert_dispatch.h"
#include "library_fixture.h"
#include "qrv_test/set_log_capture.h"
#include "raw_unpack.h"

namespace qrv::sw::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class Dispatch : public LibraryTest {
 protected:
  void WithCapture(int x, int y) {
    FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_X", x);
    FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_Y", y);
    Load();
    OnCreateCaptureBuffer();
  }
  Bytes CaptureBytes(std::size_t n) const { return Bytes(GetCaptureBuffer(), GetCaptureBuffer() + n); }
};

Bytes Pattern(std::size_t n) {
  Bytes v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i * 29 + 3);
  return v;
}

TEST_F(Dispatch, RawTypesReduceThenDemosaic) {
  Load();
  const int w = 8, h = 4;
  Bytes raw10 = Pattern(MipiRaw10Stride(w) * h), raw12 = Pattern(MipiRaw12Stride(w) * h);
  std::vector<std::uint16_t> words(w * h);
  for (std::size_t i = 0; i < words.size(); ++i) words[i] = static_cast<std::uint16_t>(i * 37);
  Bytes raw8(w * h), expected(3 * w * h), out(3 * w * h);

  Convert_MIPIRaw10_To_Raw8(raw10.data(), raw8.data(), w, h);
  bayer::Demosaic(raw8.data(), expected.data(), w, h, 2);
  Convert_Image(2, 2, 10, raw10.data(), out.data(), w, h);
  EXPECT_EQ(out, expected);

  Convert_MIPIRaw12_To_Raw8(raw12.data(), raw8.data(), w, h);
  bayer::Demosaic(raw8.data(), expected.data(), w, h, 3);
  Convert_Image(3, 3, 12, raw12.data(), out.data(), w, h);
  EXPECT_EQ(out, expected);

  auto* wordBytes = reinterpret_cast<std::uint8_t*>(words.data());
  Convert_Raw10_To_Raw8(words.data(), raw8.data(), w, h);
  bayer::Demosaic(raw8.data(), expected.data(), w, h, 4);
  Convert_Image(5, 4, 10, wordBytes, out.data(), w, h);
  EXPECT_EQ(out, expected);
  Convert_Image(2, 4, 9, wordBytes, out.data(), w, h);
  EXPECT_EQ(out, expected);

  Convert_Raw12_To_Raw8(words.data(), raw8.data(), w, h);
  bayer::Demosaic(raw8.data(), expected.data(), w, h, 1);
  Convert_Image(3, 1, 9, wordBytes, out.data(), w, h);
  EXPECT_EQ(out, expected);
}

TEST_F(Dispatch, CaptureCopyIsBoundedByTheBufferItself) {
  WithCapture(2, 2);  // 12 bytes
  // Sensor.ini now names a larger size than the buffer was made for.
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_X", 100);
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_Y", 100);
  Bytes src = Pattern(3 * 4 * 4), dst(3 * 4 * 4);
  Convert_Image(4, 0, 8, src.data(), dst.data(), 4, 4);
  EXPECT_EQ(dst, src);
  EXPECT_EQ(CaptureBytes(12), Bytes(src.begin(), src.begin() + 12));
}

// A changed Sensor.ini takes effect at the next frame.
TEST_F(Dispatch, SensorIniChangeTakesEffectAtTheNextFrame) {
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_X", 2);
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_Y", 1);
  WithCapture(2, 1);
  const Bytes src = Pattern(3 * 4 * 2);
  Bytes dst(3 * 4 * 2, 0);
  Convert_Image(8, 0, 8, Bytes(src).data(), dst.data(), 4, 2);
  EXPECT_EQ(Bytes(dst.begin(), dst.begin() + 6), Bytes(src.begin(), src.begin() + 6));
  EXPECT_EQ(dst[6], 0);

  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_X", 4);  // the file is replaced
  Convert_Image(8, 0, 8, Bytes(src).data(), dst.data(), 4, 2);
  EXPECT_EQ(Bytes(dst.begin(), dst.begin() + 12), Bytes(src.begin(), src.begin() + 12));
  EXPECT_EQ(dst[12], 0);
}

TEST_F(Dispatch, CaptureCopyIsBoundedByTheFrameProduced) {
  WithCapture(4, 4);
  Bytes src = Pattern(3 * 2), dst = Pattern(3 * 2);
  Convert_Image(4, 0, 8, src.data(), dst.data(), 2, 1);  // 6 bytes produced
  EXPECT_EQ(CaptureBytes(8), (Bytes{src[0], src[1], src[2], src[3], src[4], src[5], 0, 0}));
}

TEST_F(Dispatch, UnknownTypeWritesNothingButStillCopies) {
  WithCapture(1, 1);
  Bytes src(3, 9), dst = {7, 8, 9};
  Convert_Image(7, 0, 8, src.data(), dst.data(), 1, 1);
  EXPECT_EQ(dst, (Bytes{7, 8, 9}));
  EXPECT_EQ(CaptureBytes(3), (Bytes{7, 8, 9}));
}

TEST_F(Dispatch, ExYuvNeverCopiesExOrientationDoes) {
  WithCapture(2, 1);
  Bytes yuv = {16, 128, 16, 128}, out(6, 5);
  Convert_Image_Ex(0, 1, 8, yuv.data(), out.data(), 2, 1, 0, 4);
  EXPECT_EQ(out, Bytes(6, 0));
  EXPECT_EQ(CaptureBytes(6), Bytes(6, 0));
  Bytes src = {1, 2, 3, 4, 5, 6};
  Convert_Image_Ex(4, 2, 8, src.data(), out.data(), 2, 1, 0, 4);
  EXPECT_EQ(out, (Bytes{3, 2, 1, 6, 5, 4}));
  EXPECT_EQ(CaptureBytes(6), out);
}

TEST_F(Dispatch, ExStrideRoundsUpAndToleratesAlignZero) {
  EXPECT_EQ(AlignedStride(5, 0, 8), 8);
  EXPECT_EQ(AlignedStride(1250, 3, 64), 1280);
  EXPECT_EQ(AlignedStride(1250, 0, 0), 1250);
  EXPECT_EQ(AlignedStride(1250, 0, 1), 1250);
  EXPECT_EQ(AlignedStride(10, 0, 6), 12);  // not a power of two: still a multiple
  EXPECT_EQ(AlignedStride(4, -10, 8), 0);

  Load();
  const int w = 4, h = 4;
  // Rows of 5 packed bytes padded to 16.
  Bytes src(16 * h, 0);
  for (int y = 0; y < h; ++y)
    for (int k = 0; k < 4; ++k) src[16 * y + k] = static_cast<std::uint8_t>(10 * y + k + 1);
  Bytes raw8(w * h), expected(3 * w * h), out(3 * w * h);
  for (int y = 0; y < h; ++y)
    for (int k = 0; k < 4; ++k) raw8[w * y + k] = src[16 * y + k];
  bayer::Demosaic(raw8.data(), expected.data(), w, h, 1);
  Convert_Image_Ex(2, 1, 10, src.data(), out.data(), w, h, 3, 16);
  EXPECT_EQ(out, expected);
  // Align 0 means no rounding: the stride is 5 + 11.
  std::fill(out.begin(), out.end(), 0);
  Convert_Image_Ex(2, 1, 10, src.data(), out.data(), w, h, 11, 0);
  EXPECT_EQ(out, expected);
}

TEST_F(Dispatch, ExPairSumsSaturate) {
  Load();
  const int w = 4, h = 3;
  // Rows of 2W = 8 packed samples (two groups, 10 bytes), padded to 12.
  Bytes src(12 * h, 0);
  for (int y = 0; y < h; ++y) {
    const std::uint8_t row[10] = {100, 27, 200, 100, 0xFF, 1, 2, 3, 4, 0xFF};
    std::copy(row, row + 10, src.begin() + 12 * y);
  }
  Bytes raw8(w * h), expected(3 * w * h), out(3 * w * h);
  for (int y = 0; y < h; ++y) {
    const std::uint8_t sums[4] = {127, 255, 3, 7};
    std::copy(sums, sums + 4, raw8.begin() + w * y);
  }
  bayer::Demosaic(raw8.data(), expected.data(), w, h, 5);
  Convert_Image_Ex(12, 5, 10, src.data(), out.data(), w, h, 2, 4);
  EXPECT_EQ(out, expected);
}

TEST_F(Dispatch, SensorFrameTypesUseTheIniSizeAndRefuseALargerOneSilently) {
  Load();
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_X", 1);
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_Y", 2);
  Bytes src = {1, 2, 3, 4, 5, 6}, out(6, 0);
  Convert_Image(8, 1, 8, src.data(), out.data(), 2, 1);
  EXPECT_EQ(out, (Bytes{4, 5, 6, 1, 2, 3}));
  Bytes shifted = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB}, out6(6, 0);
  Convert_Image(6, 0, 8, shifted.data(), out6.data(), 2, 1);
  EXPECT_EQ(out6, (Bytes{0x34, 0x56, 0x78, 0x9A, 0xB0, 0x00}));

  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_X", 10);
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_Y", 10);
  qrv::test::ClearCapturedSetLog();
  Bytes untouched(6, 0xAA);
  for (const int type : {6, 8}) {
    Convert_Image(type, 0, 8, src.data(), untouched.data(), 2, 1);
    EXPECT_EQ(untouched, Bytes(6, 0xAA)) << type;
  }
  EXPECT_EQ(src, (Bytes{1, 2, 3, 4, 5, 6})) << "type 6 leaves a source it refused as it was";
  EXPECT_TRUE(FakeRecord::LogLines().empty());
}

}  // namespace
}  // namespace qrv::sw::test
