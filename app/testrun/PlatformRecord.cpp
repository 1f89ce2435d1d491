// Construction of the platform record: the utility library is loaded and bound first, the rest of the
// record starts zero (default member initialisers), and the library is freed last.
#include <cstdarg>
#include <cstdio>

#include "QRV_PlatformMemory.h"
#include "port/message_box.h"
#include "port/module.h"
#include "port/path.h"
#include "port/text.h"

CRigUtil::CRigUtil() : CRigUtil(DefaultLibraryPath()) {}

CRigUtil::CRigUtil(const std::string& libraryPath) {
  m_hRigUtil = port::LoadModule(libraryPath);
  if (!m_hRigUtil) {
    port::MessageBox("CRigUtil Loadlibrary Fail");
    return;
  }
#define QRV_RIGUTIL_BIND(name, result, params) name = port::FindFunction<name##_Fn>(m_hRigUtil, #name);
  QRV_RIGUTIL_FUNCTIONS(QRV_RIGUTIL_BIND)
#undef QRV_RIGUTIL_BIND
  if (IsComplete()) {
    std::fputs("CRigUtil Pass to get function pointer.\n", stderr);
  } else {
    port::MessageBox("CRigUtil Function Error");
  }
}

CRigUtil::~CRigUtil() { port::FreeModule(m_hRigUtil); }

bool CRigUtil::IsComplete() const {
  bool complete = m_hRigUtil != nullptr;
#define QRV_RIGUTIL_BOUND(name, result, params) complete = complete && name != nullptr;
  QRV_RIGUTIL_FUNCTIONS(QRV_RIGUTIL_BOUND)
#undef QRV_RIGUTIL_BOUND
  return complete;
}

std::string CRigUtil::DefaultLibraryPath() {
  return port::JoinPath(port::JoinPath(port::ProgramFolder(), "System"), "RigUtil_x64.dll");
}

CQRVPlatformMemory::CQRVPlatformMemory() = default;

CQRVPlatformMemory::CQRVPlatformMemory(const std::string& libraryPath) : CRigUtil(libraryPath) {}

std::string CQRVPlatformMemory::FormatString(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = port::FormatV(format, args);
  va_end(args);
  return text;
}

CQRV_LoadMemory::CQRV_LoadMemory() = default;

CQRV_LoadMemory::CQRV_LoadMemory(const std::string& libraryPath) : CQRVPlatformMemory(libraryPath) {}

CQRV_LoadMemory::~CQRV_LoadMemory() = default;
