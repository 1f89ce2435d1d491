#include "Util.h"

#include <algorithm>
#include <cassert>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "ProgramFolder.h"
#include "port/clock.h"
#include "port/message_box.h"
#include "port/path.h"
#include "port/taskbar.h"
#include "port/text.h"
#include "port/version.h"
#include "util/CountRule.h"
#include "util/FolderOps.h"
#include "util/IniRules.h"
#include "util/RegistryRules.h"

std::string ProgramFilePath(const std::string& relativePath) {
  return util::ini::OpenPath((ProgramFolder::Root() + "/" + port::NormalizePath(relativePath)).c_str());
}

std::string ReadIniText(const char* section, const char* key, int defaultValue, const std::string& relativePath) {
  return util::ini::ReadText(ProgramFilePath(relativePath), section, key, port::Format("%d", defaultValue).c_str(),
                             kIniTextBuffer);
}

std::string ReadIniString(const char* section, const char* key, const char* defaultText,
                          const std::string& relativePath) {
  return util::ini::ReadText(ProgramFilePath(relativePath), section, key, defaultText, kIniTextBuffer);
}

std::string ReadIniStringAbs(const char* section, const char* key, const char* defaultText,
                             const std::string& fullPath) {
  return util::ini::ReadText(util::ini::OpenPath(fullPath.c_str()), section, key, defaultText, kIniTextBuffer);
}

int ReadIniInt(const char* section, const char* key, int defaultValue, const std::string& relativePath) {
  return util::ini::ReadInt(ProgramFilePath(relativePath), section, key, defaultValue, kIniTextBuffer);
}

int ReadIniCount(const char* section, const char* key, int defaultValue, int limit, const std::string& relativePath) {
  const std::string text = util::ini::ReadText(ProgramFilePath(relativePath), section, key,
                                               std::to_string(defaultValue).c_str(), kIniTextBuffer);
  return util::ini::BoundCount(text, limit, relativePath, section, key);
}

std::int64_t ReadIniInt64(const char* section, const char* key, std::int64_t defaultValue,
                          const std::string& relativePath) {
  const std::string text = util::ini::ReadText(ProgramFilePath(relativePath), section, key,
                                               std::to_string(defaultValue).c_str(), kIniTextBuffer);
  return std::strtoll(text.c_str(), nullptr, 10);
}

util::ini::Snapshot ReadIniSnapshot(const std::string& relativePath) {
  return util::ini::Snapshot(ProgramFilePath(relativePath), relativePath);
}

int WriteIniString(const char* section, const char* key, const char* value, const std::string& relativePath) {
  return util::ini::WriteText(ProgramFilePath(relativePath), section, key, value);
}

int WriteIniStrings(const char* section, const port::ini::KeyValues& values, const std::string& relativePath) {
  return util::ini::WriteTexts(ProgramFilePath(relativePath), section, values);
}

int WriteIniInt(const char* section, const char* key, int value, const std::string& relativePath) {
  return util::ini::WriteInt(ProgramFilePath(relativePath), section, key, value);
}

std::string GetVersionInfoString(const std::string& path, const char* name) {
  const std::string file = util::ini::OpenPath(path.c_str());
  if (!name || !util::folder::PathExists(file)) return {};
  return port::ReadVersionString(file, name);
}

std::string FormatCString(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = port::FormatV(format, args);
  va_end(args);
  return text;
}

std::uint32_t RegReadInt(RegRootKey root, const char* subKey, const char* name, std::uint32_t defaultValue) {
  return util::reg::ReadInt(root, subKey, name, defaultValue);
}

int RegReadString(RegRootKey root, const char* subKey, const char* name, const char* defaultText, char* buffer,
                  std::uint32_t size) {
  return util::reg::ReadString(root, subKey, name, defaultText, buffer, size);
}

int RegWriteInt(RegRootKey root, const char* subKey, const char* name, std::uint32_t value) {
  return util::reg::WriteInt(root, subKey, name, value);
}

int RegWriteString(RegRootKey root, const char* subKey, const char* name, const char* text) {
  return util::reg::WriteString(root, subKey, name, text);
}

int PathExists(const std::string& path) { return util::folder::PathExists(path) ? 1 : 0; }

std::string ExtractField(const std::string& text, int index, char separator) {
  if (index < 0) return {};
  std::size_t begin = 0;
  for (int field = 0; field < index; ++field) {
    begin = text.find(separator, begin);
    if (begin == std::string::npos) return {};
    ++begin;
  }
  const std::size_t end = text.find(separator, begin);
  return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

std::string GetKeyValue(const std::string& list, const std::string& key, char separator) {
  for (int index = 1;; ++index) {
    const std::string field = ExtractField(list, index, separator);
    if (field.empty()) return {};
    if (ExtractField(field, 0, '=') == key) return ExtractField(field, 1, '=');
  }
}

void SetTaskbarAutoHide() { port::taskbar::SetState(port::taskbar::State::AutoHide); }

void SetTaskbarAlwaysOnTop() { port::taskbar::SetState(port::taskbar::State::AlwaysOnTop); }

void GetTimeText(char letter, char* buffer, std::size_t size, int single) {
  if (!buffer || size == 0) return;
  const port::clock::LocalTime t = port::clock::NowLocal();
  const int parts[] = {t.year, t.month, t.day, t.hour, t.minute, t.second};
  static constexpr char kLetters[] = "YMDHBS";
  const char* found = std::find(kLetters, kLetters + 6, letter);
  if (found == kLetters + 6) return;
  const auto depth = static_cast<std::size_t>(found - kLetters);
  if (single) {
    std::snprintf(buffer, size, depth == 0 ? "%04d" : "%02d", parts[depth]);
    return;
  }
  std::string text = port::Format("%04d", t.year);
  for (std::size_t part = 1; part <= depth; ++part) {
    if (part == 3) text += '_';
    text += port::Format("%02d", parts[part]);
  }
  port::CopyText(buffer, size, text);
}

int IsDigitString(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) ? 1 : 0;
}

int CreateFolder(const std::string& folder) {
  assert(!folder.empty());
  return util::folder::CreateFolder(folder);
}

int RemoveFolder(const std::string& folder, int permanent) {
  assert(!folder.empty());
  return util::folder::RemoveFolder(folder, permanent != 0);
}

int CopyFolder(const char* sourceList, const char* destinationList) {
  assert(sourceList && destinationList);
  return util::folder::CopyFolders(sourceList, destinationList);
}
