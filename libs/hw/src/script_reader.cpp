#include "script_reader.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "port/path.h"

namespace hw {
namespace {

// Only the first 499 characters of a line count; the rest of a longer line is dropped, never run.
constexpr std::size_t kLineLimit = 499;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string FirstWord(const std::string& line) {
  std::size_t end = 0;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  return line.substr(0, end);
}

ScriptLine MakeLine(std::string text) {
  for (std::size_t i = 0; i < text.size() && i < 4; ++i) {
    text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
  }
  ScriptLine line;
  std::istringstream words(text);
  for (std::string word; words >> word;) line.words.push_back(word);
  line.firstWord = FirstWord(text);
  line.text = std::move(text);
  return line;
}

}  // namespace

std::optional<std::vector<ScriptLine>> ReadScriptSection(const std::string& path, const std::string& key) {
  std::ifstream in(port::ResolvePathCase(path));
  if (!in) return std::nullopt;
  std::vector<ScriptLine> lines;
  bool inSection = false;
  for (std::string raw; std::getline(in, raw);) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (raw.size() > kLineLimit) raw.resize(kLineLimit);
    const std::string word = FirstWord(raw);
    if (!inSection) {
      inSection = word == key;
      continue;
    }
    if (word == "[END]") break;
    if (word == key) continue;
    lines.push_back(MakeLine(std::move(raw)));
  }
  return lines;
}

int ParseHex(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 16)); }

double ParseDecimal(const std::string& text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

int ParseInt(const std::string& text) { return std::atoi(text.c_str()); }

}  // namespace hw
