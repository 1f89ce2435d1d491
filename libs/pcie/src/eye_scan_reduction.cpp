#include "eye_scan_reduction.h"

#include <cstring>

namespace pcie {
namespace {

constexpr int kWidthRow = 127;
constexpr int kHeightColumn = 31;
constexpr int kNoLowest = 9999;
constexpr double kColumnStep = 0.015625;
constexpr double kRowStep = 1.6 * 4.0;

bool IsOpen(const uint8_t* table, int row, int column) {
  float cell;
  std::memcpy(&cell, table + (static_cast<size_t>(row) * kEyeColumns + static_cast<size_t>(column)) * 4, sizeof cell);
  return cell == 0.0f;
}

}  // namespace

EyeOpening ReduceEyeScan(const uint8_t* table) {
  int lowestRow = kNoLowest;
  int highestRow = 0;
  for (int row = 0; row < kEyeRows; ++row) {
    if (!IsOpen(table, row, kHeightColumn)) continue;
    if (row < lowestRow) lowestRow = row;
    if (row > highestRow) highestRow = row;
  }
  int lowestColumn = kNoLowest;
  int highestColumn = 0;
  for (int column = 0; column < kEyeColumns; ++column) {
    if (!IsOpen(table, kWidthRow, column)) continue;
    if (column < lowestColumn) lowestColumn = column;
    if (column > highestColumn) highestColumn = column;
  }
  return {static_cast<float>((highestColumn - lowestColumn) * kColumnStep),
          static_cast<float>((highestRow - lowestRow) * kRowStep)};
}

}  // namespace pcie
