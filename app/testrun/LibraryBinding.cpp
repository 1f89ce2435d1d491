// Binding of the image, hardware and protocol libraries from the System folder. A library is accepted by the
// FileDescription of its version block, read from the file before anything of it is loaded.
#include <cstdio>
#include <string>

#include "QRV_InterFace_SW.h"
#include "QRV_PlatformMemory.h"
#include "port/message_box.h"
#include "port/module.h"
#include "port/path.h"
#include "port/text.h"
#include "port/version.h"

namespace {

constexpr const char* kSoftwareFile = "QRV_PlatformSW_x64.dll";
constexpr const char* kHardwareFile = "QRV_PlatformHW.dll";
constexpr const char* kProtocolFile = "QRV_Protocol.dll";

struct Identity {
  const char* description;
  std::uint32_t type;
};
constexpr Identity kHardwareIdentities[] = {{"HW_Velkara", 20}};
constexpr Identity kProtocolIdentities[] = {{"QTS_Tester", 8}};

template <std::size_t N>
std::uint32_t TypeOf(const Identity (&table)[N], const std::string& description) {
  for (const Identity& identity : table)
    if (description == identity.description) return identity.type;
  return 0;
}

std::string SystemPath(const std::string& root, const char* file) {
  return port::JoinPath(port::JoinPath(root, "System"), file);
}

std::string VersionOf(GetDllVersion_Fn getVersion) { return getVersion != nullptr ? getVersion() : std::string(); }

std::string ProgramFolderOf(const std::string& root) { return root.empty() ? port::ProgramFolder() : root; }

}  // namespace

// The record's entries each library fills in when it is bound and that are cleared when it is freed.
// GetDllVersion is bound from each library in turn and is not cleared: it stays with the last one bound.
#define QRV_SOFTWARE_ENTRIES(X) \
  X(Load_OnCreate) X(OnImagefit) X(SetDrawPos) X(SetZoom) X(GetTestingImageSave) X(SetFullView)
#define QRV_HARDWARE_ENTRIES(X) \
  X(Load_Hardware) X(GetUSBID) X(OnPlay) X(OnReadSpec) X(GetDeviecInit) X(PowerDownSequence)
#define QRV_PROTOCOL_ENTRIES(X) X(Load_Protocol)
// Looks the entry up by its own name in the library `module`.
#define QRV_FIND_ENTRY(name) name = port::FindFunction<decltype(name)>(module, #name);
#define QRV_CLEAR_ENTRY(name) name = nullptr;

CInterFace_SW::CInterFace_SW() : CInterFace_SW(SystemPath(port::ProgramFolder(), kSoftwareFile)) {}

CInterFace_SW::CInterFace_SW(const std::string& libraryPath) : m_hSoftware(port::LoadModule(libraryPath)) {
#define QRV_SW_CLEAR(name, result, params) name = nullptr;
  QRV_SW_FUNCTIONS(QRV_SW_CLEAR)
#undef QRV_SW_CLEAR
  if (m_hSoftware == nullptr) {
    port::MessageBox("QRV_PlatformSW Dll Loadlibrary Fail");
    return;
  }
  bool complete = true;
#define QRV_SW_BIND(name, result, params)                                  \
  name = port::FindFunction<name##_Fn>(m_hSoftware, #name);               \
  complete = complete && name != nullptr;
  QRV_SW_FUNCTIONS(QRV_SW_BIND)
#undef QRV_SW_BIND
  if (complete)
    std::fputs("Pass to get function pointer.\n", stderr);
  else
    port::MessageBox("QRV_PlatformSW Dll Failed to get function pointer.\n");
}

CInterFace_SW::~CInterFace_SW() = default;

void CQRV_LoadMemory::LoadSoftwareLibrary() {
  const std::string root = ProgramFolderOf(m_strRoot);
  const std::string path = SystemPath(root, kSoftwareFile);
  const std::string description = port::ReadVersionString(path, "FileDescription");
  if (description == "QRV_SW") {
    m_pInterFaceSW = new CInterFace_SW(path);
    const ModuleHandle module = m_pInterFaceSW->m_hSoftware;
    if (module != nullptr) {
      QRV_SOFTWARE_ENTRIES(QRV_FIND_ENTRY)
      QRV_FIND_ENTRY(GetDllVersion)
      if (Load_OnCreate != nullptr) Load_OnCreate(this);
      port::CopyText(m_szSoftwareVer, port::Format("Software_x64  %s : %s - %s", VersionOf(GetDllVersion).c_str(),
                                                   port::ReadVersionString(path, "FILEVERSION").c_str(),
                                                   description.c_str()));
    }
  }
  port::CopyText(m_szPlatformVer,
                 port::Format("Platform_x64 Debug - %s : %s", __DATE__,
                              port::ReadVersionString(port::JoinPath(root, "QRVBase.exe"), "FileVersion").c_str()));
}

