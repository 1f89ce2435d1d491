#include "RmtSettings.h"

#include <algorithm>
#include <string>

#include "QRV_PlatformMemory.h"

namespace {

constexpr char kBoard[] = "RMT_BOARD_SETTING";
constexpr char kHioki[] = "HIOKI_SETTING";

class IniAccess {
 public:
  IniAccess(const CQRV_LoadMemory& record, const std::string& path) : record_(record), path_(path) {}

  int Int(const char* section, const std::string& key, int fallback) const {
    return record_.IniRead_Int ? record_.IniRead_Int(section, key.c_str(), fallback, path_.c_str()) : fallback;
  }
  int Count(const char* section, const std::string& key, int fallback) const {
    return std::max(0, Int(section, key, fallback));
  }
  std::string Text(const char* section, const char* key, const std::string& fallback) const {
    return record_.IniRead_String ? record_.IniRead_String(section, key, fallback.c_str(), path_.c_str()) : fallback;
  }

 private:
  const CQRV_LoadMemory& record_;
  const std::string& path_;
};

}  // namespace

RmtSettings LoadItemSettings(const CQRV_LoadMemory& record, const std::string& iniPath) {
  const IniAccess ini(record, iniPath);
  RmtSettings s;
  s.interval = ini.Count(kBoard, "INTERVAL", s.interval);
  s.sleep = ini.Count(kBoard, "SLEEP", s.sleep);
  for (int i = 0; i < kRelayChannels; ++i) s.channel[i] = ini.Int(kBoard, "CHANNEL_" + std::to_string(i), 0);
  for (int i = 0; i < kRelayTestPoints; ++i) s.testPoint[i] = ini.Int(kBoard, "TP_" + std::to_string(i), 0);
  s.boardPort = ini.Int(kBoard, "TCP_PORT", s.boardPort);
  s.boardDummy = ini.Int(kBoard, "DUMMY", s.boardDummy);
  s.range = ini.Text(kHioki, "RANGE", s.range);
  s.sendSleep = ini.Count(kHioki, "SEND_SLEEP", s.sendSleep);
  s.recvSleep = ini.Count(kHioki, "RECV_SLEEP", s.recvSleep);
  s.speed = ini.Text(kHioki, "SPEED", s.speed);
  s.meterPort = ini.Int(kHioki, "TCP_PORT", s.meterPort);
  s.ipAddress = ini.Text(kHioki, "IP_ADDRESS", s.ipAddress);
  s.meterDummy = ini.Count(kHioki, "DUMMY", s.meterDummy);
  s.sampling = ini.Count(kHioki, "SAMPLING", s.sampling);
  return s;
}
