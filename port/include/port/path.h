#pragma once
#include <string>
#include <string_view>

#include "port/export.h"

namespace port {

// A path read from a stored file: '\' becomes '/', a drive "d:\a\b" becomes "$QRV_DRIVE_ROOT/d/a/b"
// (default root: the program folder's Drives/). The stored text itself is never rewritten.
PORT_API std::string NormalizePath(std::string_view stored);

// Joins with the native separator.
PORT_API std::string JoinPath(std::string_view folder, std::string_view name);

// When no file matches exactly, the one entry of each folder level that matches without case; the
// path unchanged when there is none or more than one.
PORT_API std::string ResolvePathCase(const std::string& path);

// Moves a file or folder tree to the freedesktop Trash ($XDG_DATA_HOME/Trash); false on failure.
PORT_API bool MoveToTrash(const std::string& path);

}  // namespace port
