#pragma once
// The program's own helpers: ini access relative to the program folder, version strings, formatting,
// registry, folders, list fields, the task-bar mode and date-time texts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "port/ini.h"
#include "port/registry.h"
#include "util/IniRules.h"

// Settings paths relative to the program folder are read through 260-byte buffers.
inline constexpr std::size_t kIniTextBuffer = 260;

// The full path of a path relative to the program folder.
std::string ProgramFilePath(const std::string& relativePath);

std::string ReadIniText(const char* section, const char* key, int defaultValue, const std::string& relativePath);
std::string ReadIniString(const char* section, const char* key, const char* defaultText,
                          const std::string& relativePath);
std::string ReadIniStringAbs(const char* section, const char* key, const char* defaultText,
                             const std::string& fullPath);
int ReadIniInt(const char* section, const char* key, int defaultValue, const std::string& relativePath);
// A list's count: ReadIniInt bounded by the list's limit (util/CountRule.h); the refusal names the file as given.
int ReadIniCount(const char* section, const char* key, int defaultValue, int limit, const std::string& relativePath);
// For totals that outgrow an int (milliseconds of a whole lot): the leading decimal number of the value.
std::int64_t ReadIniInt64(const char* section, const char* key, std::int64_t defaultValue,
                          const std::string& relativePath);
// One parsed version of a file relative to the program folder (util/IniRules.h); read its texts with
// kIniTextBuffer as ReadIniString does. A count's refusal names the file as given.
util::ini::Snapshot ReadIniSnapshot(const std::string& relativePath);
int WriteIniString(const char* section, const char* key, const char* value, const std::string& relativePath);
int WriteIniInt(const char* section, const char* key, int value, const std::string& relativePath);
// Several keys of one section in one write of the file.
int WriteIniStrings(const char* section, const port::ini::KeyValues& values, const std::string& relativePath);

// "" when the file does not exist, "(null)" when it has no such version string.
std::string GetVersionInfoString(const std::string& path, const char* name);
std::string FormatCString(const char* format, ...) __attribute__((format(printf, 1, 2)));

using RegRootKey = port::registry::Root;
std::uint32_t RegReadInt(RegRootKey root, const char* subKey, const char* name, std::uint32_t defaultValue);
int RegReadString(RegRootKey root, const char* subKey, const char* name, const char* defaultText, char* buffer,
                  std::uint32_t size);
int RegWriteInt(RegRootKey root, const char* subKey, const char* name, std::uint32_t value);
int RegWriteString(RegRootKey root, const char* subKey, const char* name, const char* text);

// Nonzero when a file or folder matches; wildcards match too.
int PathExists(const std::string& path);
// The index-th field between separators (from 0); empty when there are fewer fields.
std::string ExtractField(const std::string& text, int index, char separator);
// The value of KEY=VALUE among the fields after the leading word; empty when absent.
std::string GetKeyValue(const std::string& list, const std::string& key, char separator);

void SetTaskbarAutoHide();
void SetTaskbarAlwaysOnTop();

// Local date-time down to the part the letter selects ('Y','M','D','H','B' minute,'S'), or that part
// alone when single is set; any other letter leaves the buffer unchanged.
void GetTimeText(char letter, char* buffer, std::size_t size, int single);
template <std::size_t N>
void GetTimeText(char letter, char (&buffer)[N], int single) {
  GetTimeText(letter, buffer, N, single);
}

// 1 when every character is a decimal digit (also for the empty text).
int IsDigitString(const std::string& text);

// 1 when the folder was created with every missing parent; 0 otherwise, also when it exists.
int CreateFolder(const std::string& folder);
// Permanent deletion or the Trash; 1 on success.
int RemoveFolder(const std::string& folder, int permanent);
// Double-NUL source and destination lists; 0 on success, else the copy's error code.
int CopyFolder(const char* sourceList, const char* destinationList);
