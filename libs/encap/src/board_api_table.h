#pragma once
// The board library as the facade sees it: its module and the 118 functions that the wrappers forward,
// bound once while the facade itself is being loaded and never rebound.
#include <array>
#include <string>
#include <vector>

#include "EncapsulationTable.h"

namespace encap {

class BoardApiTable {
 public:
  // Loads the board library from `folder` and binds every wrapper's board function.
  explicit BoardApiTable(const std::string& folder);
  ~BoardApiTable();
  BoardApiTable(const BoardApiTable&) = delete;
  BoardApiTable& operator=(const BoardApiTable&) = delete;

  void* Entry(std::size_t index) const { return index < entries_.size() ? entries_[index] : nullptr; }
  ModuleHandle Module() const { return module_; }
  // Failures seen while binding, as the texts the operator is told.
  const std::vector<std::string>& Problems() const { return problems_; }

 private:
  ModuleHandle module_ = nullptr;
  std::array<void*, kEncapWrapperCount> entries_{};
  std::vector<std::string> problems_;
};

// The process-wide table, built by the library's static initialisation.
const BoardApiTable& BoardApi();

}  // namespace encap
