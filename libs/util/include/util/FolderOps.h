#pragma once
// Folder create, remove and copy with the results the shell gave callers: create reports 0 for a
// folder that already exists; remove goes to the Trash unless permanent; copy takes lists of paths
// (each NUL-terminated, the list ended by a second NUL) and renames a copy that would collide.
#include <string>
#include <vector>

namespace util::folder {

// Copy result codes, the values the shell used for the same failures.
inline constexpr int kCopyOk = 0;
inline constexpr int kErrorFileNotFound = 0x2;
inline constexpr int kErrorAccessDenied = 0x5;
inline constexpr int kErrorInvalidParameter = 0x57;
inline constexpr int kErrorDestinationInSource = 0x76;

// The longest path a remove accepts: the path and its two terminators fit a 512-byte buffer.
inline constexpr std::size_t kMaxRemovePath = 510;

// The entries of a double-NUL list; an entry with '*' or '?' in its name expands to its matches.
std::vector<std::string> ExpandList(const char* list);

// True when a file or folder matches (wildcards included).
bool PathExists(const std::string& path);

int CreateFolder(const std::string& folder);
int RemoveFolder(const std::string& folder, bool permanent);
int CopyFolders(const char* sourceList, const char* destinationList);

}  // namespace util::folder
