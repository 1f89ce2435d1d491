// A hardware library for the binding tests: loading it runs a constructor that writes a marker file, so a
// test can tell whether any of its code ran.
#include <cstdlib>
#include <fstream>
#include <string>

#include "QRV_PlatformMemory.h"

namespace {
int g_deleted = 0;
}

__attribute__((constructor)) static void WriteMarker() {
  if (const char* marker = std::getenv("QRV_TEST_HW_MARKER")) std::ofstream(marker) << "loaded\n";
}

QRV_EXPORT HardwareFunctionTable* Load_Hardware(CInterFace_SW*, CQRV_LoadMemory*, ModuleHandle* module) {
  static int table;
  if (std::getenv("QRV_TEST_HW_NO_TABLE") != nullptr) return nullptr;
  return *module != nullptr ? reinterpret_cast<HardwareFunctionTable*>(&table) : nullptr;
}
QRV_EXPORT void Load_OnDelete(CQRV_LoadMemory*) {
  ++g_deleted;
  if (const char* marker = std::getenv("QRV_TEST_HW_MARKER")) std::ofstream(marker, std::ios::app) << "deleted\n";
}
QRV_EXPORT std::string GetDllVersion() { return "Release - test"; }
