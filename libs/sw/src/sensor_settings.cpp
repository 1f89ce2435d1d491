#include "sensor_settings.h"

#include <sys/stat.h>

#include <cstring>

#include "port/path.h"

namespace qrv::sw {

bool SensorSettingsCache::FileStamp::operator==(const FileStamp& other) const {
  return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
         modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
         changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
}

SensorSettingsCache::FileStamp SensorSettingsCache::StampOf(const std::string& file) {
  struct stat st {};
  FileStamp stamp;
  if (file.empty() || ::stat(file.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.modified = st.st_mtim;
  stamp.changed = st.st_ctim;
  return stamp;
}

SensorFrameSettings SensorSettingsCache::Get(const CQRV_LoadMemory* record) {
  if (!record || !record->IniRead_Int) return {};
  const std::lock_guard lock(mutex_);
  const char* stored = record->m_szSensorPath;
  if (std::strncmp(stored, storedPath_.data(), storedPath_.size() - 1) != 0) {
    const std::size_t length = strnlen(stored, storedPath_.size() - 1);
    std::memcpy(storedPath_.data(), stored, length);
    storedPath_[length] = '\0';
    file_ = port::ResolvePathCase(port::NormalizePath(storedPath_.data()));
    valid_ = false;
  }
  const FileStamp now = StampOf(file_);
  if (valid_ && now == stamp_) return settings_;
  const auto read = [&](const char* key) { return record->IniRead_Int("SENSOR_SET", key, 0, storedPath_.data()); };
  settings_.frameX = read("QRV_SENSOR_SIZE_FRAME_X");
  settings_.frameY = read("QRV_SENSOR_SIZE_FRAME_Y");
  settings_.bufferX = read("QRV_SENSOR_BUFFER_SIZE_X");
  settings_.bufferY = read("QRV_SENSOR_BUFFER_SIZE_Y");
  stamp_ = now;
  valid_ = true;
  return settings_;
}

}  // namespace qrv::sw
