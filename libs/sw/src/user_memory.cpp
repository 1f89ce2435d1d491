#include "user_memory.h"

namespace qrv::sw {

UserMemoryRegistry& UserMemoryRegistry::Instance() {
  static UserMemoryRegistry registry;
  return registry;
}

void UserMemoryRegistry::Set(void* block, const char* name) {
  if (!name) return;
  const std::lock_guard lock(mutex_);
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->second == name) {
      entries_.erase(it);
      break;
    }
  }
  entries_.emplace(block, name);
}

void* UserMemoryRegistry::Get(const char* name) const {
  if (!name) return nullptr;
  const std::lock_guard lock(mutex_);
  for (const auto& [block, entryName] : entries_) {
    if (entryName == name) return block;
  }
  return nullptr;
}

void UserMemoryRegistry::Clear() {
  const std::lock_guard lock(mutex_);
  entries_.clear();
}

}  // namespace qrv::sw
