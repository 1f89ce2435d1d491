#include "export_guard.h"

#include <cstdio>

#include "software_library.h"

namespace qrv::sw {

void LogExportFailure(const CQRV_LoadMemory* record, const char* function, const char* reason) noexcept {
  if (!record || !record->SetLog) return;
  try {
    record->SetLog(0, "%s failed: %s", function, reason);
  } catch (...) {
    // The log line is the report; a log that fails itself has nothing further to tell.
  }
}

void LogExportFailure(const char* function, const char* reason) noexcept {
  const SoftwareLibrary* library = SoftwareLibrary::Instance();
  LogExportFailure(library ? library->Record() : nullptr, function, reason);
}

}  // namespace qrv::sw
