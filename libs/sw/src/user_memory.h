#pragma once
// The process-wide table of named memory blocks. It holds addresses only and never frees a block.
#include <map>
#include <mutex>
#include <string>

namespace qrv::sw {

class UserMemoryRegistry {
 public:
  static UserMemoryRegistry& Instance();

  // The first entry of that name goes; the pair is added unless the block is registered already (under any
  // name, which it then keeps).
  void Set(void* block, const char* name);
  void* Get(const char* name) const;
  // Forgets every entry; the blocks stay with whoever registered them.
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::map<void*, std::string> entries_;
};

}  // namespace qrv::sw
