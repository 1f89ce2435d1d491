#include "ini_cache.h"

#include <sys/stat.h>

#include <cerrno>
#include <list>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace port::ini::detail {
namespace {

// Enough for every file of a model and the station's own settings; older entries are dropped first.
constexpr std::size_t kCapacity = 64;

struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  explicit Identity(const struct ::stat& info)
      : device(info.st_dev), inode(info.st_ino), size(info.st_size), modified(info.st_mtim) {}
  Identity() = default;

  bool operator==(const Identity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

enum class StatResult { Found, Missing, Failed };

StatResult Stat(const std::string& path, Identity& identity) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno == ENOENT || errno == ENOTDIR ? StatResult::Missing : StatResult::Failed;
  if (!S_ISREG(info.st_mode)) return StatResult::Failed;
  identity = Identity(info);
  return StatResult::Found;
}

// Least recently used at the back; the map points into the list.
class DocumentCache {
 public:
  std::shared_ptr<const Document> Find(const std::string& path, const Identity& identity) {
    const std::lock_guard lock(mutex_);
    const auto found = index_.find(path);
    if (found == index_.end()) return nullptr;
    if (!(found->second->identity == identity)) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->document;
  }

  void Store(const std::string& path, const Identity& identity, std::shared_ptr<const Document> document) {
    const std::lock_guard lock(mutex_);
    if (const auto found = index_.find(path); found != index_.end()) {
      entries_.erase(found->second);
      index_.erase(found);
    }
    entries_.push_front({path, identity, std::move(document)});
    index_.emplace(path, entries_.begin());
    if (entries_.size() > kCapacity) {
      index_.erase(entries_.back().path);
      entries_.pop_back();
    }
  }

 private:
  struct Entry {
    std::string path;
    Identity identity;
    std::shared_ptr<const Document> document;
  };
  std::mutex mutex_;
  std::list<Entry> entries_;
  std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

DocumentCache& Cache() {
  static DocumentCache cache;
  return cache;
}

}  // namespace

// The identity is taken before the file is read: should the file change in between, the document is newer
// than its identity, and the next read finds the identity changed and parses again. Never the reverse.
CachedLoad LoadCached(const std::string& path) {
  Identity identity;
  switch (Stat(path, identity)) {
    case StatResult::Missing:
      return {LoadResult::Missing, nullptr};
    case StatResult::Failed: {
      auto document = std::make_shared<Document>();
      const LoadResult result = Load(path, *document);
      return {result, result == LoadResult::Loaded ? std::move(document) : nullptr};
    }
    case StatResult::Found:
      break;
  }
  if (auto cached = Cache().Find(path, identity)) return {LoadResult::Loaded, std::move(cached)};
  auto document = std::make_shared<Document>();
  const LoadResult result = Load(path, *document);
  if (result != LoadResult::Loaded) return {result, nullptr};
  Cache().Store(path, identity, document);
  return {result, std::move(document)};
}

void Remember(const std::string& path, const struct ::stat& written, const Document& document) {
  Cache().Store(path, Identity(written), std::make_shared<const Document>(document));
}

}  // namespace port::ini::detail
