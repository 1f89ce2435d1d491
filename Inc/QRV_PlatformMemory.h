#pragma once
// The platform record: the one block of shared state handed to every library and test item.
// Its layout is an interface between separately built deliverables: fields keep their order, the class
// has no virtual functions, and the offsets are pinned below.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "QRV_RigUtil.h"
#include "QRV_Types.h"

class CInterFace_SW;
class CQRV_LoadMemory;
struct HardwareFunctionTable;
struct ProtocolFunctionTable;

using SetLog_Fn = void (*)(int site, const char* format, ...);

// Head of the record: the utility library's module and its 18 functions.
class CRigUtil {
 public:
  // Loads DefaultLibraryPath().
  CRigUtil();
  // Loads the library at the given path (tests and tools point it elsewhere).
  explicit CRigUtil(const std::string& libraryPath);
  ~CRigUtil();
  CRigUtil(const CRigUtil&) = delete;
  CRigUtil& operator=(const CRigUtil&) = delete;

  // True when the library loaded and all 18 functions are bound.
  bool IsComplete() const;

  // "<program folder>/System/RigUtil_x64.dll".
  static std::string DefaultLibraryPath();

  // Every field starts zero: callers test a slot or handle before they use it.
  ModuleHandle m_hRigUtil = nullptr;
#define QRV_RIGUTIL_SLOT(name, result, params) name##_Fn name = nullptr;
  QRV_RIGUTIL_FUNCTIONS(QRV_RIGUTIL_SLOT)
#undef QRV_RIGUTIL_SLOT
};

// The platform values. Flags polled by worker threads are atomics of the width the layout gives them.
class CQRVPlatformMemory : public CRigUtil {
 public:
  CQRVPlatformMemory();
  explicit CQRVPlatformMemory(const std::string& libraryPath);

  CQRV_LoadMemory* GetLoadMemory();

  std::uint32_t GetPara() const { return m_nPara; }
  std::uint32_t GetSiteCount() const { return m_nSiteCount; }
  std::uint32_t GetLoginLevel() const { return m_nLoginLevel.load(); }
  std::uint32_t GetStopButtonFlag() const { return m_nStopAll.load(); }
  void SetStopButtonFlag(std::uint32_t value) { m_nStopAll.store(value); }
  // Out-of-range sites read 0 and are never written.
  std::uint32_t GetSiteStopFlag(int site) const { return IsValidSite(site) ? m_nSiteStop[site].load() : 0; }
  void SetSiteStopFlag(int site, std::uint32_t value) {
    if (IsValidSite(site)) m_nSiteStop[site].store(value);
  }
  std::uint32_t GetOverridemode() const { return m_nOverrideMode.load(); }
  std::uint32_t GetSimulationMode() const { return m_nSimulationMode.load(); }
  DeviceContext GetViewDC(int site) const { return IsValidSite(site) ? m_hViewDC[site] : nullptr; }

  std::string GetLotNumber() const { return m_szLotNumber; }
  std::string GetRoot() const { return m_szRoot; }
  std::string GetModelName() const { return m_szModelName; }
  std::string GetModelPath() const { return m_szModelPath; }
  std::string GetSensorPath() const { return m_szSensorPath; }
  std::string GetRegisterPath() const { return m_szRegisterPath; }
  std::string GetSimulationPath() const { return m_szSimulationPath; }
  std::string GetProductionPath() const { return m_szProductionPath; }
  std::string GetEnginnerPath() const { return m_szEngineerPath; }
  std::string GetMachineName() const { return m_szMachineName; }
  std::string GetLineName() const { return m_szLineName; }

