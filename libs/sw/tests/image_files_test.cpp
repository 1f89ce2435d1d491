// Image files: BMP written and read by our own code, JPEG through the codec, raw data, shared mappings.
#include <QImage>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "bmp.h"
#include "library_fixture.h"
#include "port/clock.h"

namespace qrv::sw::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Frame(int w, int h) {
  Bytes f(3 * w * h);
  for (std::size_t i = 0; i < f.size(); ++i) f[i] = static_cast<std::uint8_t>(i * 13 + 1);
  return f;
}

std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

using ImageFiles = LibraryTest;

TEST_F(ImageFiles, BmpHeaderAndPaddedRows) {
  Load();
  const Bytes f = Frame(4, 2);
  const std::string path = PathOf("new/folder/a.bmp");
  ASSERT_EQ(OnSaveImage_BMP(path.c_str(), f.data(), 4, 2), 1);
  const Bytes file = ReadFile(path);
  ASSERT_EQ(file.size(), 78u);
  EXPECT_EQ(Le32(file, 2), 78u);
  EXPECT_EQ(file[28], 24);
  EXPECT_EQ(Le32(file, 10), 54u);

  // 3 x 1: 9 pixel bytes and 3 bytes of padding, as every viewer expects.
  ASSERT_EQ(OnSaveImage_BMP(path.c_str(), f.data(), 3, 1), 1);
  const Bytes odd = ReadFile(path);
  ASSERT_EQ(odd.size(), 54u + 12u);
  EXPECT_EQ(Bytes(odd.begin() + 54, odd.begin() + 63), Bytes(f.begin(), f.begin() + 9));
  EXPECT_EQ(QImage(QString::fromStdString(path)).pixel(2, 0) & 0xFFFFFF,
            static_cast<unsigned>(f[8] << 16 | f[7] << 8 | f[6]));
}

TEST_F(ImageFiles, BmpRoundTripOfOddWidths) {
  port::clock::VirtualTimeScope instant;
  Load();
  for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{5, 3}, std::pair{7, 1}, std::pair{4, 4}}) {
    const Bytes f = Frame(w, h);
    const std::string path = PathOf("round.bmp");
    ASSERT_EQ(OnSaveImage_BMP(path.c_str(), f.data(), w, h), 1);
    const std::size_t padded = BmpRowStride(w) * h;
    Bytes back(padded, 0xAA);
    ASSERT_EQ(OnLoadImage_BMP(path.c_str(), back.data()), 0);
    EXPECT_EQ(Bytes(back.begin(), back.begin() + f.size()), f) << w << "x" << h;
    EXPECT_EQ(Bytes(back.begin() + f.size(), back.end()), Bytes(padded - f.size(), 0));
  }
}

// Files written earlier without row padding are still read.
TEST_F(ImageFiles, UnpaddedLegacyBmpIsRead) {
  const Bytes f = Frame(3, 2);
  Bytes file = EncodeBmp(f.data(), 3, 2);
  Bytes legacy(file.begin(), file.begin() + 54);
  legacy.insert(legacy.end(), f.begin(), f.end());
  BmpImage image;
  ASSERT_TRUE(DecodeBmp(legacy.data(), legacy.size(), image));
  EXPECT_EQ(image.bgr, f);
}

TEST_F(ImageFiles, TruncatedOrLyingBmpIsRefused) {
  const Bytes f = Frame(5, 3);
  const Bytes good = EncodeBmp(f.data(), 5, 3);
  BmpImage image;
  ASSERT_TRUE(DecodeBmp(good.data(), good.size(), image));
  auto with = [&](std::size_t at, std::uint32_t value) {
    Bytes b = good;
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return b;
  };
  const Bytes cases[] = {
      Bytes(good.begin(), good.begin() + 53),                        // header cut short
      Bytes(good.begin(), good.end() - 4),                           // pixels cut short
      with(18, 5000),                                                // width larger than the data
      with(22, 0x7FFFFFFF),                                          // absurd height
      with(10, 0xFFFFFFF0),                                          // pixel offset past the end
      with(18, 0),                                                   // no width
      with(28, 8),                                                   // not 24 bits
      with(30, 1),                                                   // compressed
  };
  for (const Bytes& bad : cases) EXPECT_FALSE(DecodeBmp(bad.data(), bad.size(), image));

  Load();
  const std::string path = PathOf("bad.bmp");
  WriteFile(path, cases[2]);
  port::clock::VirtualTimeScope instant;
  Bytes dst(BmpRowStride(5) * 3);
  EXPECT_EQ(OnLoadImage_BMP(path.c_str(), dst.data()), -2);
}

TEST_F(ImageFiles, MissingBmpGivesUpAfterEighteenOpens) {
  Load();
  port::clock::VirtualTimeScope instant;
  const auto start = port::clock::Now();
  Bytes dst(16);
  EXPECT_EQ(OnLoadImage_BMP(PathOf("missing.bmp").c_str(), dst.data()), -1);
  EXPECT_EQ(port::clock::ElapsedMs(start), 900);
}

TEST_F(ImageFiles, JpegRoundTripWithinError) {
  Load();
  const int w = 33, h = 17;
  Bytes f(3 * w * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &f[3 * (y * w + x)];
      p[0] = static_cast<std::uint8_t>(4 * x);
      p[1] = static_cast<std::uint8_t>(8 * y);
      p[2] = 128;
    }
  const std::string path = PathOf("pic.jpg");
  ASSERT_EQ(OnSaveImage_JPG(path.c_str(), f.data(), w, h), 1);
  int lw = 0, lh = 0;
  unsigned char* back = OnLoadImage_JPG_Ex(path.c_str(), &lw, &lh);
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(lw, w);
  ASSERT_EQ(lh, h);
  double error = 0;
  for (std::size_t i = 0; i < f.size(); ++i) error += std::abs(int(f[i]) - int(back[i]));
  delete[] back;
  EXPECT_LT(error / f.size(), 4.0);  // mean absolute error per byte
}

