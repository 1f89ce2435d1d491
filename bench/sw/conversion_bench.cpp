// One 4208 x 3120 frame through every conversion of the image library and through OpenCV's nearest
// operation, printed as times and ratios (ours / OpenCV: below 1 is faster). The unpackers are also set
// against memcpy of the same packed bytes. Times are the best of 25 runs. OpenCV runs on two threads, as many as a station has cores.
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "QRV_InterFace_SW.h"
#include "bayer.h"
#include "frame_sum.h"
#include "orientation.h"
#include "raw_unpack.h"
#include "yuv.h"

#define QRV_SW_DECLARE(name, result, params) extern "C" result name params;
QRV_SW_FUNCTIONS(QRV_SW_DECLARE)
#undef QRV_SW_DECLARE

namespace {

constexpr int kW = 4208;
constexpr int kH = 3120;
constexpr int kRuns = 25;

double Ms(const std::function<void()>& fn) {
  const auto start = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The best of kRuns runs of each, the two taking turns so that both meet the same load on a shared machine.
std::pair<double, double> BestMs(const std::function<void()>& ours, const std::function<void()>& other) {
  ours();  // warm the caches and the page tables
  other();
  double a = 1e30, b = 1e30;
  for (int i = 0; i < kRuns; ++i) {
    a = std::min(a, Ms(ours));
    b = std::min(b, Ms(other));
  }
  return {a, b};
}

int g_slower = 0;

void Row(const char* name, const std::function<void()>& ours, const char* otherName,
         const std::function<void()>& other, bool mustWin = true) {
  const auto [a, b] = BestMs(ours, other);
  const double ratio = a / b;
  if (mustWin && ratio > 1.0) ++g_slower;
  std::printf("%-36s %8.2f ms   %-34s %8.2f ms   ratio %5.2f%s\n", name, a, otherName, b, ratio,
              mustWin && ratio > 1.0 ? "  SLOWER" : "");
}

std::vector<std::uint8_t> Noise(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  std::uint32_t s = 12345;
  for (auto& b : v) {
    s = s * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(s >> 24);
  }
  return v;
}

}  // namespace

int main() {
  cv::setNumThreads(2);
  const std::size_t px = static_cast<std::size_t>(kW) * kH;
  const std::size_t raw10Stride = qrv::sw::MipiRaw10Stride(kW), raw12Stride = qrv::sw::MipiRaw12Stride(kW);
  auto raw10 = Noise(raw10Stride * kH), raw12 = Noise(raw12Stride * kH), raw8 = Noise(px), bgr = Noise(3 * px),
       yuv = Noise(2 * px), nv = Noise(px * 3 / 2);
  std::vector<std::uint16_t> words(px);
  for (std::size_t i = 0; i < px; ++i) words[i] = static_cast<std::uint16_t>(raw8[i] * 4 + (i & 3));
  std::vector<std::uint8_t> out8(px), out16(2 * px), out24(3 * px), copy(std::max(raw10.size(), 2 * px));
  std::vector<std::uint16_t> outWords(px);
  std::vector<std::uint32_t> sums(px);

  std::printf("frame %d x %d, best of %d runs\n\n", kW, kH, kRuns);
  std::printf("-- unpack against memcpy of the same packed bytes (aim: ratio 2.0 or less)\n");
  auto memcpy10 = [&] { std::memcpy(copy.data(), raw10.data(), raw10.size()); };
  auto memcpy12 = [&] { std::memcpy(copy.data(), raw12.data(), raw12.size()); };
  Row("MIPIRaw10_To_Raw10Word", [&] { Convert_MIPIRaw10_To_Raw10Word(raw10.data(), outWords.data(), kW, kH); },
      "memcpy packed RAW10", memcpy10, false);
  Row("MIPIRaw10_To_Raw8", [&] { Convert_MIPIRaw10_To_Raw8(raw10.data(), out8.data(), kW, kH); },
      "memcpy packed RAW10", memcpy10, false);
  Row("MIPIRaw12_To_Raw12Word", [&] { Convert_MIPIRaw12_To_Raw12Word(raw12.data(), outWords.data(), kW, kH); },
      "memcpy packed RAW12", memcpy12, false);
  Row("MIPIRaw12_To_Raw8", [&] { Convert_MIPIRaw12_To_Raw8(raw12.data(), out8.data(), kW, kH); },
      "memcpy packed RAW12", memcpy12, false);
  Row("MIPIRaw10_To_Raw10Byte", [&] { Convert_MIPIRaw10_To_Raw10Byte(raw10.data(), out16.data(), kW, kH); },
      "memcpy packed RAW10", memcpy10, false);
  Row("MIPIRaw10_To_Raw10WordByte",
      [&] { Convert_MIPIRaw10_To_Raw10WordByte(raw10.data(), outWords.data(), out16.data(), kW, kH); },
      "memcpy packed RAW10", memcpy10, false);
  Row("MIPIRaw12_To_Raw12Byte", [&] { Convert_MIPIRaw12_To_Raw12Byte(raw12.data(), out16.data(), kW, kH); },
      "memcpy packed RAW12", memcpy12, false);

  std::printf("\n-- against OpenCV (aim: ratio 1.0 or less)\n");
  const cv::Mat m10(kH * (kW / 4), 5, CV_8U, raw10.data(), 5);  // rows of one group (stride equals 5W/4 here)
  const cv::Mat m12(kH * (kW / 2), 3, CV_8U, raw12.data());
  cv::Mat cvOut;
  Row("MIPIRaw10_To_Raw8", [&] { Convert_MIPIRaw10_To_Raw8(raw10.data(), out8.data(), kW, kH); },
      "Mat.colRange(0,4).copyTo", [&] { m10.colRange(0, 4).copyTo(cvOut); });
  Row("MIPIRaw12_To_Raw8", [&] { Convert_MIPIRaw12_To_Raw8(raw12.data(), out8.data(), kW, kH); },
      "Mat.colRange(0,2).copyTo", [&] { m12.colRange(0, 2).copyTo(cvOut); });
  const cv::Mat w16(kH, kW, CV_16U, words.data());
  Row("Raw10Word_To_Raw10Byte", [&] { Convert_Raw10Word_To_Raw10Byte(words.data(), out16.data(), kW, kH); },
      "bitwise_and 0x3FF", [&] { cv::bitwise_and(w16, cv::Scalar(0x3FF), cvOut); });
  Row("Raw12Word_To_Raw12Byte", [&] { Convert_Raw12Word_To_Raw12Byte(words.data(), out16.data(), kW, kH); },
      "bitwise_and 0xFFF", [&] { cv::bitwise_and(w16, cv::Scalar(0xFFF), cvOut); });
  Row("Raw10_To_Raw8", [&] { Convert_Raw10_To_Raw8(words.data(), out8.data(), kW, kH); },
      "convertTo 8U x0.25", [&] { w16.convertTo(cvOut, CV_8U, 0.25); });
  Row("Raw12_To_Raw8", [&] { Convert_Raw12_To_Raw8(words.data(), out8.data(), kW, kH); },
      "convertTo 8U x1/16", [&] { w16.convertTo(cvOut, CV_8U, 1.0 / 16); });

  const cv::Mat mosaic(kH, kW, CV_8U, raw8.data());
  const int bayerCodes[] = {cv::COLOR_BayerRG2BGR, cv::COLOR_BayerBG2BGR, cv::COLOR_BayerGR2BGR, cv::COLOR_BayerGB2BGR};
  const char* bayerNames[] = {"Raw8_To_Bmp BGGR", "Raw8_To_Bmp RGGB", "Raw8_To_Bmp GBRG", "Raw8_To_Bmp GRBG"};
  for (int order = 1; order <= 4; ++order)
    Row(bayerNames[order - 1], [&] { Convert_Raw8_To_Bmp(raw8.data(), out24.data(), kW, kH, order); },
        "cvtColor Bayer..2BGR", [&] { cv::cvtColor(mosaic, cvOut, bayerCodes[order - 1]); });
  // A grey picture is stored bottom-up as every picture of the library is; unlike the demosaic, the expansion
  // alone is a plain copy, so OpenCV's nearest operation that gives the same bytes has to turn it over too.
  cv::Mat turned;
  Row("Raw8_To_Bmp mono", [&] { Convert_Raw8_To_Bmp(raw8.data(), out24.data(), kW, kH, 5); },
      "flip(0) + cvtColor GRAY2BGR", [&] {
        cv::flip(mosaic, turned, 0);
        cv::cvtColor(turned, cvOut, cv::COLOR_GRAY2BGR);
      });

  const cv::Mat yuyv(kH, kW, CV_8UC2, yuv.data());
  const int yuvCodes[] = {cv::COLOR_YUV2BGR_YUY2, cv::COLOR_YUV2BGR_YVYU, cv::COLOR_YUV2BGR_UYVY, cv::COLOR_YUV2BGR_UYVY};
  const char* yuvNames[] = {"Yuv_To_Bmp Y0UY1V", "Yuv_To_Bmp Y0VY1U", "Yuv_To_Bmp UY0VY1", "Yuv_To_Bmp VY0UY1"};
  for (int order = 1; order <= 4; ++order)
    Row(yuvNames[order - 1], [&] { Convert_Yuv_To_Bmp(yuv.data(), out24.data(), kW, kH, order); },
        order == 4 ? "cvtColor YUV2BGR_UYVY (no VYUY)" : "cvtColor YUV2BGR_4:2:2",
        [&] { cv::cvtColor(yuyv, cvOut, yuvCodes[order - 1]); });
  const cv::Mat nv21(kH * 3 / 2, kW, CV_8U, nv.data());
  Row("Yuv_To_Bmp planar", [&] { Convert_Yuv_To_Bmp(nv.data(), out24.data(), kW, kH, 7); }, "cvtColor YUV2BGR_NV21",
      [&] { cv::cvtColor(nv21, cvOut, cv::COLOR_YUV2BGR_NV21); });

  const cv::Mat colour(kH, kW, CV_8UC3, bgr.data());
  Row("Bmp_To_Yuv", [&] { Convert_Bmp_To_Yuv(bgr.data(), out16.data(), kW, kH); }, "cvtColor BGR2YCrCb",
      [&] { cv::cvtColor(colour, cvOut, cv::COLOR_BGR2YCrCb); });
  cv::Mat grey;
  Row("Bmp_To_Ybmp", [&] { Convert_Bmp_To_Ybmp(bgr.data(), out24.data(), kW, kH); }, "BGR2GRAY + GRAY2BGR", [&] {
    cv::cvtColor(colour, grey, cv::COLOR_BGR2GRAY);
    cv::cvtColor(grey, cvOut, cv::COLOR_GRAY2BGR);
  });

  cv::Mat sum32(kH, kW, CV_32S, cv::Scalar(0));
  Row("IntSumBuffer 8-bit", [&] { Convert_IntSumBuffer(raw8.data(), sums.data(), kW, kH, 1, 8); },
      "add 8U into 32S", [&] { cv::add(sum32, mosaic, sum32, cv::noArray(), CV_32S); });
  Row("IntSum_To_AvgBuffer 8-bit", [&] { Convert_IntSum_To_AvgBuffer(sums.data(), out8.data(), kW, kH, 1, 7); },
      "convertTo 8U x1/7", [&] { sum32.convertTo(cvOut, CV_8U, 1.0 / 7); });

  // Orientation: square enough frames for the transposing modes (source H wide, W high).
  const cv::Mat transposedSrc(kW, kH, CV_8UC3, bgr.data());
  const char* modeNames[] = {"Orientation 0 copy", "Orientation 1 flip", "Orientation 2 swap",
                             "Orientation 3 flip+swap", "Orientation 4 transpose", "Orientation 5",
                             "Orientation 6", "Orientation 7"};
  const char* cvNames[] = {"copyTo", "flip(0)", "cvtColor BGR2RGB", "flip(0) + BGR2RGB", "transpose",
                           "transpose + flip(0)", "transpose + flip(1)", "transpose + flip(-1)"};
  cv::Mat tmp;
  const std::function<void()> cvModes[] = {
      [&] { colour.copyTo(cvOut); },
      [&] { cv::flip(colour, cvOut, 0); },
      [&] { cv::cvtColor(colour, cvOut, cv::COLOR_BGR2RGB); },
      [&] {
        cv::flip(colour, tmp, 0);
        cv::cvtColor(tmp, cvOut, cv::COLOR_BGR2RGB);
      },
      [&] { cv::transpose(transposedSrc, cvOut); },
      [&] {
        cv::transpose(transposedSrc, tmp);
        cv::flip(tmp, cvOut, 0);
      },
      [&] {
        cv::transpose(transposedSrc, tmp);
        cv::flip(tmp, cvOut, 1);
      },
      [&] {
        cv::transpose(transposedSrc, tmp);
        cv::flip(tmp, cvOut, -1);
      },
  };
  for (int mode = 0; mode < 8; ++mode)
    Row(modeNames[mode], [&] { qrv::sw::TransformOrientation(mode, bgr.data(), out24.data(), kW, kH); },
        cvNames[mode], cvModes[mode]);

  Row("Convert_Image RAW10 BGGR", [&] { Convert_Image(2, 1, 10, raw10.data(), out24.data(), kW, kH); },
      "colRange copy + cvtColor Bayer", [&] {
        m10.colRange(0, 4).copyTo(tmp);
        cv::cvtColor(tmp.reshape(1, kH), cvOut, cv::COLOR_BayerRG2BGR);
      });

  std::printf("\n%d conversion(s) slower than OpenCV\n", g_slower);
  return 0;
}
