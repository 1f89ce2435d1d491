#pragma once
#include <functional>
#include <optional>
#include <string>

#include "port/ini.h"

// Loading and atomic replacement of ini-format files, shared by the ini functions and the registry.
namespace port::ini::detail {

enum class LoadResult { Loaded, Missing, Unreadable };

LoadResult Load(const std::string& path, Document& doc);

// Read-modify-write under the file's lock (threads and processes); the file is replaced whole by a
// temporary file renamed over it, keeping its mode. A missing file is created; false when the folder
// does not exist or the file cannot be read or written.
bool Modify(const std::string& path, const std::function<void(Document&)>& change);

}  // namespace port::ini::detail
