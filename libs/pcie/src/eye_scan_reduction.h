#pragma once
// The eye scan's table and its reduction to the eye's width and height.
#include <cstddef>
#include <cstdint>

namespace pcie {

inline constexpr int kEyeRows = 254;
inline constexpr int kEyeColumns = 64;
inline constexpr size_t kEyeScanTableBytes = 0xFE00;

struct EyeOpening {
  float horizontal;
  float vertical;
};

// A cell is open when it reads 0.0. The width is taken across row 127, the height down column 31;
// with no open cell the figures come from the start values (lowest 9999, highest 0).
EyeOpening ReduceEyeScan(const uint8_t* table);

}  // namespace pcie
