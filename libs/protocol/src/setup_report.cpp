#include "setup_report.h"

#include <cstdio>

#include "port/module.h"

namespace protocol {

void ReportServerSetUp(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  using LogPlatformError_Fn = void (*)(const char* format, ...);
  if (auto log = reinterpret_cast<LogPlatformError_Fn>(port::FindProgramSymbol("LogPlatformError"))) {
    log("%s", text.c_str());
  }
}

}  // namespace protocol
