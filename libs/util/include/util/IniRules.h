#pragma once
// Typed private-profile reads and writes with the rules stored files and their callers rely on:
// the default is printed to text first, a missing file/section/key gives it, a present value is
// converted with atoi/atof (so an empty or non-numeric value reads 0), texts are cut to the buffer.
#include <cstddef>
#include <string>

#include "port/ini.h"

namespace util::ini {

inline constexpr std::size_t kLibraryBuffer = 512;

// A stored path made openable: separators and drive letters normalised, letter case resolved.
std::string OpenPath(const char* stored);

std::string ReadText(const std::string& path, const char* section, const char* key, const char* defaultText,
                     std::size_t bufferSize = kLibraryBuffer);
int ReadInt(const std::string& path, const char* section, const char* key, int defaultValue,
            std::size_t bufferSize = kLibraryBuffer);
float ReadFloat(const std::string& path, const char* section, const char* key, float defaultValue);
double ReadDouble(const std::string& path, const char* section, const char* key, double defaultValue);

// 1 on success, 0 on failure. A null value deletes the key, a null key the whole section.
int WriteText(const std::string& path, const char* section, const char* key, const char* value);
int WriteInt(const std::string& path, const char* section, const char* key, int value);
int WriteFloat(const std::string& path, const char* section, const char* key, float value);
int WriteDouble(const std::string& path, const char* section, const char* key, double value);
// Several keys of one section in one write; 1 on success, 0 on failure.
int WriteTexts(const std::string& path, const char* section, const port::ini::KeyValues& values);

}  // namespace util::ini
