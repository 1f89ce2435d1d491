#pragma once
// Readers and writers of the current model's Config.ini. Each call reads the model name and the file
// again, so a value saved by one window is what the next reader sees.
#include <string>
#include <vector>

class ModelSettings {
 public:
  // Config/QRV_Config.ini [QRV_Equip] Model_Name, "NULL" when missing.
  static std::string ReadModelName();
  // "Ref/<model>/Config.ini", relative to the program folder.
  static std::string GetConfigIniPath();
  // "Ref/<model>", relative to the program folder.
  static std::string GetModelFolder();

  // [SITE] site and [PARA] para, 1 when missing; [DRAW] draw, 0 when missing. Callers that must treat a
  // missing count differently (the site-name table) pass their own default.
  static int ReadSiteCount(int defaultValue = 1);
  static int ReadPara(int defaultValue = 1);
  static int ReadDraw(int defaultValue = 0);

  // [LOG] keys. LineName, MachineName and the two log folders read "0" when missing; an existing key with
  // an empty value reads as empty text.
  static std::string ReadLineName();
  static std::string ReadMachineName();
  static std::string ReadProductionLogPath();
  static std::string ReadEngineerLogPath();
  static std::string ReadUserMsg();
  static std::string ReadListLogSubName();
  // The per-site list-log folder: [LOG] ListLog as a usable path, or "<program>/Log/ListLog" when empty.
  static std::string GetListLogFolder();

  // [LOT_NUMBER] number, "0" when missing.
  static std::string ReadLotNumber();
  static void WriteLotNumber(const std::string& lot);

  // The models: every folder under Ref except the template Init_Model, sorted without case.
  static std::vector<std::string> ListModels();
};
