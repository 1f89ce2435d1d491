#pragma once
// The handler's request to set the station's clock: a 17-digit local time "YYYYMMDDhhmmssmmm".
#include <functional>
#include <string>
#include <string_view>

#include "port/clock.h"

namespace protocol {

enum class ClockResult { Ok, NotPermitted, Failed };
using ClockSetter = std::function<ClockResult(const port::clock::LocalTime& time)>;

// Sets the system clock (needs the right to, which a station may not have).
ClockResult SetSystemClock(const port::clock::LocalTime& time);

// The answer data for a received TIME text, setting the clock through setter when the text is valid.
std::string ClockAnswer(std::string_view time, const ClockSetter& setter);

}  // namespace protocol
