#pragma once
// A board's register node in 32-bit words: the driver's register device moves one aligned word per
// call and always copies four bytes, so every other access is built from word transfers here.
#include <cstdint>
#include <memory>

#include "node.h"

namespace pcie {

class RegisterNode final : public Node {
 public:
  explicit RegisterNode(std::unique_ptr<Node> driverNode);

  // Any count at any offset. Bytes sharing a word with the access but outside it are read first and
  // written back as they were. A transfer stops at the first failed word: -1 (errno set).
  long ReadAt(void* buffer, size_t count, uint64_t offset) override;
  long WriteAt(const void* data, size_t count, uint64_t offset) override;

 private:
  bool ReadWord(uint64_t address, uint32_t& word);
  bool WriteWord(uint64_t address, uint32_t word);

  std::unique_ptr<Node> driver_;
};

}  // namespace pcie
