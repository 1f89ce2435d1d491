#pragma once
// Typed private-profile reads and writes with the rules stored files and their callers rely on:
// the default is printed to text first, a missing file/section/key gives it, a present value is
// converted with atoi/atof (so an empty or non-numeric value reads 0), texts are cut to the buffer.
#include <cstddef>
#include <memory>
#include <string>

#include "port/ini.h"

namespace util::ini {

inline constexpr std::size_t kLibraryBuffer = 512;

// A stored path made openable: separators and drive letters normalised, letter case resolved.
std::string OpenPath(const char* stored);

// One parsed version of a file, read with the rules below. Values that belong together (a list's count and its
// entries, the sizes of one picture) read from one snapshot come from one save of the file, whatever is written
// meanwhile. A missing or unreadable file reads every default.
class Snapshot {
 public:
  // path: an openable path (OpenPath); shown: how a count's refusal names the file (the path when empty).
  explicit Snapshot(const std::string& path, std::string shown = {});

  std::string Text(const char* section, const char* key, const char* defaultText,
                   std::size_t bufferSize = kLibraryBuffer) const;
  int Int(const char* section, const char* key, int defaultValue, std::size_t bufferSize = kLibraryBuffer) const;
  float Float(const char* section, const char* key, float defaultValue) const;
  double Double(const char* section, const char* key, double defaultValue) const;
  // A list's count, bounded by the list's limit (util/CountRule.h).
  int Count(const char* section, const char* key, int defaultValue, int limit) const;

 private:
  std::shared_ptr<const port::ini::Document> m_document;
  std::string m_shown;
};

// Each read below takes the file as it is now.
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
