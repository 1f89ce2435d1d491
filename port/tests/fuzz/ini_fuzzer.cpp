// Any bytes parse; writing the document and parsing it again gives the same document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "port/ini.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  port::ini::Document doc = port::ini::Document::Parse(text);
  const std::string once = doc.Serialize();
  const port::ini::Document again = port::ini::Document::Parse(once);
  if (again.Serialize() != once || again.Sections() != doc.Sections()) std::abort();
  for (const std::string& section : doc.Sections()) {
    const auto keys = doc.Keys(section);
    if (again.Keys(section) != keys) std::abort();
    for (const std::string& key : keys) {
      if (*doc.Find(section, key) != *again.Find(section, key)) std::abort();
    }
  }
  // Edits keep the document readable: what was set reads back.
  if (!doc.Sections().empty()) {
    const std::string section = doc.Sections().front();
    doc.Set(section, "FuzzKey", "value");
    const port::ini::Document edited = port::ini::Document::Parse(doc.Serialize());
    const std::string* value = edited.Find(section, "FuzzKey");
    if (!value || *value != "value") std::abort();
  }
  return 0;
}
