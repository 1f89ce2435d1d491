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
  bool WriteInt(const char* section, const std::string& key, int value) const {
    return record_.IniWrite_Int && record_.IniWrite_Int(section, key.c_str(), value, path_.c_str()) != 0;
  }
  bool WriteText(const char* section, const char* key, const std::string& value) const {
    return record_.IniWrite_String && record_.IniWrite_String(section, key, value.c_str(), path_.c_str()) != 0;
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

bool SaveItemSettings(const CQRV_LoadMemory& record, const std::string& iniPath, const RmtSettings& s) {
  const IniAccess ini(record, iniPath);
  bool ok = ini.WriteInt(kBoard, "INTERVAL", s.interval) && ini.WriteInt(kBoard, "SLEEP", s.sleep);
  for (int i = 0; i < kRelayChannels; ++i) ok = ini.WriteInt(kBoard, "CHANNEL_" + std::to_string(i), s.channel[i]) && ok;
  for (int i = 0; i < kRelayTestPoints; ++i) ok = ini.WriteInt(kBoard, "TP_" + std::to_string(i), s.testPoint[i]) && ok;
  ok = ini.WriteInt(kBoard, "TCP_PORT", s.boardPort) && ok;
  ok = ini.WriteInt(kBoard, "DUMMY", s.boardDummy) && ok;
  ok = ini.WriteText(kHioki, "RANGE", s.range) && ok;
  ok = ini.WriteInt(kHioki, "SEND_SLEEP", s.sendSleep) && ok;
  ok = ini.WriteInt(kHioki, "RECV_SLEEP", s.recvSleep) && ok;
  ok = ini.WriteText(kHioki, "SPEED", s.speed) && ok;
  ok = ini.WriteInt(kHioki, "TCP_PORT", s.meterPort) && ok;
  ok = ini.WriteText(kHioki, "IP_ADDRESS", s.ipAddress) && ok;
  ok = ini.WriteInt(kHioki, "DUMMY", s.meterDummy) && ok;
  return ini.WriteInt(kHioki, "SAMPLING", s.sampling) && ok;
}
