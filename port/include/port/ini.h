#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "port/export.h"

// Private-profile ini files with the semantics that stored model files rely on: sections and keys
// compare without case, the first match wins, a missing file/section/key gives the default, values are
// cut at 511 characters, comments and order survive a write. A write replaces the file atomically
// (temporary file + rename) under a per-file lock that holds across threads and processes.
namespace port::ini {

inline constexpr std::size_t kMaxValue = 511;

PORT_API std::string ReadString(const std::string& path, std::string_view section, std::string_view key,
                                std::string_view defaultValue);

// key == nullptr deletes the whole section; value == nullptr deletes the key. Creates the file when needed.
PORT_API bool WriteString(const std::string& path, const char* section, const char* key, const char* value);

// Several keys of one section in one write, in the order given: one file replacement instead of one per key.
using KeyValues = std::vector<std::pair<std::string, std::string>>;
PORT_API bool WriteStrings(const std::string& path, const char* section, const KeyValues& values);

// Every key of a section in file order (empty when the file or section is missing).
PORT_API std::vector<std::string> ReadKeys(const std::string& path, std::string_view section);
PORT_API std::vector<std::string> ReadSections(const std::string& path);

// The in-memory document behind both; exposed for tools and the fuzzer. Lines keep their stored text,
// so a write changes only the line it touches; a file with CRLF line ends keeps them. Set keeps names and
// values to their first line, so a value can never add lines of its own.
class PORT_API Document {
 public:
  static Document Parse(std::string_view text);
  std::string Serialize() const;

  // Adds an empty section when none of that name exists.
  void AddSection(std::string_view section);

  const std::string* Find(std::string_view section, std::string_view key) const;
  void Set(std::string_view section, std::string_view key, std::string_view value);
  void EraseKey(std::string_view section, std::string_view key);
  void EraseSection(std::string_view section);
  std::vector<std::string> Keys(std::string_view section) const;
  std::vector<std::string> Sections() const;

 private:
  struct Line {
    std::string text;  // the line as stored (comments, blank lines, malformed lines kept verbatim)
    std::string key;   // empty unless the line is "key=value"
    std::string value;
  };
  struct Section {
    std::string name;  // empty for lines before the first header
    std::string header;
    std::vector<Line> lines;
  };
  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;
  std::vector<Section> sections_;
  std::string newline_ = "\n";
};

// The file as one parsed snapshot, null when it is missing or cannot be read: a list read key by key from it
// comes whole from one version of the file, whatever is written meanwhile.
PORT_API std::shared_ptr<const Document> ReadDocument(const std::string& path);

}  // namespace port::ini
