#pragma once
// Register addresses and values typed by hand, checked against the sensor bus before they reach it.
#include <optional>
#include <string>

namespace hw {

// A hexadecimal text ("36", "0x36"); nothing for an empty text, other characters or a value above `max`.
std::optional<int> ParseHexField(const std::string& text, unsigned long max);

// Largest register address and value of I2C mode 0-3 (address bits _ data bits: 8_8, 8_16, 16_8, 16_16).
unsigned long MaxI2cAddress(int mode);
unsigned long MaxI2cData(int mode);

// The mode's name as the panel shows it, e.g. "16_8(bit)".
const char* I2cModeName(int mode);

}  // namespace hw
