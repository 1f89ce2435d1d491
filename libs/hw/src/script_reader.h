#pragma once
// Reads one section of a register script: the lines after the line whose first word is the key, up to
// the line whose first word is "[END]" or the end of the file.
#include <optional>
#include <string>
#include <vector>

namespace hw {

struct ScriptLine {
  std::string text;                 // the line, its first four characters upper-cased
  std::string firstWord;            // up to the first blank
  std::vector<std::string> words;   // every blank-separated word, the first included
};

// nullopt when the file cannot be opened; an unknown key gives no lines.
std::optional<std::vector<ScriptLine>> ReadScriptSection(const std::string& path, const std::string& key);

// Hexadecimal with or without "0x"; 0 when it does not parse.
int ParseHex(const std::string& text);
// Decimal in the C locale, whatever the process locale; 0 when it does not parse.
double ParseDecimal(const std::string& text);
int ParseInt(const std::string& text);

}  // namespace hw
