#pragma once
// The main program's exports, looked up by name at every call; null when the program does not export one.
#include "QRV_Exports.h"
#include "port/module.h"

namespace qrv::sw {

template <typename Fn>
Fn ProgramExport(const char* name) {
  return reinterpret_cast<Fn>(port::FindProgramSymbol(name));
}

#define QRV_PROGRAM_EXPORT(name) ::qrv::sw::ProgramExport<QRV_EXPORT_FN(name)>(#name)

}  // namespace qrv::sw
