#include "MeterReading.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr float kReadingLimit = 10000.0f;
}

float ParseMeterReading(const std::string& text) {
  const float value = std::strtof(text.c_str(), nullptr);
  if (value > kReadingLimit || value < -kReadingLimit) return 0.0f;
  return value;
}

float ReduceReadings(const std::vector<float>& readings) {
  const auto n = static_cast<int>(readings.size());
  if (n == 0) return 0.0f;
  float sum = 0.0f;
  for (const float r : readings) sum += r;
  if (n <= 2) return sum / static_cast<float>(n);
  const auto [low, high] = std::minmax_element(readings.begin(), readings.end());
  return static_cast<float>((static_cast<double>(sum) - *high - *low) / (n - 2));
}
