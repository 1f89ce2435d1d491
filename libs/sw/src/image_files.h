#pragma once
// Image files: BMP by our own code, JPEG through libjpeg-turbo, other formats through Qt's readers and
// writers, and raw 8-bit data. Paths may be stored text ('\' separators); each writer creates the folder first.
#include <cstdint>
#include <string>

#include "bmp.h"

namespace qrv::sw {

int SaveBmpFile(const char* path, const std::uint8_t* bgr, int width, int height);
// The format by the extension: .jpg/.jpeg, .bmp, .png; 0 for any other.
int SavePictureFile(const char* path, const std::uint8_t* bgr, int width, int height);
int SaveRawFile(const char* path, const std::uint8_t* bytes, int width, int height);
// Top-down pixels as a JPEG file whatever the extension; 1 only when the file was written whole.
int SaveJpegFile(const std::string& path, const std::uint8_t* pixels, int width, int height, std::size_t pitch,
                 bool fourBytes);

// Waits 100 ms, then up to 18 opens 50 ms apart; the frame as bottom-up 3W rows. 0 loaded, -1 not opened,
// -2 not a readable 24-bit BMP.
int LoadBmpFile(const char* path, BmpImage& out);
// Any picture that the codecs read; 8-bit pictures become grey.
bool LoadPictureFile(const char* path, BmpImage& out);

// The stored path as a file-system path.
std::string FilePath(const char* stored);
// Creates the folder of a file path with all its parents (an existing folder is no error).
void CreateParentFolder(const std::string& filePath);

}  // namespace qrv::sw