void CQRV_LoadMemory::LoadHardwareLibrary() {
  HardwareType = 0;
  const std::string path = SystemPath(ProgramFolderOf(m_strRoot), kHardwareFile);
  const std::string description = port::ReadVersionString(path, "FileDescription");
  std::string version;
  HardwareType = TypeOf(kHardwareIdentities, description);
  if (HardwareType != 0) {
    m_hHardware = port::LoadModule(path);
    if (const ModuleHandle module = m_hHardware) {
      QRV_HARDWARE_ENTRIES(QRV_FIND_ENTRY)
      QRV_FIND_ENTRY(GetDllVersion)
      if (Load_Hardware != nullptr) m_pHardwareTable = Load_Hardware(m_pInterFaceSW, this, &m_hHardware);
      version = VersionOf(GetDllVersion);
    }
  }
  port::CopyText(m_szHardwareVer, port::Format("Hardware_x64 %s : %s - %s %s", version.c_str(),
                                               port::ReadVersionString(path, "FILEVERSION").c_str(),
                                               description.c_str(), ""));
}

void CQRV_LoadMemory::LoadProtocolLibrary() {
  ProtocolType = 0;
  const std::string path = SystemPath(ProgramFolderOf(m_strRoot), kProtocolFile);
  const std::string description = port::ReadVersionString(path, "FileDescription");
  ProtocolType = TypeOf(kProtocolIdentities, description);
  std::string version;
  if (!description.empty()) {
    m_hProtocol = port::LoadModule(path);
    if (const ModuleHandle module = m_hProtocol) {
      QRV_PROTOCOL_ENTRIES(QRV_FIND_ENTRY)
      QRV_FIND_ENTRY(GetDllVersion)
      if (Load_Protocol != nullptr) m_pProtocolTable = Load_Protocol(this, &m_hProtocol);
      version = VersionOf(GetDllVersion);
    }
  }
  port::CopyText(m_szProtocolVer, port::Format("Protocol_x64  %s : %s - %s", version.c_str(),
                                               port::ReadVersionString(path, "FILEVERSION").c_str(),
                                               description.c_str()));
}

namespace {
// Load_OnDelete of a library, then its module; nothing is looked up on a module that is not loaded.
void DeleteAndFree(CQRV_LoadMemory* record, ModuleHandle& module) {
  if (module == nullptr) return;
  if (const auto onDelete = port::FindFunction<LoadOnDelete_Fn>(module, "Load_OnDelete")) onDelete(record);
  port::FreeModule(module);
  module = nullptr;
}
}  // namespace

// A library that gave no table never started anything, so there is nothing of it to delete.
void CQRV_LoadMemory::UnloadProtocolLibrary() {
  if (m_pProtocolTable == nullptr) return;
  DeleteAndFree(this, m_hProtocol);
  m_pProtocolTable = nullptr;
  QRV_PROTOCOL_ENTRIES(QRV_CLEAR_ENTRY)
}

void CQRV_LoadMemory::UnloadHardwareLibrary() {
  if (m_pHardwareTable == nullptr) return;
  DeleteAndFree(this, m_hHardware);
  m_pHardwareTable = nullptr;
  QRV_HARDWARE_ENTRIES(QRV_CLEAR_ENTRY)
}

void CQRV_LoadMemory::UnloadSoftwareLibrary() {
  if (m_pInterFaceSW == nullptr) return;
  DeleteAndFree(this, m_pInterFaceSW->m_hSoftware);
  delete m_pInterFaceSW;
  m_pInterFaceSW = nullptr;
  QRV_SOFTWARE_ENTRIES(QRV_CLEAR_ENTRY)
}

void CQRV_LoadMemory::LoadMesLibrary() {}
void CQRV_LoadMemory::UnloadMesLibrary() {}
