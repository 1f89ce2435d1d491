#pragma once
// No exception reaches the caller of an exported function, which may be C or another module: the caller
// gets the function's failure value and the site log a line naming the function.
#include "port/catch_all.h"

#include "QRV_PlatformMemory.h"

namespace qrv::sw {

// "<function> failed: <reason>" in the site log (site 0) through the record's SetLog.
void LogExportFailure(const CQRV_LoadMemory* record, const char* function, const char* reason) noexcept;
// The same through the record of the library, while it exists.
void LogExportFailure(const char* function, const char* reason) noexcept;

template <typename R, typename Fn>
R Guarded(const char* function, R failure, const Fn& fn) noexcept {
  return port::ValueOrFailure(failure, fn, [function](const char* reason) { LogExportFailure(function, reason); });
}

template <typename Fn>
void Guarded(const char* function, const Fn& fn) noexcept {
  Guarded(function, 0, [&] {
    fn();
    return 0;
  });
}

}  // namespace qrv::sw
