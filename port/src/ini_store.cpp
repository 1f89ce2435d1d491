#include "ini_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <unordered_map>

#include "ini_cache.h"
#include "lock_file.h"

namespace fs = std::filesystem;

namespace port::ini::detail {
namespace {

// Threads of this process share one mutex per file; the flock alone would not order them fairly.
std::mutex& MutexFor(const std::string& canonicalPath) {
  static std::mutex tableMutex;
  static std::unordered_map<std::string, std::unique_ptr<std::mutex>> table;
  const std::lock_guard lock(tableMutex);
  auto& entry = table[canonicalPath];
  if (!entry) entry = std::make_unique<std::mutex>();
  return *entry;
}

// The real file behind the path (symbolic links followed), whose folder must exist.
std::optional<std::string> CanonicalTarget(const std::string& path) {
  std::error_code error;
  const fs::path target = fs::weakly_canonical(fs::absolute(path, error), error);
  if (error || !target.has_filename() || !fs::is_directory(target.parent_path(), error)) return std::nullopt;
  return target.string();
}

std::string TempPrefix(const fs::path& target) { return "." + target.filename().string() + ".tmp-"; }

// Under the lock no other writer owns a temporary file of this target: any left is from a killed writer.
void RemoveStaleTemps(const fs::path& target) {
  const std::string prefix = TempPrefix(target);
  std::error_code error;
  for (fs::directory_iterator it(target.parent_path(), error), end; !error && it != end; it.increment(error)) {
    if (it->path().filename().string().starts_with(prefix)) fs::remove(it->path(), error);
  }
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The data reaches the disk before the rename, so the name never points at a half-written file. `written`
// receives the new file's status after its last byte, which the rename keeps.
bool ReplaceFile(const fs::path& target, const std::string& bytes, struct stat& written) {
  static std::atomic<unsigned> counter{0};
  const fs::path temp =
      target.parent_path() / (TempPrefix(target) + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = ::stat(target.c_str(), &info) != 0 || ::fchmod(fd, info.st_mode & 07777) == 0;
  ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0 && ::fstat(fd, &written) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // The folder is not synced: a power loss may undo the rename, which leaves the old file whole.
  return true;
}

}  // namespace

LoadResult Load(const std::string& path, Document& doc) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::error_code error;
    return fs::exists(path, error) ? LoadResult::Unreadable : LoadResult::Missing;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return LoadResult::Unreadable;
  doc = Document::Parse(text.str());
  return LoadResult::Loaded;
}

bool Modify(const std::string& path, const std::function<void(Document&)>& change) {
  const auto target = CanonicalTarget(path);
  if (!target) return false;
  const std::lock_guard threadLock(MutexFor(*target));
  const std::string lockFolder = port::detail::SharedLockFolder();
  if (lockFolder.empty()) return false;
  const port::detail::FileLock processLock(lockFolder + "/ini-" + port::detail::HashName(*target) + ".lock",
                                           port::detail::FileLock::Mode::Wait);
  if (!processLock.Held()) return false;

  Document doc;
  const LoadResult loaded = Load(*target, doc);
  if (loaded == LoadResult::Unreadable) return false;
  const std::string before = loaded == LoadResult::Loaded ? doc.Serialize() : std::string();
  change(doc);
  std::string text = doc.Serialize();
  RemoveStaleTemps(*target);
  // A change that leaves the text as it was writes nothing: the file, its time and every reader's cache stay.
  if (loaded == LoadResult::Loaded && text == before) return true;
  struct stat written {};
  if (!ReplaceFile(*target, text, written)) return false;
  Remember(path, written, doc);
  return true;
}

}  // namespace port::ini::detail
