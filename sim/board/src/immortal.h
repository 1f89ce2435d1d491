#pragma once
// Process-wide state that is never destroyed: the driver interface closes its nodes from its own
// exit-time destructors, which may run after this library's.
#include <new>

namespace velkarasim {

template <typename T>
class Immortal {
 public:
  Immortal() { new (storage_) T(); }
  T& get() { return *std::launder(reinterpret_cast<T*>(storage_)); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace velkarasim
