#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "port/export.h"

// A file-backed registry: one ini-format file per root in $QRV_REGISTRY_DIR (default
// ~/.config/QRV/registry), key paths with '\' as stored files spell them, DWORD and string values.
namespace port::registry {

enum class Root : std::uintptr_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  Users = 0x80000003u,
};

// Creates the key when missing; false when the store cannot be written.
PORT_API bool CreateKey(Root root, const std::string& subKey);
PORT_API std::optional<std::uint32_t> ReadDword(Root root, const std::string& subKey, const std::string& name);
PORT_API std::optional<std::string> ReadString(Root root, const std::string& subKey, const std::string& name);
PORT_API bool WriteDword(Root root, const std::string& subKey, const std::string& name, std::uint32_t value);
PORT_API bool WriteString(Root root, const std::string& subKey, const std::string& name, const std::string& value);

// The folder that holds the store (created on first use).
PORT_API std::string StoreFolder();

}  // namespace port::registry
