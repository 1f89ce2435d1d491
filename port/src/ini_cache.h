#pragma once
#include <sys/stat.h>

#include <memory>
#include <string>

#include "ini_store.h"

// Parsed ini documents of recently read files, so a file read key by key (error codes, sensor settings) is
// parsed once until it changes. An entry holds while the file's identity (device, inode, size, modification
// and change times) is unchanged: our own writes replace the file by a rename, so they always change it, and
// an editor writing in place changes its times.
namespace port::ini::detail {

struct CachedLoad {
  LoadResult result = LoadResult::Missing;
  std::shared_ptr<const Document> document;  // set when result is Loaded
};

CachedLoad LoadCached(const std::string& path);

// Our own write of `document` to `path`, whose file had the status `written` when its last byte was written
// (a rename keeps it): the next read takes the document without parsing the file again.
void Remember(const std::string& path, const struct ::stat& written, const Document& document);

}  // namespace port::ini::detail
