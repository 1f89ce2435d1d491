#pragma once
// The per-day packet log of one server: "PacketLog_<year>_<month>_<day>_<letter>.txt" in the month folder
// "Log/ProtocolPacket/<year>/<month>" of the program folder, one "[<time stamp>] <text>" line per call.
// Control bytes of the text are escaped, so one line is one packet whatever the handler sent. A folder
// that cannot be made or a file that cannot be written costs a line in the site log, never the link.
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "port/clock.h"

namespace protocol {

// The text with '\r', '\n', '\t' and '\\' written as escapes and every other byte below 0x20 (and 0x7F)
// as "\xHH".
std::string EscapeControlBytes(std::string_view text);

class PacketLog {
 public:
  using Failure = std::function<void(const std::string& line)>;

  PacketLog(std::string programFolder, char serverLetter, Failure onFailure);

  // "[<time stamp>] <text>" with the text's control bytes escaped, without the line end.
  static std::string FormatLine(const port::clock::LocalTime& time, std::string_view text);
  // Appends one line stamped with time to that day's file; false when it could not be written.
  bool WriteAt(const port::clock::LocalTime& time, std::string_view text);
  // The same with a line FormatLine made.
  bool WriteLine(const port::clock::LocalTime& time, const std::string& line);

  std::string FilePath(const port::clock::LocalTime& time) const;

 private:
  const std::string programFolder_;
  const char letter_;
  const Failure onFailure_;
  std::mutex mutex_;
  bool failing_ = false;  // one failure line per run of failures, not one per packet
};

}  // namespace protocol
