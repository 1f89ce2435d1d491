#pragma once
// Readers and writers of the current model's Config.ini. Each call reads the model name and the file
// again, so a value saved by one window is what the next reader sees.
#include <string>
#include <vector>

class ModelSettings {
 public:
  // Config/QRV_Config.ini [QRV_Equip] Model_Name, "NULL" when missing.
  static std::string ReadModelName();
  static void WriteModelName(const std::string& model);
  // The folder Ref/<model> under the program folder, full path.
  static std::string ModelFolderPath(const std::string& model);
  // True when the model is one folder name (no separator, not "." or "..") of an existing folder under Ref.
  static bool ModelFolderExists(const std::string& model);
  // A name typed for a new model becomes a folder under Ref: empty text, "." and "..", path separators,
  // characters that are not allowed in a file name, blanks or dots at either end, the template's name and
  // names too long for the record's paths are refused. Empty when the name is usable, else the reason.
  static std::string CheckNewModelName(const std::string& name);
  // "Ref/<model>/Config.ini", relative to the program folder.
  static std::string GetConfigIniPath();
  // "Ref/<model>", relative to the program folder.
  static std::string GetModelFolder();

  // [SITE] site and [PARA] para, 1 when missing; [DRAW] draw, 0 when missing. Callers that must treat a
  // missing count differently (the site-name table) pass their own default.
  static int ReadSiteCount(int defaultValue = 1);
  static int ReadPara(int defaultValue = 1);
  static int ReadDraw(int defaultValue = 0);
  // The site count the station runs for a configured one: 1 to kMaxSites. When the configured count is not
  // usable and refusal is given, it receives the message that says so.
  static int UsableSiteCount(int configured, std::string* refusal);

  // [LOG] keys. LineName, MachineName and the two log folders read "0" when missing; an existing key with
  // an empty value reads as empty text.
  static std::string ReadLineName();
  static std::string ReadMachineName();
  static std::string ReadProductionLogPath();
  static std::string ReadEngineerLogPath();
  static std::string ReadUserMsg();
  static std::string ReadListLogSubName();
  // [LOG] ListLog as it is stored, or "<program>/Log/ListLog" when empty: what the model dialog shows and
  // stores back.
  static std::string ReadListLogPath();
  // The per-site list-log folder: ReadListLogPath as a usable path.
  static std::string GetListLogFolder();
  // A stored log folder as a usable full path: separators and drives mapped, a relative folder (the "0" of a
  // missing key too) taken under the program folder.
  static std::string ResolveLogFolder(const std::string& stored);
  // Today's <folder>/ImageFile/YYYYMMDD and <folder>/LogFile/YYYYMMDD, each with every missing parent.
  // True when both exist afterwards.
  static bool CreateDatedLogFolders(const std::string& storedFolder);

  // [LOT_NUMBER] number, "0" when missing.
  static std::string ReadLotNumber();
  static void WriteLotNumber(const std::string& lot);

  static constexpr const char* kTemplateModel = "Init_Model";
  // The models: every folder under Ref except the template Init_Model, sorted without case.
  static std::vector<std::string> ListModels();
};
