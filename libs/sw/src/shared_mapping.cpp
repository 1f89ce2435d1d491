#include "shared_mapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <set>

#include "port/message_box.h"

namespace qrv::sw {
namespace {

// Opens or creates the object and makes it at least size bytes long; never shrinks one that exists.
int OpenObject(const std::string& objectName, int size) {
  const int fd = shm_open(objectName.c_str(), O_CREAT | O_RDWR, 0600);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || (st.st_size < size && ftruncate(fd, size) != 0)) {
    close(fd);
    return -1;
  }
  return fd;
}

// The names this process mapped; the last of them go when the process ends.
class MappedNames {
 public:
  ~MappedNames() { RemoveAll(); }
  void Add(const std::string& objectName) {
    const std::lock_guard lock(mutex_);
    names_.insert(objectName);
  }
  void RemoveAll() {
    const std::lock_guard lock(mutex_);
    for (const std::string& name : names_) shm_unlink(name.c_str());
    names_.clear();
  }

 private:
  std::mutex mutex_;
  std::set<std::string> names_;
};

MappedNames& Names() {
  static MappedNames names;
  return names;
}

}  // namespace

std::string SharedMappingName(const char* name) {
  std::string text = std::string("/Global\\") + (name ? name : "");
  std::replace(text.begin() + 1, text.end(), '/', '_');
  return text;
}

void* CreateSharedMapping(const char* name, int size, bool reportView) {
  const std::string objectName = SharedMappingName(name);
  const int fd = name && size > 0 ? OpenObject(objectName, size) : -1;
  if (fd < 0) {
    port::MessageBox("Create Mapping Fail");
    if (reportView) port::MessageBox("Create Mapping Map Vie Address Fail");
    return nullptr;
  }
  Names().Add(objectName);
  void* view = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  if (view == MAP_FAILED) {
    if (reportView) port::MessageBox("Create Mapping Map Vie Address Fail");
    return nullptr;
  }
  return view;
}

void RemoveSharedMappingNames() { Names().RemoveAll(); }

}  // namespace qrv::sw
