#include "ErrorCodeTable.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "port/ini.h"
#include "util/CountRule.h"
#include "util/IniRules.h"

namespace {

// Values were read through 260-character buffers; keep the same limit.
std::string ValueOf(const port::ini::Document* table, const std::string& section, const std::string& key,
                    const char* def) {
  const std::string* stored = table != nullptr ? table->Find(section, key) : nullptr;
  std::string value = stored != nullptr ? *stored : def;
  if (value.size() > 259) value.resize(259);
  return value;
}

std::string ReadValue(const std::string& path, const char* section, const std::string& key, const char* def) {
  return ValueOf(port::ini::ReadDocument(path).get(), section, key, def);
}

std::string Field(const std::string& text, int index) {
  std::size_t begin = 0;
  for (int i = 0; i < index; ++i) {
    const std::size_t comma = text.find(',', begin);
    if (comma == std::string::npos) return {};
    begin = comma + 1;
  }
  return text.substr(begin, text.find(',', begin) - begin);
}

bool IsDigits(const std::string& text) {
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

ErrorCodeTable::ErrorCodeTable(std::function<std::string()> errorCodePath)
    : m_errorCodePath(std::move(errorCodePath)) {}

ErrorCodeTable::Entry ErrorCodeTable::FindEntry(const std::string& dllName, int code) const {
  // The count and the entries come from one version of the file: a table saved meanwhile is not mixed in.
  const std::string path = m_errorCodePath();
  const std::shared_ptr<const port::ini::Document> table = port::ini::ReadDocument(path);
  const int count =
      util::ini::BoundCount(ValueOf(table.get(), dllName, "count", "0"), kMaxCodes, path, dllName.c_str(), "count");
  const std::string wanted = std::to_string(code);
  for (int i = 0; i < count; ++i) {
    const std::string entry = ValueOf(table.get(), dllName, std::to_string(i), "-1");
    if (Field(entry, 0) != "1" || Field(entry, 1) != wanted) continue;
    return {true, Field(entry, 2), Field(entry, 3)};
  }
  return {};
}

std::string ErrorCodeTable::GetErrorCodeText(const std::string& dllName, int code) const {
  switch (code) {
    case kCodeDllPath: return "Dll path FAIL";
    case kCodeDllLoadLibrary: return "Dll loadlibrary FAIL";
    case kCodeSimulationPath: return "Simulration path FAIL";
    case kCodeHandlerCode: return "Handler code FAIL";
    case kCodeBoardInUse: return kBoardInUseText;
    case kCodeNoCallCount: return "Define Counct FAIL";
    default: break;
  }
  const Entry entry = FindEntry(dllName, code);
  return entry.found ? entry.text : GetMessageFileText(code);
}

bool ErrorCodeTable::GetHandlerCode(const std::string& dllName, int& code) const {
  const Entry entry = FindEntry(dllName, code);
  if (!entry.found) return false;
  // An empty handler code for a failure would report a failed module as a pass: only an explicit "0" may.
  if (entry.handlerCode.empty()) {
    code = code == kCodePass ? kCodePass : kCodeHandlerCode;
    return true;
  }
  int value = 0;
  const char* end = entry.handlerCode.data() + entry.handlerCode.size();
  const auto parsed = std::from_chars(entry.handlerCode.data(), end, value);
  code = IsDigits(entry.handlerCode) && parsed.ec == std::errc() && parsed.ptr == end ? value : kCodeHandlerCode;
  return true;
}

std::string ErrorCodeTable::GetMessageFileText(int code) const {
  if (code == kCodePass) return "100";
  const std::string stored = ReadValue(m_errorCodePath(), "KR_PATH", "MESSAGE_KR_PATH", "");
  if (stored.empty()) return "Unused";
  const std::string path = util::ini::OpenPath(stored.c_str());
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return "Unused";
  return ReadValue(path, "CODE", std::to_string(code), "Undefined");
}

int ErrorCodeTable::GetStopCode() const {
  return std::atoi(ReadValue(m_errorCodePath(), "CODE", "STOP_CODE", "999").c_str());
}
