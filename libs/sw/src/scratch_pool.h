#pragma once
// Byte buffers that the dispatchers borrow for one call and give back, so that converting frame after frame
// allocates only when a larger frame first arrives. Safe on any thread; one buffer per concurrent caller.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace qrv::sw {

class ScratchPool {
 public:
  class Lease {
   public:
    Lease(ScratchPool& pool, std::vector<std::uint8_t> buffer) : pool_(pool), buffer_(std::move(buffer)) {}
    ~Lease() { pool_.Return(std::move(buffer_)); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    std::uint8_t* data() { return buffer_.data(); }

   private:
    ScratchPool& pool_;
    std::vector<std::uint8_t> buffer_;
  };

  // A buffer of at least bytes bytes, its contents undefined.
  Lease Borrow(std::size_t bytes) {
    std::vector<std::uint8_t> buffer;
    {
      const std::lock_guard lock(mutex_);
      if (!free_.empty()) {
        buffer = std::move(free_.back());
        free_.pop_back();
      }
    }
    if (buffer.size() < bytes) buffer.resize(bytes);
    return Lease(*this, std::move(buffer));
  }

 private:
  void Return(std::vector<std::uint8_t> buffer) {
    const std::lock_guard lock(mutex_);
    free_.push_back(std::move(buffer));
  }

  std::mutex mutex_;
  std::vector<std::vector<std::uint8_t>> free_;
};

}  // namespace qrv::sw
