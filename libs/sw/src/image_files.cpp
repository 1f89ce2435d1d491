#include "image_files.h"

#include <QImage>
#include <QString>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "jpeg_codec.h"
#include "port/clock.h"
#include "port/path.h"
#include "software_library.h"

namespace qrv::sw {
namespace {

bool WriteWhole(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(file.flush());
}

bool ReadWhole(const std::string& path, std::vector<std::uint8_t>& data) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  data.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

std::string Extension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

bool ValidFrame(const void* pixels, int width, int height) {
  return pixels && width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide;
}

// Qt's readers for the formats we do not decode ourselves; 8-bit and palette pictures become grey or colour.
bool LoadWithQt(const std::string& path, BmpImage& out) {
  QImage image(QString::fromStdString(path));
  if (image.isNull() || image.width() > kMaxImageSide || image.height() > kMaxImageSide) return false;
  image = image.convertToFormat(QImage::Format_BGR888);
  out.width = image.width();
  out.height = image.height();
  const std::size_t row = 3 * static_cast<std::size_t>(out.width);
  out.bgr.resize(row * static_cast<std::size_t>(out.height));
  for (int y = 0; y < out.height; ++y)
    std::copy_n(image.constScanLine(out.height - 1 - y), row, out.bgr.data() + static_cast<std::size_t>(y) * row);
  return true;
}

int SavePngFile(const std::string& path, const std::uint8_t* bgr, int width, int height) {
  QImage image(width, height, QImage::Format_BGR888);
  const std::size_t row = 3 * static_cast<std::size_t>(width);
  for (int y = 0; y < height; ++y)
    std::copy_n(bgr + static_cast<std::size_t>(height - 1 - y) * row, row, image.scanLine(y));
  return image.save(QString::fromStdString(path), "PNG") ? 1 : 0;
}

}  // namespace

std::string FilePath(const char* stored) { return port::NormalizePath(stored ? stored : ""); }

void CreateParentFolder(const std::string& filePath) {
  const std::string folder = std::filesystem::path(filePath).parent_path().string();
  if (folder.empty()) return;
  const SoftwareLibrary* library = SoftwareLibrary::Instance();
  const CQRV_LoadMemory* record = library ? library->Record() : nullptr;
  if (record && record->DirectoryCreate) {
    record->DirectoryCreate(folder.c_str());
    return;
  }
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
}

int SaveBmpFile(const char* path, const std::uint8_t* bgr, int width, int height) {
  if (!path || !ValidFrame(bgr, width, height)) return 0;
  const std::string file = FilePath(path);
  CreateParentFolder(file);
  const std::vector<std::uint8_t> bytes = EncodeBmp(bgr, width, height);
  return WriteWhole(file, bytes.data(), bytes.size()) ? 1 : 0;
}

int SaveJpegFile(const std::string& path, const std::uint8_t* pixels, int width, int height, std::size_t pitch,
                 bool fourBytes) {
  const std::vector<std::uint8_t> jpeg =
      EncodeJpeg(pixels, width, height, pitch, fourBytes ? PixelLayout::Bgrx : PixelLayout::Bgr);
  return !jpeg.empty() && WriteWhole(path, jpeg.data(), jpeg.size()) ? 1 : 0;
}

int SavePictureFile(const char* path, const std::uint8_t* bgr, int width, int height) {
  if (!path || !bgr) return 0;
  const std::string file = FilePath(path);
  CreateParentFolder(file);
  const std::string ext = Extension(file);
  if (!ValidFrame(bgr, width, height) || (ext != ".jpg" && ext != ".jpeg" && ext != ".bmp" && ext != ".png"))
    return 0;
  if (ext == ".bmp") return SaveBmpFile(path, bgr, width, height);
  if (ext == ".png") return SavePngFile(file, bgr, width, height);
  // The encoder reads top-down rows: start at the frame's last row and step backwards.
  const std::size_t row = 3 * static_cast<std::size_t>(width);
  std::vector<std::uint8_t> upright(row * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    std::copy_n(bgr + static_cast<std::size_t>(height - 1 - y) * row, row, upright.data() + static_cast<std::size_t>(y) * row);
  return SaveJpegFile(file, upright.data(), width, height, row, false);
}

// The whole width and height count: a size cut to 16 bits wrote a short or empty file and reported success.
int SaveRawFile(const char* path, const std::uint8_t* bytes, int width, int height) {
  if (!path || !bytes || width <= 0 || height <= 0) return 0;
  const std::string file = FilePath(path);
  CreateParentFolder(file);
  return WriteWhole(file, bytes, static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) ? 1 : 0;
}

int LoadBmpFile(const char* path, BmpImage& out) {
  if (!path) return -1;
  const std::string file = port::ResolvePathCase(FilePath(path));
  port::clock::SleepMs(100);
  std::vector<std::uint8_t> data;
  bool opened = false;
  for (int attempt = 0; attempt < 18 && !opened; ++attempt) {
    if (attempt > 1) port::clock::SleepMs(50);
    opened = ReadWhole(file, data);
  }
  if (!opened) return -1;
  return DecodeBmp(data.data(), data.size(), out) ? 0 : -2;
}

bool LoadPictureFile(const char* path, BmpImage& out) {
  if (!path) return false;
  const std::string file = port::ResolvePathCase(FilePath(path));
  std::vector<std::uint8_t> data;
  if (!ReadWhole(file, data) || data.size() < 2) return false;
  if (data[0] == 0xFF && data[1] == 0xD8) return DecodeJpeg(data.data(), data.size(), out);
  if (data[0] == 'B' && data[1] == 'M' && DecodeBmp(data.data(), data.size(), out)) return true;
  return LoadWithQt(file, out);
}

}  // namespace qrv::sw
