#pragma once
// The item's keys of the model's Test.ini.
#include <string>

#include "RelayFrame.h"

class CQRV_LoadMemory;

struct RmtSettings {
  int interval = 1000;
  int sleep = 100;
  int channel[kRelayChannels]{};
  int testPoint[kRelayTestPoints]{};
  int boardPort = 4001;
  int boardDummy = 0;
  std::string range = "RES:RANG 10E-1";
  int sendSleep = 100;
  int recvSleep = 100;
  std::string speed = ":SAMPLE:RATE FAST";
  int meterPort = 5025;
  std::string ipAddress = "127.0.0.1";
  int meterDummy = 0;
  int sampling = 5;
};

// Missing keys take the defaults above. Negative counts and delays read as 0: they size loops and waits.
RmtSettings LoadItemSettings(const CQRV_LoadMemory& record, const std::string& iniPath);
// Writes every key; false when the record has no ini writer or a write failed.
bool SaveItemSettings(const CQRV_LoadMemory& record, const std::string& iniPath, const RmtSettings& settings);
