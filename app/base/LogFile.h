#pragma once
// Appending whole lines to log files that several threads write at once: every line is one write(2)
// on an O_APPEND descriptor under a lock per file, so lines never interleave and none is lost.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace logfile {

// Creates the file when missing. When the file is empty, header() is written first, in the same write.
// False when the file cannot be opened or written.
bool AppendLine(const std::string& path, std::string_view line,
                const std::function<std::string()>& header = {});

// Appends to a file that exists already, without creating it. False when it is missing or cannot be written.
bool AppendToExisting(const std::string& path, std::string_view text);

// Text from outside (a lot number, a sub name, a site name) made fit to be one part of a file name:
// path separators, control characters and the characters Windows forbids become '_', ".." cannot remain,
// and the text is cut to maxLength bytes without splitting a UTF-8 character.
inline constexpr std::size_t kMaxNamePart = 64;
std::string SafeFileNamePart(std::string_view text, std::size_t maxLength = kMaxNamePart);

}  // namespace logfile
