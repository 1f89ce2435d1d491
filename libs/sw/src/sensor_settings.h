#pragma once
// The Sensor.ini values that every converted frame needs. They are read again only when the file's path,
// identity, size or times change, so a frame neither parses the file nor allocates.
#include <sys/types.h>

#include <array>
#include <ctime>
#include <mutex>
#include <string>

#include "QRV_PlatformMemory.h"

namespace qrv::sw {

struct SensorFrameSettings {
  int frameX = 0;   // [SENSOR_SET] QRV_SENSOR_SIZE_FRAME_X
  int frameY = 0;   // [SENSOR_SET] QRV_SENSOR_SIZE_FRAME_Y
  int bufferX = 0;  // [SENSOR_SET] QRV_SENSOR_BUFFER_SIZE_X
  int bufferY = 0;  // [SENSOR_SET] QRV_SENSOR_BUFFER_SIZE_Y
};

class SensorSettingsCache {
 public:
  // Safe on any thread; 0 for every value without a record or its reader.
  SensorFrameSettings Get(const CQRV_LoadMemory* record);

 private:
  struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    bool operator==(const FileStamp& other) const;
  };
  static FileStamp StampOf(const std::string& file);

  std::mutex mutex_;
  std::array<char, sizeof(CQRV_LoadMemory::m_szSensorPath)> storedPath_{};
  std::string file_;
  bool valid_ = false;
  FileStamp stamp_;
  SensorFrameSettings settings_;
};

}  // namespace qrv::sw