  static std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));

  SetLog_Fn SetLog = nullptr;                 // 20
  WindowHandle m_hMainWnd = nullptr;          // 21
  WindowHandle m_hSiteWnd = nullptr;          // 22
  QrvRect m_rcMainClient{};                   // 23
  QrvRect m_rcView[kMaxSites]{};              // 24
  DeviceContext m_hViewDC[kMaxSites]{};       // 25
  DeviceContext m_hMemDC[kMaxSites]{};        // 26
  std::uint32_t m_nPara = 0;                  // 27
  std::uint32_t m_nSiteCount = 0;             // 28
  std::atomic<std::uint32_t> m_nLoginLevel{0};  // 29
  std::atomic<std::uint32_t> m_nStopAll{0};   // 30
  std::atomic<std::uint32_t> m_nSiteStop[kMaxSites]{};  // 31
  std::atomic<std::uint32_t> m_nOverrideMode{0}; // 32
  std::atomic<std::uint32_t> m_nSimulationMode{0};  // 33
  char m_szLotNumber[kTextSize]{};            // 34
  char m_szRoot[kTextSize]{};                 // 35
  char m_szModelName[kTextSize]{};            // 36
  char m_szModelPath[kTextSize]{};            // 37
  char m_szSensorPath[kTextSize]{};           // 38
  char m_szRegisterPath[kTextSize]{};         // 39
  char m_szSimulationPath[kTextSize]{};       // 40
  char m_szProductionPath[kTextSize]{};       // 41
  char m_szEngineerPath[kTextSize]{};         // 42
  char m_szMachineName[kTextSize]{};          // 43
  char m_szLineName[kTextSize]{};             // 44
  WindowHandle m_hViewWnd[kMaxSites]{};       // 45
};

using LoadProtocol_Fn = ProtocolFunctionTable* (*)(CQRV_LoadMemory* record, ModuleHandle* module);
using LoadHardware_Fn = HardwareFunctionTable* (*)(CInterFace_SW* binder, CQRV_LoadMemory* record,
                                                   ModuleHandle* module);
using LoadOnDelete_Fn = void (*)(CQRV_LoadMemory* record);
using GetDllVersion_Fn = std::string (*)();
using LoadOnCreate_Fn = void (*)(CQRV_LoadMemory* record);
using OnImagefit_Fn = void (*)(int site);
using SetDrawPos_Fn = void (*)(int site, int dx, int dy);
using SetZoom_Fn = void (*)(int percent);
using GetTestingImageSave_Fn = int (*)();
using SetFullView_Fn = void (*)(int full, int site);
using GetUSBID_Fn = int (*)();
using OnPlay_Fn = int (*)(int board, int site);
using OnReadSpec_Fn = void (*)();
using GetDeviecInit_Fn = int (*)();
using PowerDownSequence_Fn = int (*)(int board, int site);

// The library section: version lines, bound entry points, the loaded libraries and their tables.
class CQRV_LoadMemory : public CQRVPlatformMemory {
 public:
  CQRV_LoadMemory();
  explicit CQRV_LoadMemory(const std::string& libraryPath);
  ~CQRV_LoadMemory();

  void SetRootPath(std::string root) { m_strRoot = std::move(root); }

  // Bind the system libraries from the program's System folder, accepted by FileDescription only.
  void LoadSoftwareLibrary();
  void LoadHardwareLibrary();
  void LoadProtocolLibrary();
  void LoadMesLibrary();
  void UnloadProtocolLibrary();
  void UnloadHardwareLibrary();
  void UnloadSoftwareLibrary();
  void UnloadMesLibrary();

  HardwareFunctionTable* GetHardwareTable() const { return m_pHardwareTable; }
  ProtocolFunctionTable* GetProtocolTable() const { return m_pProtocolTable; }

