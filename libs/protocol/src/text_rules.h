#pragma once
// How numbers and texts from the handler are read: never past their range, never into a path.
#include <optional>
#include <string>
#include <string_view>

namespace protocol {

// A decimal integer as the link writes it ("%d"); text that is not a number gives 0, and a value beyond
// int saturates instead of overflowing.
int ParseInt(std::string_view text);
// A decimal number read in the C locale; text that is not a number gives 0.
float ParseFloat(std::string_view text);
double ParseDouble(std::string_view text);

// A server's port as Protocol.ini stores it: decimal digits only, 1 to 65535; anything else is no port, so a
// mistyped setting never ends up on a port the system picks or on a number the socket layer cuts.
std::optional<int> ParsePortText(std::string_view text);

// As long as the site panel keeps a lot, so that a long lot reaches it whole and reads as unchanged the next time.
inline constexpr std::size_t kMaxLotLength = 64;

// The lot as it may become part of a file name: CR and LF removed, path and control characters replaced
// by '_', a name of dots only made harmless, cut to kMaxLotLength characters.
std::string SafeLotName(std::string_view lot);

}  // namespace protocol
