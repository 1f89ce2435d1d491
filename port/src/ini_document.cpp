// Parsing and writing of the ini text. Kept free of Qt and of file access so the fuzzer can build it alone.
#include <algorithm>
#include <unordered_set>
#include <utility>

#include "port/ini.h"
#include "port/text.h"

namespace port::ini {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A value stored as "text" reads as text.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
  return value;
}

// One stored line per entry: a name or value that carries a line break would split into lines of its own.
std::string_view OneLine(std::string_view text) { return text.substr(0, text.find_first_of("\r\n")); }

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : static_cast<char>(c); });
  return lower;
}

// A section header names the text between '[' and the first ']' (or the line's end).
bool ParseHeader(std::string_view line, std::string& name) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() != '[') return false;
  const std::string_view inner = trimmed.substr(1);
  name = std::string(Trim(inner.substr(0, inner.find(']'))));
  return true;
}

}  // namespace

Document Document::Parse(std::string_view text) {
  Document doc;
  doc.sections_.push_back(Section{});  // lines before the first header
  const std::size_t firstBreak = text.find('\n');
  const std::string_view firstLine = text.substr(0, firstBreak);
  const bool crlf = !firstLine.empty() && firstLine.back() == '\r';
  if (crlf) doc.newline_ = "\r\n";

  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    if (crlf && !raw.empty() && raw.back() == '\r') raw.remove_suffix(1);

    std::string name;
    if (ParseHeader(raw, name)) {
      doc.sections_.push_back(Section{std::move(name), std::string(raw), {}});
      continue;
    }
    Line line{std::string(raw), {}, {}};
    const std::string_view trimmed = Trim(raw);
    const std::size_t eq = trimmed.find('=');
    if (!trimmed.empty() && trimmed.front() != ';' && eq != std::string_view::npos) {
      const std::string_view key = Trim(trimmed.substr(0, eq));
      if (!key.empty()) {
        line.key = std::string(key);
        line.value = std::string(Unquote(Trim(trimmed.substr(eq + 1))));
      }
    }
    doc.sections_.back().lines.push_back(std::move(line));
  }
  return doc;
}

std::string Document::Serialize() const {
  std::string out;
  for (const Section& section : sections_) {
    if (!section.header.empty()) out.append(section.header).append(newline_);
    for (const Line& line : section.lines) out.append(line.text).append(newline_);
  }
  return out;
}

Document::Section* Document::FindSection(std::string_view name) {
  return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const Document::Section* Document::FindSection(std::string_view name) const {
  const auto found = std::find_if(sections_.begin(), sections_.end(), [&](const Section& section) {
    return !section.header.empty() && EqualsNoCase(section.name, name);
  });
  return found == sections_.end() ? nullptr : &*found;
}

const std::string* Document::Find(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (!found) return nullptr;
  for (const Line& line : found->lines) {
    if (!line.key.empty() && EqualsNoCase(line.key, key)) return &line.value;
  }
  return nullptr;
}

void Document::AddSection(std::string_view section) {
  if (FindSection(section)) return;
  const std::string name(Trim(OneLine(section)));
  sections_.push_back(Section{name, "[" + name + "]", {}});
}

void Document::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string name(Trim(OneLine(key)));
  if (name.empty()) return;
  AddSection(section);
  Section& target = *FindSection(section);
  const std::string stored(OneLine(value));
  const std::string text = name + "=" + stored;
  Line fresh{text, name, std::string(Unquote(Trim(stored)))};
  for (Line& line : target.lines) {
    if (!line.key.empty() && EqualsNoCase(line.key, name)) {
      fresh.key = line.key;
      fresh.text = line.key + "=" + stored;
      line = std::move(fresh);
      return;
    }
  }
  // A new key goes after the section's last entry, so the blank lines before the next header stay there.
  auto last = std::find_if(target.lines.rbegin(), target.lines.rend(),
                           [](const Line& line) { return !Trim(line.text).empty(); });
  target.lines.insert(last.base(), std::move(fresh));
}

void Document::EraseKey(std::string_view section, std::string_view key) {
  Section* found = FindSection(section);
  if (!found) return;
  std::erase_if(found->lines, [&](const Line& line) { return !line.key.empty() && EqualsNoCase(line.key, key); });
}

void Document::EraseSection(std::string_view section) {
  const Section* found = FindSection(section);
  if (found) sections_.erase(sections_.begin() + (found - sections_.data()));
}

std::vector<std::string> Document::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const Section* found = FindSection(section);
  if (!found) return keys;
  std::unordered_set<std::string> seen;
  for (const Line& line : found->lines) {
    if (!line.key.empty() && seen.insert(LowerAscii(line.key)).second) keys.push_back(line.key);
  }
  return keys;
}

std::vector<std::string> Document::Sections() const {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  for (const Section& section : sections_) {
    if (!section.header.empty() && seen.insert(LowerAscii(section.name)).second) names.push_back(section.name);
  }
  return names;
}

}  // namespace port::ini
