#include "sensor_settings.h"

namespace qrv::sw {

SensorFrameSettings ReadSensorFrameSettings(const CQRV_LoadMemory* record) {
  if (!record || !record->IniRead_Int) return {};
  const auto read = [record](const char* key) {
    return record->IniRead_Int("SENSOR_SET", key, 0, record->m_szSensorPath);
  };
  return {read("QRV_SENSOR_SIZE_FRAME_X"), read("QRV_SENSOR_SIZE_FRAME_Y"), read("QRV_SENSOR_BUFFER_SIZE_X"),
          read("QRV_SENSOR_BUFFER_SIZE_Y")};
}

}  // namespace qrv::sw