TEST_F(ImageFiles, GreyPictureLoadsAsGrey) {
  Load();
  QImage grey(4, 2, QImage::Format_Grayscale8);
  grey.fill(90);
  grey.setPixel(0, 0, qRgb(200, 200, 200));
  for (const char* name : {"grey.jpg", "grey.png"}) {
    const std::string path = PathOf(name);
    ASSERT_TRUE(grey.save(QString::fromStdString(path), nullptr, 100));
    Bytes dst(24, 0);
    int w = 0, h = 0;
    ASSERT_EQ(OnLoadImage_JPG(path.c_str(), dst.data(), &w, &h), 1);
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(dst[3 * i], dst[3 * i + 1]) << name;
      EXPECT_EQ(dst[3 * i + 2], dst[3 * i + 1]) << name;
    }
    EXPECT_GT(dst[3 * 4 + 1], 150) << name;  // the top-left pixel lands in the last (top) row
  }
}

TEST_F(ImageFiles, ExtensionChoosesTheFormat) {
  Load();
  const Bytes f = Frame(4, 2);
  EXPECT_EQ(OnSaveImage_JPG(PathOf("a.png").c_str(), f.data(), 4, 2), 1);
  EXPECT_EQ(QImage(QString::fromStdString(PathOf("a.png")), "PNG").width(), 4);
  EXPECT_EQ(OnSaveImage_JPG(PathOf("a.bmp").c_str(), f.data(), 4, 2), 1);
  EXPECT_EQ(ReadFile(PathOf("a.bmp")).size(), 78u);
  // The folder is made before the extension is looked at; without pixels nothing is done at all.
  EXPECT_EQ(OnSaveImage_JPG(PathOf("made/a.xyz").c_str(), f.data(), 4, 2), 0);
  EXPECT_TRUE(std::filesystem::is_directory(PathOf("made")));
  EXPECT_FALSE(std::filesystem::exists(PathOf("made/a.xyz")));
  EXPECT_EQ(OnSaveImage_JPG(PathOf("not_made/b.jpg").c_str(), nullptr, 4, 2), 0);
  EXPECT_FALSE(std::filesystem::exists(PathOf("not_made")));
  int w = 0, h = 0;
  Bytes dst(24);
  EXPECT_EQ(OnLoadImage_JPG(PathOf("none.jpg").c_str(), dst.data(), &w, &h), 0);
  EXPECT_EQ(OnLoadImage_JPG_Ex(PathOf("none.jpg").c_str(), &w, &h), nullptr);
}

TEST_F(ImageFiles, RawFileHoldsOneBytePerPixel) {
  Load();
  const Bytes data(640 * 480, 7);
  // Sizes past 16 bits are written whole; an empty size is refused and leaves no file.
  const struct {
    int w, h, result;
    std::size_t bytes;
    bool exists;
  } cases[] = {{640, 480, 1, 307200, true}, {70000, 2, 1, 140000, true}, {40000, 1, 1, 40000, true},
               {2, 65536, 1, 131072, true}, {0, 480, 0, 0, false},   {640, -1, 0, 0, false}};
  for (const auto& c : cases) {
    const std::string path = PathOf("raw/" + std::to_string(c.w) + "x" + std::to_string(c.h) + ".raw");
    EXPECT_EQ(SaveImageToRawFile(path.c_str(), data.data(), c.w, c.h), c.result) << c.w << " x " << c.h;
    EXPECT_EQ(std::filesystem::exists(path), c.exists) << c.w << " x " << c.h;
    if (c.exists) {
      EXPECT_EQ(ReadFile(path).size(), c.bytes) << c.w << " x " << c.h;
    }
  }
  EXPECT_EQ(SaveImageToRawFile(folder_.string().c_str(), data.data(), 640, 480), 0);
}

// The objects go with the library, so none is left in /dev/shm after a run; the views stay usable.
TEST_F(ImageFiles, MappingsOfOneNameShareMemoryAndTheirNamesGoWithTheLibrary) {
  Load();
  const std::string name = "qrv_sw_test_" + std::to_string(::getpid());
  unsigned char* a = CreateMapping_BYTE(name.c_str(), nullptr, 4096);
  unsigned char* b = CreateMapping_BYTE(name.c_str(), nullptr, 4096);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  a[100] = 42;
  EXPECT_EQ(b[100], 42);
  double* d = CreateMapping_Double((name + "_d").c_str(), nullptr, 64);
  ASSERT_NE(d, nullptr);
  d[7] = 1.5;
  EXPECT_EQ(CreateMapping_BYTE(name.c_str(), nullptr, 0), nullptr);
  const std::string object = "/dev/shm/Global\\" + name;
  EXPECT_TRUE(std::filesystem::exists(object));
  EXPECT_TRUE(std::filesystem::exists(object + "_d"));
  Load_OnDelete(record_.get());
  EXPECT_FALSE(std::filesystem::exists(object));
  EXPECT_FALSE(std::filesystem::exists(object + "_d"));
  EXPECT_EQ(b[100], 42);
  EXPECT_EQ(d[7], 1.5);
}

}  // namespace
}  // namespace qrv::sw::test
