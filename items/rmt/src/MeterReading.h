#pragma once
// Turning the meter's reply texts into one value in ohms.
#include <string>
#include <vector>

// Leading floating-point text as single precision; not a number gives 0, beyond +-10000 (overflow) gives 0.
float ParseMeterReading(const std::string& text);
// Three or more readings drop the largest and the smallest; fewer are averaged; none give 0.
float ReduceReadings(const std::vector<float>& readings);
