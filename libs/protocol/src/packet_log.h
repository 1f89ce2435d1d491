#pragma once
// The per-day packet log of one server: "PacketLog_<year>_<month>_<day>_<letter>.txt" in the month folder
// "Log/ProtocolPacket/<year>/<month>" of the program folder, one "[<time stamp>] <text>" line per call.
// Control bytes of the text are escaped, so one line is one packet whatever the handler sent. A line whose
// folder cannot be made or whose file cannot be written is lost; the link goes on.
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
  PacketLog(std::string programFolder, char serverLetter);

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
  std::mutex mutex_;
};

}  // namespace protocol
