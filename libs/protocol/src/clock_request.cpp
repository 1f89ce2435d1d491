#include "clock_request.h"

#include <cerrno>
#include <ctime>

#include "port/text.h"

namespace protocol {
namespace {

constexpr std::size_t kTimeLength = 17;

bool ReadDigits(std::string_view text, std::size_t from, std::size_t count, int& out) {
  out = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    out = out * 10 + (text[i] - '0');
  }
  return true;
}

bool ParseTime(std::string_view text, port::clock::LocalTime& t) {
  return ReadDigits(text, 0, 4, t.year) && ReadDigits(text, 4, 2, t.month) && ReadDigits(text, 6, 2, t.day) &&
         ReadDigits(text, 8, 2, t.hour) && ReadDigits(text, 10, 2, t.minute) && ReadDigits(text, 12, 2, t.second) &&
         ReadDigits(text, 14, 3, t.millisecond) && t.year >= 1970 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= 31 && t.hour < 24 && t.minute < 60 && t.second < 60;
}

}  // namespace

ClockResult SetSystemClock(const port::clock::LocalTime& time) {
  std::tm broken{};
  broken.tm_year = time.year - 1900;
  broken.tm_mon = time.month - 1;
  broken.tm_mday = time.day;
  broken.tm_hour = time.hour;
  broken.tm_min = time.minute;
  broken.tm_sec = time.second;
  broken.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&broken);
  if (seconds == static_cast<std::time_t>(-1)) return ClockResult::Failed;
  const timespec value{seconds, static_cast<long>(time.millisecond) * 1000000L};
  if (clock_settime(CLOCK_REALTIME, &value) == 0) return ClockResult::Ok;
  return errno == EPERM ? ClockResult::NotPermitted : ClockResult::Failed;
}

std::string ClockAnswer(std::string_view time, const ClockSetter& setter) {
  const std::string shown(time);
  if (time.size() != kTimeLength) return port::Format("@RET=0@MSG=LENGTH_FAIL@TIME=%s", shown.c_str());
  port::clock::LocalTime parsed{};
  const ClockResult result = ParseTime(time, parsed) ? setter(parsed) : ClockResult::Failed;
  switch (result) {
    case ClockResult::Ok:
      return port::Format("@RET=1@MSG=OK@TIME=%s", shown.c_str());
    case ClockResult::NotPermitted:
      return port::Format("@RET=0@MSG=change_permissions_FAIL@TIME=%s", shown.c_str());
    case ClockResult::Failed:
      break;
  }
  return port::Format("@RET=0@MSG=NG@TIME=%s", shown.c_str());
}

}  // namespace protocol
