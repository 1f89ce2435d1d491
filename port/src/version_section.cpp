// ELF section lookup and version-string parsing on raw file bytes. Every offset read from the file is
// checked against the image size before use, so a truncated or garbled file cannot lead past its end.
// Free of Qt so the fuzzer can build it alone.
#include <elf.h>

#include <cstring>
#include <set>

#include "port/version.h"

namespace port {
namespace {

// The range [offset, offset + size) lies inside an image of imageSize bytes (no overflow).
bool InImage(std::uint64_t offset, std::uint64_t size, std::size_t imageSize) {
  return offset <= imageSize && size <= imageSize - offset;
}

template <typename T>
bool ReadAt(std::string_view image, std::uint64_t offset, T& out) {
  if (!InImage(offset, sizeof(T), image.size())) return false;
  std::memcpy(&out, image.data() + offset, sizeof(T));
  return true;
}

struct SectionTable {
  std::uint64_t offset = 0;
  std::uint64_t count = 0;
  std::uint16_t entrySize = 0;
  std::uint32_t namesIndex = 0;
};

bool ReadHeader(std::string_view image, const Elf64_Ehdr& header, SectionTable& table) {
  if (header.e_shoff == 0 || header.e_shentsize < sizeof(Elf64_Shdr)) return false;
  table.offset = header.e_shoff;
  table.entrySize = header.e_shentsize;
  table.count = header.e_shnum;
  table.namesIndex = header.e_shstrndx;
  // Files with many sections keep the real counts in the first section header.
  if (table.count == 0 || table.namesIndex == SHN_XINDEX) {
    Elf64_Shdr first;
    if (!ReadAt(image, table.offset, first)) return false;
    if (table.count == 0) table.count = first.sh_size;
    if (table.namesIndex == SHN_XINDEX) table.namesIndex = first.sh_link;
  }
  return table.count != 0 && table.count <= image.size() / table.entrySize &&
         InImage(table.offset, table.count * table.entrySize, image.size());
}

std::optional<std::string_view> SectionBytes(std::string_view image, const Elf64_Shdr& section) {
  if (section.sh_type == SHT_NOBITS || !InImage(section.sh_offset, section.sh_size, image.size())) return std::nullopt;
  return image.substr(section.sh_offset, section.sh_size);
}

}  // namespace

std::optional<std::string_view> FindElfSection(std::string_view image, std::string_view section) {
  Elf64_Ehdr header;
  if (!ReadAt(image, 0, header)) return std::nullopt;
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_ident[EI_DATA] != ELFDATA2LSB) {
    return std::nullopt;
  }
  SectionTable table;
  if (!ReadHeader(image, header, table) || table.namesIndex >= table.count) return std::nullopt;

  Elf64_Shdr namesHeader;
  if (!ReadAt(image, table.offset + table.namesIndex * table.entrySize, namesHeader)) return std::nullopt;
  const auto names = SectionBytes(image, namesHeader);
  if (!names) return std::nullopt;

  for (std::uint64_t i = 0; i < table.count; ++i) {
    Elf64_Shdr entry;
    if (!ReadAt(image, table.offset + i * table.entrySize, entry)) return std::nullopt;
    if (entry.sh_name >= names->size()) continue;
    const std::string_view rest = names->substr(entry.sh_name);
    const std::size_t end = rest.find('\0');
    if (end != std::string_view::npos && rest.substr(0, end) == section) return SectionBytes(image, entry);
  }
  return std::nullopt;
}

std::map<std::string, std::string> ParseVersionSection(std::string_view section) {
  std::map<std::string, std::string> pairs;
  std::set<std::string> seen;  // keys lower-cased: the first of keys equal without case wins
  std::size_t pos = 0;
  while (pos < section.size()) {
    // Blocks of several objects can be padded apart with NULs; a key is never empty.
    if (section[pos] == '\0') {
      ++pos;
      continue;
    }
    const std::size_t keyEnd = section.find('\0', pos);
    if (keyEnd == std::string_view::npos) break;
    const std::size_t valueEnd = section.find('\0', keyEnd + 1);
    if (valueEnd == std::string_view::npos) break;
    std::string key(section.substr(pos, keyEnd - pos));
    std::string lower = key;
    for (char& c : lower) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    if (seen.insert(std::move(lower)).second) {
      pairs.emplace(std::move(key), std::string(section.substr(keyEnd + 1, valueEnd - keyEnd - 1)));
    }
    pos = valueEnd + 1;
  }
  return pairs;
}

}  // namespace port
