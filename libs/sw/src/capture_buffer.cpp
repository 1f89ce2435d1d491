#include "capture_buffer.h"

#include <algorithm>
#include <cstring>

namespace qrv::sw {

void CaptureBuffer::Create(std::size_t bytes) {
  const std::lock_guard lock(mutex_);
  data_ = std::make_unique<std::uint8_t[]>(std::max<std::size_t>(bytes, 1));
  size_ = bytes;
}

void CaptureBuffer::Delete() {
  const std::lock_guard lock(mutex_);
  data_.reset();
  size_ = 0;
}

std::uint8_t* CaptureBuffer::Data() const {
  const std::lock_guard lock(mutex_);
  return data_.get();
}

std::size_t CaptureBuffer::Size() const {
  const std::lock_guard lock(mutex_);
  return size_;
}

void CaptureBuffer::CopyFrom(const std::uint8_t* src, std::size_t bytes) {
  const std::lock_guard lock(mutex_);
  if (!data_ || !src) return;
  std::memcpy(data_.get(), src, std::min(bytes, size_));
}

}  // namespace qrv::sw
