#include "util/IniRules.h"

#include <algorithm>

#include "port/ini.h"
#include "port/path.h"
#include "util/CLocale.h"
#include "util/CountRule.h"

namespace util::ini {

std::string OpenPath(const char* stored) {
  if (!stored || !*stored) return {};
  return port::ResolvePathCase(port::NormalizePath(stored));
}

Snapshot::Snapshot(const std::string& path, std::string shown)
    : m_document(path.empty() ? nullptr : port::ini::ReadDocument(path)),
      m_shown(shown.empty() ? path : std::move(shown)) {}

std::string Snapshot::Text(const char* section, const char* key, const char* defaultText,
                           std::size_t bufferSize) const {
  std::string text = defaultText ? defaultText : "";
  if (const std::string* stored = m_document && section && key ? m_document->Find(section, key) : nullptr)
    text = *stored;
  const std::size_t limit = bufferSize > 0 ? std::min(bufferSize - 1, port::ini::kMaxValue) : port::ini::kMaxValue;
  if (text.size() > limit) text.resize(limit);
  return text;
}

int Snapshot::Int(const char* section, const char* key, int defaultValue, std::size_t bufferSize) const {
  return ToInt(Text(section, key, FormatC("%d", defaultValue).c_str(), bufferSize).c_str());
}

float Snapshot::Float(const char* section, const char* key, float defaultValue) const {
  const std::string text = Text(section, key, FormatC("%f", static_cast<double>(defaultValue)).c_str());
  return static_cast<float>(ToDouble(text.c_str()));
}

double Snapshot::Double(const char* section, const char* key, double defaultValue) const {
  return ToDouble(Text(section, key, FormatC("%lf", defaultValue).c_str()).c_str());
}

int Snapshot::Count(const char* section, const char* key, int defaultValue, int limit) const {
  return BoundCount(Text(section, key, std::to_string(defaultValue).c_str()), limit, m_shown, section, key);
}

std::string ReadText(const std::string& path, const char* section, const char* key, const char* defaultText,
                     std::size_t bufferSize) {
  return Snapshot(path).Text(section, key, defaultText, bufferSize);
}

int ReadInt(const std::string& path, const char* section, const char* key, int defaultValue,
            std::size_t bufferSize) {
  return Snapshot(path).Int(section, key, defaultValue, bufferSize);
}

float ReadFloat(const std::string& path, const char* section, const char* key, float defaultValue) {
  return Snapshot(path).Float(section, key, defaultValue);
}

double ReadDouble(const std::string& path, const char* section, const char* key, double defaultValue) {
  return Snapshot(path).Double(section, key, defaultValue);
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
