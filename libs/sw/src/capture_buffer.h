#pragma once
// The one frame that every dispatcher conversion copies its result into, for the hardware setup dialog.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace qrv::sw {

class CaptureBuffer {
 public:
  // Frees any buffer and allocates bytes zeroed bytes (none for 0).
  void Create(std::size_t bytes);
  void Delete();
  std::uint8_t* Data() const;
  std::size_t Size() const;
  // Copies at most the buffer's own size; nothing without a buffer.
  void CopyFrom(const std::uint8_t* src, std::size_t bytes);

 private:
  mutable std::mutex mutex_;
  std::unique_ptr<std::uint8_t[]> data_;
  std::size_t size_ = 0;
};

}  // namespace qrv::sw
