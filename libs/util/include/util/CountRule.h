#pragma once
// A count read from a settings file sizes a list and drives its loop, so one mistyped digit must not make the
// station allocate or loop for ever. Each reader names the most rows its list can sensibly hold and reads its
// count through here.
#include <string>

namespace util::ini {

// The leading decimal integer of the text (atoi rules: no number reads 0), taken in 64 bits so that a value
// beyond an int cannot wrap into range. A value past `limit` is refused: one line in the platform error log
// names the file, the section and the key (once per stored value and process), and `limit` is returned, so the
// list is read up to it or the loop runs that often. A negative value is returned as read (below the int
// range: INT_MIN); each reader keeps its own rule for it.
int BoundCount(const std::string& text, int limit, const std::string& file, const char* section, const char* key);

// BoundCount of [section] key of the file at path, or of the default when the file, section or key is missing.
int ReadCount(const std::string& path, const char* section, const char* key, int defaultValue, int limit);

}  // namespace util::ini
