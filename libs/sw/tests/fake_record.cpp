#include "fake_record.h"

#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <mutex>

// The record's constructors belong to the main program; the tests build the record without it.
CRigUtil::CRigUtil() : m_hRigUtil(nullptr) {
#define QRV_NULL_SLOT(name, result, params) name = nullptr;
  QRV_RIGUTIL_FUNCTIONS(QRV_NULL_SLOT)
#undef QRV_NULL_SLOT
}
CRigUtil::~CRigUtil() = default;

CQRVPlatformMemory::CQRVPlatformMemory()
    : SetLog(nullptr), m_hMainWnd(nullptr), m_hSiteWnd(nullptr), m_rcMainClient{}, m_rcView{}, m_hViewDC{},
      m_hMemDC{}, m_nPara(1), m_nSiteCount(kMaxSites), m_nLoginLevel(0), m_nStopAll(0), m_nSiteStop{},
      m_nOverrideMode(0), m_nSimulationMode(0), m_szLotNumber{}, m_szRoot{}, m_szModelName{}, m_szModelPath{},
      m_szSensorPath{}, m_szRegisterPath{}, m_szSimulationPath{}, m_szProductionPath{}, m_szEngineerPath{},
      m_szMachineName{}, m_szLineName{}, m_hViewWnd{} {}

CQRV_LoadMemory::CQRV_LoadMemory()
    : m_szHardwareVer{}, m_szProtocolVer{}, m_szSoftwareVer{}, m_szPlatformVer{}, Load_Protocol(nullptr),
      Load_Hardware(nullptr), Load_OnDelete(nullptr), GetDllVersion(nullptr), m_pInterFaceSW(nullptr),
      Load_OnCreate(nullptr), OnImagefit(nullptr), SetDrawPos(nullptr), SetZoom(nullptr),
      GetTestingImageSave(nullptr), SetFullView(nullptr), m_hHardware(nullptr), m_pHardwareTable(nullptr),
      m_hProtocol(nullptr), m_pProtocolTable(nullptr), GetUSBID(nullptr), OnPlay(nullptr), OnReadSpec(nullptr),
      GetDeviecInit(nullptr), PowerDownSequence(nullptr), m_hMES(nullptr), m_pMES(nullptr), HardwareType(0),
      ProtocolType(0) {}
CQRV_LoadMemory::~CQRV_LoadMemory() = default;

namespace qrv::sw::test {
namespace {

std::mutex g_mutex;
std::map<std::string, int> g_sensor;
std::vector<std::string> g_log;

std::string Key(const std::string& section, const std::string& key) { return section + "/" + key; }

int ReadInt(const char* section, const char* key, int defaultValue, const char*) {
  return FakeRecord::Sensor(section, key, defaultValue);
}

int WriteInt(const char* section, const char* key, int value, const char*) {
  FakeRecord::SetSensor(section, key, value);
  return 1;
}

int CreateFolder(const char* folder) {
  std::error_code ec;
  return std::filesystem::create_directories(folder, ec) ? 1 : 0;
}

void Log(int, const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  const std::lock_guard lock(g_mutex);
  g_log.emplace_back(text);
}

}  // namespace

FakeRecord::FakeRecord() : record_(std::make_unique<CQRV_LoadMemory>()) {
  record_->IniRead_Int = ReadInt;
  record_->IniWrite_Int = WriteInt;
  record_->DirectoryCreate = CreateFolder;
  record_->SetLog = Log;
  std::strcpy(record_->m_szSensorPath, "Sensor.ini");
}

FakeRecord::~FakeRecord() = default;

void FakeRecord::SetSensor(const std::string& section, const std::string& key, int value) {
  const std::lock_guard lock(g_mutex);
  g_sensor[Key(section, key)] = value;
}

int FakeRecord::Sensor(const std::string& section, const std::string& key, int defaultValue) {
  const std::lock_guard lock(g_mutex);
  const auto it = g_sensor.find(Key(section, key));
  return it == g_sensor.end() ? defaultValue : it->second;
}

void FakeRecord::ClearSensor() {
  const std::lock_guard lock(g_mutex);
  g_sensor.clear();
  g_log.clear();
}

std::vector<std::string> FakeRecord::LogLines() {
  const std::lock_guard lock(g_mutex);
  return g_log;
}

}  // namespace qrv::sw::test
