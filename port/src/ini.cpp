#include "port/ini.h"

#include "ini_cache.h"
#include "ini_store.h"

namespace port::ini {
namespace {

std::string Cut(std::string_view text) { return std::string(text.substr(0, kMaxValue)); }

}  // namespace

std::string ReadString(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view defaultValue) {
  const detail::CachedLoad loaded = detail::LoadCached(path);
  if (loaded.result != detail::LoadResult::Loaded) return Cut(defaultValue);
  const std::string* value = loaded.document->Find(section, key);
  return Cut(value ? std::string_view(*value) : defaultValue);
}

bool WriteString(const std::string& path, const char* section, const char* key, const char* value) {
  if (!section || (key && !*key)) return false;
  // Deleting from a file that does not exist leaves nothing to do, and creates no file.
  if ((!key || !value) && detail::LoadCached(path).result == detail::LoadResult::Missing) return true;
  return detail::Modify(path, [&](Document& doc) {
    if (!key) {
      doc.EraseSection(section);
    } else if (!value) {
      doc.EraseKey(section, key);
    } else {
      doc.Set(section, key, value);
    }
  });
}

bool WriteStrings(const std::string& path, const char* section, const KeyValues& values) {
  if (!section || values.empty()) return false;
  for (const auto& [key, value] : values)
    if (key.empty()) return false;
  return detail::Modify(path, [&](Document& doc) {
    for (const auto& [key, value] : values) doc.Set(section, key, value);
  });
}

std::vector<std::string> ReadKeys(const std::string& path, std::string_view section) {
  const detail::CachedLoad loaded = detail::LoadCached(path);
  if (loaded.result != detail::LoadResult::Loaded) return {};
  return loaded.document->Keys(section);
}

std::vector<std::string> ReadSections(const std::string& path) {
  const detail::CachedLoad loaded = detail::LoadCached(path);
  if (loaded.result != detail::LoadResult::Loaded) return {};
  return loaded.document->Sections();
}

std::shared_ptr<const Document> ReadDocument(const std::string& path) {
  detail::CachedLoad loaded = detail::LoadCached(path);
  if (loaded.result != detail::LoadResult::Loaded) return nullptr;
  return std::move(loaded.document);
}

}  // namespace port::ini