  char m_szHardwareVer[kTextSize]{};          // 46
  char m_szProtocolVer[kTextSize]{};          // 47
  char m_szSoftwareVer[kTextSize]{};          // 48
  char m_szPlatformVer[kTextSize]{};          // 49
  LoadProtocol_Fn Load_Protocol = nullptr;    // 50
  LoadHardware_Fn Load_Hardware = nullptr;    // 51
  LoadOnDelete_Fn Load_OnDelete = nullptr;    // 52
  GetDllVersion_Fn GetDllVersion = nullptr;   // 53
  std::string m_strRoot;                      // 54
  CInterFace_SW* m_pInterFaceSW = nullptr;    // 55
  LoadOnCreate_Fn Load_OnCreate = nullptr;    // 56
  OnImagefit_Fn OnImagefit = nullptr;         // 57
  SetDrawPos_Fn SetDrawPos = nullptr;         // 58
  SetZoom_Fn SetZoom = nullptr;               // 59
  GetTestingImageSave_Fn GetTestingImageSave = nullptr;  // 60
  SetFullView_Fn SetFullView = nullptr;       // 61
  ModuleHandle m_hHardware = nullptr;         // 62
  HardwareFunctionTable* m_pHardwareTable = nullptr;  // 63
  ModuleHandle m_hProtocol = nullptr;         // 64
  ProtocolFunctionTable* m_pProtocolTable = nullptr;  // 65
  GetUSBID_Fn GetUSBID = nullptr;             // 66
  OnPlay_Fn OnPlay = nullptr;                 // 67
  OnReadSpec_Fn OnReadSpec = nullptr;         // 68
  GetDeviecInit_Fn GetDeviecInit = nullptr;   // 69
  PowerDownSequence_Fn PowerDownSequence = nullptr;  // 70
  ModuleHandle m_hMES = nullptr;              // 71
  void* m_pMES = nullptr;                     // 72
  std::uint32_t HardwareType = 0;             // 73
  std::uint32_t ProtocolType = 0;             // 74
};

inline CQRV_LoadMemory* CQRVPlatformMemory::GetLoadMemory() { return static_cast<CQRV_LoadMemory*>(this); }

// The layout every deliverable is built against. A change here is a change of the interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(CQRV_LoadMemory, m_hRigUtil) == 0);
static_assert(offsetof(CQRV_LoadMemory, MultiToWide) == 144);
static_assert(offsetof(CQRV_LoadMemory, SetLog) == 152);
static_assert(offsetof(CQRV_LoadMemory, m_rcMainClient) == 176);
static_assert(offsetof(CQRV_LoadMemory, m_rcView) == 192);
static_assert(offsetof(CQRV_LoadMemory, m_hViewDC) == 320);
static_assert(offsetof(CQRV_LoadMemory, m_hMemDC) == 384);
static_assert(offsetof(CQRV_LoadMemory, m_nPara) == 448);
static_assert(offsetof(CQRV_LoadMemory, m_nLoginLevel) == 456);
static_assert(offsetof(CQRV_LoadMemory, m_nStopAll) == 460);
static_assert(offsetof(CQRV_LoadMemory, m_nSiteStop) == 464);
static_assert(offsetof(CQRV_LoadMemory, m_nSimulationMode) == 500);
static_assert(offsetof(CQRV_LoadMemory, m_szLotNumber) == 504);
static_assert(offsetof(CQRV_LoadMemory, m_szRoot) == 764);
static_assert(offsetof(CQRV_LoadMemory, m_szLineName) == 3104);
static_assert(offsetof(CQRV_LoadMemory, m_hViewWnd) == 3368);
static_assert(offsetof(CQRV_LoadMemory, m_szHardwareVer) == 3432);
static_assert(offsetof(CQRV_LoadMemory, Load_Protocol) == 4472);
static_assert(offsetof(CQRV_LoadMemory, m_strRoot) == 4504);
static_assert(offsetof(CQRV_LoadMemory, m_pInterFaceSW) == 4536);
static_assert(offsetof(CQRV_LoadMemory, m_hHardware) == 4592);
static_assert(offsetof(CQRV_LoadMemory, m_pProtocolTable) == 4616);
static_assert(offsetof(CQRV_LoadMemory, PowerDownSequence) == 4656);
static_assert(offsetof(CQRV_LoadMemory, HardwareType) == 4680);
static_assert(offsetof(CQRV_LoadMemory, ProtocolType) == 4684);
static_assert(sizeof(CQRV_LoadMemory) == 4688);
static_assert(sizeof(std::atomic<std::uint32_t>) == 4 && std::atomic<std::uint32_t>::is_always_lock_free);
#pragma GCC diagnostic pop
