#include "sim_link.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <optional>

#include "port/module.h"

namespace pcie {
namespace {

constexpr const char* kSimulatorFile = "VelkaraSim.so";

std::string OwnFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<const void*>(&TheSimLink), &info) || !info.dli_fname) return ".";
  return std::filesystem::path(info.dli_fname).parent_path().string();
}

std::optional<SimLink> LoadSimLink() {
  const std::string path = (std::filesystem::path(OwnFolder()) / kSimulatorFile).string();
  port::ModuleHandle module = port::LoadModule(path);
  if (!module) {
    std::fprintf(stderr, "Simulated boards unavailable: %s\n", port::LastModuleError().c_str());
    return std::nullopt;
  }
  SimLink link{};
  link.open = port::FindFunction<decltype(link.open)>(module, "VelkaraSim_NodeOpen");
  link.read = port::FindFunction<decltype(link.read)>(module, "VelkaraSim_NodeRead");
  link.write = port::FindFunction<decltype(link.write)>(module, "VelkaraSim_NodeWrite");
  link.close = port::FindFunction<decltype(link.close)>(module, "VelkaraSim_NodeClose");
  if (!link.open || !link.read || !link.write || !link.close) {
    std::fprintf(stderr, "Simulated boards unavailable: %s lacks its node functions\n", path.c_str());
    return std::nullopt;
  }
  // The simulator stays loaded for the life of the process: its boards are the process's boards.
  return link;
}

}  // namespace

const SimLink* TheSimLink() {
  static const std::optional<SimLink> link = LoadSimLink();
  return link ? &*link : nullptr;
}

}  // namespace pcie
