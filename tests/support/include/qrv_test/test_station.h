#pragma once
// A platform record without the main program (no utility library; the fields the hardware library reads
// point at test functions) and a temporary station folder holding the board libraries and a model.
#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <utility>
#include <string>
#include <vector>

#include "HardwareFunctionTable.h"
#include "QRV_PlatformMemory.h"
#include "port/ini.h"
#include "port/message_box.h"
#include "port/text.h"
#include "qrv_test/set_log_capture.h"

namespace hw_test {

namespace fs = std::filesystem;

// The lines written through the record's SetLog since the last call, as "<site letter>:<text>".
inline std::vector<std::string> TakeSiteLines() {
  std::vector<std::string> lines;
  for (const qrv::test::SetLogLine& line : qrv::test::TakeCapturedSetLog())
    lines.push_back(std::string(1, static_cast<char>('A' + line.site)) + ":" + line.text);
  return lines;
}

inline std::string IniString(const char* s, const char* k, const char* d, const char* p) {
  return port::ini::ReadString(p, s, k, d);
}
inline int IniInt(const char* s, const char* k, int d, const char* p) {
  const std::string text = port::ini::ReadString(p, s, k, "\x01");
  return text == "\x01" ? d : std::atoi(text.c_str());
}
inline float IniFloat(const char* s, const char* k, float d, const char* p) {
  const std::string text = port::ini::ReadString(p, s, k, "\x01");
  return text == "\x01" ? d : std::strtof(text.c_str(), nullptr);
}
inline int IniWriteInt(const char* s, const char* k, int v, const char* p) {
  return port::ini::WriteString(p, s, k, std::to_string(v).c_str()) ? 1 : 0;
}
inline int IniWriteString(const char* s, const char* k, const char* v, const char* p) {
  return port::ini::WriteString(p, s, k, v) ? 1 : 0;
}
inline int CreateFolder(const char* folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder) ? 1 : 0;
}

class TestRecord {
 public:
  TestRecord(const std::string& root, int para) : record_(root + "/missing_RigUtil.dll") {
    // The record's own load failure is not a box of the library under test.
    port::ClearShownMessageBoxes();
    record_.IniRead_String = &IniString;
    record_.IniRead_Int = &IniInt;
    record_.IniRead_Float = &IniFloat;
    record_.IniWrite_Int = &IniWriteInt;
    record_.IniWrite_String = &IniWriteString;
    record_.DirectoryCreate = &CreateFolder;
    record_.SetLog = &qrv::test::CaptureSetLog;
    record_.m_nPara = static_cast<std::uint32_t>(para);
    record_.m_nSiteCount = static_cast<std::uint32_t>(para);
    port::CopyText(record_.m_szRoot, root);
    const std::string model = root + "/Ref/Init_Model";
    port::CopyText(record_.m_szModelPath, model);
    port::CopyText(record_.m_szSensorPath, model + "/Sensor.ini");
    port::CopyText(record_.m_szRegisterPath, model + "/Register.ini");
  }
  CQRV_LoadMemory* get() { return &record_; }
  std::string SensorPath() const { return record_.m_szSensorPath; }
  std::string RegisterPath() const { return record_.m_szRegisterPath; }

 private:
  CQRV_LoadMemory record_;
};

// A station folder in the temp folder: System/ with the hardware library, HW_Loadlibrary/HW_Velkara/ with
// the facade and a board library, Ref/Init_Model/ with the given model files.
class TestStation {
 public:
  // boardLibrary: a board library file to put beside the built facade; empty: the built station's whole
  // System folder (the real board library, driver interface and simulator).
  TestStation(const std::string& name, const std::string& boardLibrary) {
    root_ = fs::temp_directory_path() / ("hw_station_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(root_);
    const fs::path board = root_ / "System/HW_Loadlibrary/HW_Velkara";
    fs::create_directories(root_ / "Ref/Init_Model");
    if (boardLibrary.empty()) {
      fs::copy(fs::path(QRV_STATION_DIR) / "System", root_ / "System", fs::copy_options::recursive);
    } else {
      fs::create_directories(board);
      fs::copy_file(QRV_FACADE_FILE, board / "HW_Velkara_Encapsulation_x64.dll");
      fs::copy_file(boardLibrary, board / "V6_Velkara_x64.dll");
    }
    fs::copy_file(QRV_HW_FILE, root_ / "System/QRV_PlatformHW.dll", fs::copy_options::overwrite_existing);
  }
  ~TestStation() { fs::remove_all(root_); }

  std::string Root() const { return root_.string(); }
  std::string ModelFile(const char* name) const { return (root_ / "Ref/Init_Model" / name).string(); }
  std::string BoardFile() const { return (root_ / "System/HW_Loadlibrary/HW_Velkara/V6_Velkara_x64.dll").string(); }
  std::string HardwareFile() const { return (root_ / "System/QRV_PlatformHW.dll").string(); }

 private:
  fs::path root_;
};

// The hardware library loaded from a station, as the main program loads it.
class LoadedHardware {
 public:
  LoadedHardware(const TestStation& station, CQRV_LoadMemory* record) : record_(record) {
    module_ = dlopen(station.HardwareFile().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module_) return;
    auto load = reinterpret_cast<LoadHardware_Fn>(dlsym(module_, "Load_Hardware"));
    table_ = load(nullptr, record, &module_);
  }
  ~LoadedHardware() {
    if (!module_) return;
    reinterpret_cast<LoadOnDelete_Fn>(dlsym(module_, "Load_OnDelete"))(record_);
    dlclose(module_);
  }
  LoadedHardware(const LoadedHardware&) = delete;
  LoadedHardware& operator=(const LoadedHardware&) = delete;

  HardwareFunctionTable* table() const { return table_; }
  void* module() const { return module_; }
  template <typename Fn>
  Fn Find(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(module_, name));
  }

 private:
  CQRV_LoadMemory* record_;
  void* module_ = nullptr;
  HardwareFunctionTable* table_ = nullptr;
};

// The simulated boards stay loaded for the process, so several tests in one process would meet each
// other's modules and faults: each test that starts a station starts on fresh boards.
inline void ResetLoadedSimBoards() {
  void* sim = dlopen("VelkaraSim.so", RTLD_NOW | RTLD_NOLOAD);
  if (!sim) return;
  if (auto reset = reinterpret_cast<void (*)()>(dlsym(sim, "VelkaraSim_Reset"))) reset();
  dlclose(sim);
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace hw_test
