#pragma once
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "port/export.h"

// Version strings (FileDescription, FileVersion, ProductVersion, ItemName, ...) live in the ELF section
// ".qrv_version" of each deliverable as key NUL value NUL pairs; they are read from the file, never loaded.
namespace port {

// "" when the file does not exist; "(null)" when it has no version section or not that string.
// Keys compare without case.
PORT_API std::string ReadVersionString(const std::string& path, std::string_view name);

// The raw section bytes of an ELF file image; nullopt when the image is not a well-formed ELF64 file
// or has no such section. Bounds-checked against the image size: never reads past its end.
PORT_API std::optional<std::string_view> FindElfSection(std::string_view image, std::string_view section);

// Key/value pairs of a version section (several blocks may follow each other, NUL-padded); of keys that
// are equal without case the first wins; a truncated last pair is dropped.
PORT_API std::map<std::string, std::string> ParseVersionSection(std::string_view section);

}  // namespace port
