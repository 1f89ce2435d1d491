#include "ProgramFolder.h"

#include <mutex>

#include "port/module.h"

namespace {

std::mutex rootMutex;
std::string rootFolder;

}  // namespace

std::string ProgramFolder::Root() {
  const std::lock_guard lock(rootMutex);
  return rootFolder.empty() ? port::ProgramFolder() : rootFolder;
}

void ProgramFolder::SetRoot(const std::string& root) {
  const std::lock_guard lock(rootMutex);
  rootFolder = root;
}
