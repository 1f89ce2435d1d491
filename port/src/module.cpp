#include "port/module.h"

#include <QCoreApplication>
#include <QThread>
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace port {
namespace {

std::mutex errorMutex;
std::string lastError;

void RememberError(const char* text) {
  const std::lock_guard lock(errorMutex);
  lastError = text ? text : "";
}

// A call a library queued to the UI thread holds code of that library: it runs before the library is
// unloaded. Left queued, it would be destroyed with the application, after its code is gone.
void DeliverQueuedCalls() {
  const QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() != app->thread()) return;
  QCoreApplication::sendPostedEvents();
}

}  // namespace

ModuleHandle LoadModule(const std::string& path) {
  if (path.empty()) {
    RememberError("empty module path");
    return nullptr;
  }
  ModuleHandle module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) RememberError(dlerror());
  return module;
}

void* FindSymbol(ModuleHandle module, const char* name) {
  if (!module || !name) return nullptr;
  return dlsym(module, name);
}

void* FindProgramSymbol(const char* name) {
  if (!name) return nullptr;
  return dlsym(RTLD_DEFAULT, name);
}

bool FreeModule(ModuleHandle module) {
  if (!module) return false;
  DeliverQueuedCalls();
  if (dlclose(module) != 0) {
    RememberError(dlerror());
    return false;
  }
  return true;
}

std::string LastModuleError() {
  const std::lock_guard lock(errorMutex);
  return lastError;
}

std::string ProgramPath() {
  std::error_code error;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::string ProgramFolder() {
  const std::string path = ProgramPath();
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace port
