#include "ModelSettings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "ProgramFolder.h"
#include "QRV_Types.h"
#include "Util.h"
#include "port/clock.h"
#include "port/path.h"
#include "port/text.h"

namespace {

// The record keeps "<program>/Ref/<model>/..." in 260-byte fields: a longer name would be cut there.
constexpr std::size_t kMaxModelName = 100;

std::string ReadLog(const char* key, const char* defaultText) {
  return ReadIniString("LOG", key, defaultText, ModelSettings::GetConfigIniPath());
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

std::string ModelSettings::ReadModelName() {
  return ReadIniString("QRV_Equip", "Model_Name", "NULL", "Config/QRV_Config.ini");
}

void ModelSettings::WriteModelName(const std::string& model) {
  WriteIniString("QRV_Equip", "Model_Name", model.c_str(), "Config/QRV_Config.ini");
}

std::string ModelSettings::ModelFolderPath(const std::string& model) {
  return port::JoinPath(port::JoinPath(ProgramFolder::Root(), "Ref"), model);
}

bool ModelSettings::ModelFolderExists(const std::string& model) {
  if (model.empty() || model == "." || model == ".." || model.find_first_of("/\\") != std::string::npos) return false;
  std::error_code error;
  return std::filesystem::is_directory(port::ResolvePathCase(ModelFolderPath(model)), error);
}

std::string ModelSettings::CheckNewModelName(const std::string& name) {
  if (name.empty()) return "Type a name for the new model.";
  if (name == "." || name == "..") return "\"" + name + "\" is not a model name.";
  if (name.find_first_of("/\\") != std::string::npos) return "A model name cannot contain '/' or '\\'.";
  for (const unsigned char c : name)
    if (c < 0x20 || c == 0x7f || std::string_view(":*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
      return "A model name cannot contain control characters or any of : * ? \" < > |";
  if (name.front() == ' ' || name.back() == ' ' || name.front() == '.' || name.back() == '.')
    return "A model name cannot begin or end with a blank or a dot.";
  if (port::EqualsNoCase(name, kTemplateModel)) return "Init_Model is the template of every model.";
  if (name.size() > kMaxModelName) return port::Format("A model name has at most %zu characters.", kMaxModelName);
  return {};
}

std::string ModelSettings::GetConfigIniPath() { return GetModelFolder() + "/Config.ini"; }

std::string ModelSettings::GetModelFolder() { return "Ref/" + ReadModelName(); }

int ModelSettings::ReadSiteCount(int defaultValue) { return ReadIniInt("SITE", "site", defaultValue, GetConfigIniPath()); }

int ModelSettings::ReadPara(int defaultValue) { return ReadIniInt("PARA", "para", defaultValue, GetConfigIniPath()); }

int ModelSettings::ReadDraw(int defaultValue) { return ReadIniInt("DRAW", "draw", defaultValue, GetConfigIniPath()); }

int ModelSettings::UsableSiteCount(int configured, std::string* refusal) {
  const int usable = std::clamp(configured, 1, kMaxSites);
  if (usable != configured && refusal != nullptr)
    *refusal = configured == -1
                   ? port::Format("Config.ini [SITE] site is missing: the station runs %d site.", usable)
                   : port::Format("Config.ini [SITE] site=%d is not a site count from 1 to %d: the station runs %d "
                                  "site(s).", configured, kMaxSites, usable);
  return usable;
}

std::string ModelSettings::ReadLineName() { return ReadLog("LineName", "0"); }

std::string ModelSettings::ReadMachineName() { return ReadLog("MachineName", "0"); }

std::string ModelSettings::ReadProductionLogPath() { return ReadLog("ProductionLog", "0"); }

std::string ModelSettings::ReadEngineerLogPath() { return ReadLog("EngineerLog", "0"); }

std::string ModelSettings::ReadUserMsg() { return ReadLog("UserMsg", ""); }

std::string ModelSettings::ReadListLogSubName() { return ReadLog("ListLog_SubName", ""); }

std::string ModelSettings::ReadListLogPath() {
  const std::string stored = ReadLog("ListLog", "");
  if (stored.empty()) return port::JoinPath(port::JoinPath(ProgramFolder::Root(), "Log"), "ListLog");
  return stored;
}

std::string ModelSettings::GetListLogFolder() { return ResolveLogFolder(ReadListLogPath()); }

std::string ModelSettings::ResolveLogFolder(const std::string& stored) {
  std::string folder = port::NormalizePath(stored);
  // A relative folder belongs to the station, whatever the working directory.
  if (!std::filesystem::path(folder).is_absolute()) folder = port::JoinPath(ProgramFolder::Root(), folder);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

bool ModelSettings::CreateDatedLogFolders(const std::string& storedFolder) {
  const port::clock::LocalTime now = port::clock::NowLocal();
  const std::string today = port::Format("%04d%02d%02d", now.year, now.month, now.day);
  const std::filesystem::path base(ResolveLogFolder(storedFolder));
  bool ready = true;
  for (const char* kind : {"ImageFile", "LogFile"}) {
    const std::filesystem::path folder = base / kind / today;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    ready = std::filesystem::is_directory(folder, error) && ready;
  }
  return ready;
}

std::string ModelSettings::ReadLotNumber() { return ReadIniString("LOT_NUMBER", "number", "0", GetConfigIniPath()); }

void ModelSettings::WriteLotNumber(const std::string& lot) {
  WriteIniString("LOT_NUMBER", "number", lot.c_str(), GetConfigIniPath());
}

std::vector<std::string> ModelSettings::ListModels() {
  std::vector<std::string> models;
  std::error_code error;
  const std::filesystem::path ref = std::filesystem::path(ProgramFolder::Root()) / "Ref";
  for (const auto& entry : std::filesystem::directory_iterator(ref, error)) {
    if (!entry.is_directory(error)) continue;
    std::string name = entry.path().filename().string();
    if (name != kTemplateModel) models.push_back(std::move(name));
  }
  std::sort(models.begin(), models.end(), [](const std::string& a, const std::string& b) {
    const std::string la = Lower(a), lb = Lower(b);
    return la != lb ? la < lb : a < b;
  });
  return models;
}
