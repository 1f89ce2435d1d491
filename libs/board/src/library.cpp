// Library-wide exports: busy wait and the version words of the two board libraries.
#include <dlfcn.h>

#include <cstdio>
#include <filesystem>

#include "board_exports.h"
#include "port/clock.h"
#include "port/version.h"

namespace board {
namespace {

// The folder the library was loaded from: its sibling libraries' version records lie beside it.
std::string OwnFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<const void*>(&VKL_Power_GetDllVersion), &info) || !info.dli_fname) return ".";
  return std::filesystem::path(info.dli_fname).parent_path().string();
}

// The four words of a library's FileVersion; 0 when it has no version block.
int32_t GetModuleFileVersion(const char* fileName, uint16_t* major, uint16_t* minor, uint16_t* build,
                             uint16_t* revision) {
  const std::string text = port::ReadVersionString((std::filesystem::path(OwnFolder()) / fileName).string(), "FileVersion");
  if (text.empty() || text == "(null)") return 0;
  unsigned words[4] = {};
  const bool parsed = std::sscanf(text.c_str(), "%u.%u.%u.%u", &words[0], &words[1], &words[2], &words[3]) == 4;
  uint16_t* outputs[4] = {major, minor, build, revision};
  for (int i = 0; i < 4; ++i) {
    if (outputs[i]) *outputs[i] = parsed ? static_cast<uint16_t>(words[i]) : 0;
  }
  return 1;
}

}  // namespace
}  // namespace board

int32_t pSleep(double ms) {
  port::clock::PreciseWait(
      std::chrono::duration_cast<port::clock::Duration>(std::chrono::duration<double, std::milli>(ms)));
  return 1;
}

int32_t VKL_Power_GetDllVersion(uint16_t* major, uint16_t* minor, uint16_t* build, uint16_t* revision) {
  return board::GetModuleFileVersion("V6_Velkara_x64.dll", major, minor, build, revision);
}

int32_t VKL_Logic_GetDllVersion(uint16_t* major, uint16_t* minor, uint16_t* build, uint16_t* revision) {
  return board::GetModuleFileVersion("PCI_LX40_x64.dll", major, minor, build, revision);
}
