#pragma once
// The Sensor.ini values that every converted frame needs. Read at each frame through the record: the ini
// reader keeps the parsed file until it changes, so a frame neither parses the file nor allocates.
#include "QRV_PlatformMemory.h"

namespace qrv::sw {

struct SensorFrameSettings {
  int frameX = 0;   // [SENSOR_SET] QRV_SENSOR_SIZE_FRAME_X
  int frameY = 0;   // [SENSOR_SET] QRV_SENSOR_SIZE_FRAME_Y
  int bufferX = 0;  // [SENSOR_SET] QRV_SENSOR_BUFFER_SIZE_X
  int bufferY = 0;  // [SENSOR_SET] QRV_SENSOR_BUFFER_SIZE_Y
};

// Any thread; 0 for every value without a record or its reader.
SensorFrameSettings ReadSensorFrameSettings(const CQRV_LoadMemory* record);

}  // namespace qrv::sw
