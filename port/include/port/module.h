#pragma once
#include <string>

#include "port/export.h"

// Dynamic loading in place of LoadLibraryEx / GetProcAddress / FreeLibrary.
namespace port {

using ModuleHandle = void*;

// dlopen(RTLD_NOW | RTLD_LOCAL); null on failure (LastModuleError() says why).
PORT_API ModuleHandle LoadModule(const std::string& path);
// dlsym on a loaded module; null for a null module or a missing symbol, never dlsym(nullptr, ...).
PORT_API void* FindSymbol(ModuleHandle module, const char* name);
// An exported function of the running program (dlsym(RTLD_DEFAULT, name)).
PORT_API void* FindProgramSymbol(const char* name);
PORT_API bool FreeModule(ModuleHandle module);
PORT_API std::string LastModuleError();

// Full path of the running program's file, and its folder without a trailing separator.
PORT_API std::string ProgramPath();
PORT_API std::string ProgramFolder();

template <typename Fn>
Fn FindFunction(ModuleHandle module, const char* name) {
  return reinterpret_cast<Fn>(FindSymbol(module, name));
}

}  // namespace port
