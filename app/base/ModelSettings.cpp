#include "ModelSettings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "ProgramFolder.h"
#include "Util.h"
#include "port/path.h"
#include "port/text.h"

namespace {

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

std::string ModelSettings::GetConfigIniPath() { return GetModelFolder() + "/Config.ini"; }

std::string ModelSettings::GetModelFolder() { return "Ref/" + ReadModelName(); }

int ModelSettings::ReadSiteCount(int defaultValue) { return ReadIniInt("SITE", "site", defaultValue, GetConfigIniPath()); }

int ModelSettings::ReadPara(int defaultValue) { return ReadIniInt("PARA", "para", defaultValue, GetConfigIniPath()); }

int ModelSettings::ReadDraw(int defaultValue) { return ReadIniInt("DRAW", "draw", defaultValue, GetConfigIniPath()); }

std::string ModelSettings::ReadLineName() { return ReadLog("LineName", "0"); }

std::string ModelSettings::ReadMachineName() { return ReadLog("MachineName", "0"); }

std::string ModelSettings::ReadProductionLogPath() { return ReadLog("ProductionLog", "0"); }

std::string ModelSettings::ReadEngineerLogPath() { return ReadLog("EngineerLog", "0"); }

std::string ModelSettings::ReadUserMsg() { return ReadLog("UserMsg", ""); }

std::string ModelSettings::ReadListLogSubName() { return ReadLog("ListLog_SubName", ""); }

std::string ModelSettings::GetListLogFolder() {
  const std::string stored = ReadLog("ListLog", "");
  if (stored.empty()) return port::JoinPath(port::JoinPath(ProgramFolder::Root(), "Log"), "ListLog");
  std::string folder = port::NormalizePath(stored);
  // A relative folder belongs to the station, whatever the working directory.
  if (!std::filesystem::path(folder).is_absolute()) folder = port::JoinPath(ProgramFolder::Root(), folder);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
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
    if (name != "Init_Model") models.push_back(std::move(name));
  }
  std::sort(models.begin(), models.end(), [](const std::string& a, const std::string& b) {
    const std::string la = Lower(a), lb = Lower(b);
    return la != lb ? la < lb : a < b;
  });
  return models;
}
