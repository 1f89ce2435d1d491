#include "util/IniRules.h"

#include "port/ini.h"
#include "port/path.h"
#include "util/CLocale.h"

namespace util::ini {

std::string OpenPath(const char* stored) {
  if (!stored || !*stored) return {};
  return port::ResolvePathCase(port::NormalizePath(stored));
}

std::string ReadText(const std::string& path, const char* section, const char* key, const char* defaultText,
                     std::size_t bufferSize) {
  std::string text = defaultText ? defaultText : "";
  if (section && key && !path.empty()) text = port::ini::ReadString(path, section, key, text);
  if (bufferSize > 0 && text.size() > bufferSize - 1) text.resize(bufferSize - 1);
  return text;
}

int ReadInt(const std::string& path, const char* section, const char* key, int defaultValue,
            std::size_t bufferSize) {
  return ToInt(ReadText(path, section, key, FormatC("%d", defaultValue).c_str(), bufferSize).c_str());
}

float ReadFloat(const std::string& path, const char* section, const char* key, float defaultValue) {
  const std::string text = ReadText(path, section, key, FormatC("%f", static_cast<double>(defaultValue)).c_str());
  return static_cast<float>(ToDouble(text.c_str()));
}

double ReadDouble(const std::string& path, const char* section, const char* key, double defaultValue) {
  return ToDouble(ReadText(path, section, key, FormatC("%lf", defaultValue).c_str()).c_str());
}

int WriteText(const std::string& path, const char* section, const char* key, const char* value) {
  if (!section || path.empty()) return 0;
  return port::ini::WriteString(path, section, key, value) ? 1 : 0;
}

int WriteTexts(const std::string& path, const char* section, const port::ini::KeyValues& values) {
  if (!section || path.empty()) return 0;
  return port::ini::WriteStrings(path, section, values) ? 1 : 0;
}

int WriteInt(const std::string& path, const char* section, const char* key, int value) {
  return WriteText(path, section, key, FormatC("%d", value).c_str());
}

int WriteFloat(const std::string& path, const char* section, const char* key, float value) {
  return WriteText(path, section, key, FormatC("%f", static_cast<double>(value)).c_str());
}

int WriteDouble(const std::string& path, const char* section, const char* key, double value) {
  return WriteText(path, section, key, FormatC("%lf", value).c_str());
}

}  // namespace util::ini
