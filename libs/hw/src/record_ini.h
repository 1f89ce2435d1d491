#pragma once
// Settings files read and written through the platform record's utility functions, with a default on
// every read (the default also when the utility library did not bind).
#include <string>

#include "QRV_PlatformMemory.h"

namespace hw {

class RecordIni {
 public:
  RecordIni(const CQRV_LoadMemory* record, std::string path) : record_(record), path_(std::move(path)) {}

  int Int(const char* section, const char* key, int defaultValue) const;
  // A count bounded by its list's limit (util/CountRule.h): a refusal names this file, the section and the key.
  int Count(const char* section, const char* key, int defaultValue, int limit) const;
  float Float(const char* section, const char* key, float defaultValue) const;
  std::string String(const char* section, const char* key, const char* defaultText) const;
  // A hexadecimal text, with or without "0x".
  int Hex(const char* section, const char* key, const char* defaultText) const;
  bool WriteInt(const char* section, const char* key, int value) const;
  bool WriteString(const char* section, const char* key, const char* value) const;
  const std::string& Path() const { return path_; }

 private:
  const CQRV_LoadMemory* record_;
  std::string path_;
};

}  // namespace hw
