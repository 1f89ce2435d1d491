#include "record_ini.h"

#include <cstdlib>

#include "util/CountRule.h"

namespace hw {

int RecordIni::Int(const char* section, const char* key, int defaultValue) const {
  if (!record_ || !record_->IniRead_Int) return defaultValue;
  return record_->IniRead_Int(section, key, defaultValue, path_.c_str());
}

int RecordIni::Count(const char* section, const char* key, int defaultValue, int limit) const {
  const std::string fallback = std::to_string(defaultValue);
  return util::ini::BoundCount(String(section, key, fallback.c_str()), limit, path_, section, key);
}

float RecordIni::Float(const char* section, const char* key, float defaultValue) const {
  if (!record_ || !record_->IniRead_Float) return defaultValue;
  return record_->IniRead_Float(section, key, defaultValue, path_.c_str());
}

std::string RecordIni::String(const char* section, const char* key, const char* defaultText) const {
  if (!record_ || !record_->IniRead_String) return defaultText;
  return record_->IniRead_String(section, key, defaultText, path_.c_str());
}

int RecordIni::Hex(const char* section, const char* key, const char* defaultText) const {
  const std::string text = String(section, key, defaultText);
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 16));
}

bool RecordIni::WriteInt(const char* section, const char* key, int value) const {
  if (!record_ || !record_->IniWrite_Int) return false;
  return record_->IniWrite_Int(section, key, value, path_.c_str()) != 0;
}

bool RecordIni::WriteString(const char* section, const char* key, const char* value) const {
  if (!record_ || !record_->IniWrite_String) return false;
  return record_->IniWrite_String(section, key, value, path_.c_str()) != 0;
}

}  // namespace hw
