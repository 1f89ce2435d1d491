#include "packet_log.h"

#include <filesystem>
#include <fstream>

#include "port/path.h"
#include "port/text.h"

namespace protocol {

std::string EscapeControlBytes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          out += port::Format("\\x%02X", byte);
        } else {
          out.push_back(c);
        }
    }
  }
  return out;
}

PacketLog::PacketLog(std::string programFolder, char serverLetter)
    : programFolder_(std::move(programFolder)), letter_(serverLetter) {}

std::string PacketLog::FilePath(const port::clock::LocalTime& time) const {
  std::string folder = port::JoinPath(port::JoinPath(programFolder_, "Log"), "ProtocolPacket");
  folder = port::JoinPath(port::JoinPath(folder, port::Format("%04d", time.year)), port::Format("%02d", time.month));
  return port::JoinPath(folder, port::Format("PacketLog_%04d_%02d_%02d_%c.txt", time.year, time.month, time.day, letter_));
}

std::string PacketLog::FormatLine(const port::clock::LocalTime& time, std::string_view text) {
  return port::Format("[%04d/%02d/%02d %02d:%02d:%02d:%03d] ", time.year, time.month, time.day, time.hour,
                      time.minute, time.second, time.millisecond) +
         EscapeControlBytes(text);
}

bool PacketLog::WriteAt(const port::clock::LocalTime& time, std::string_view text) {
  return WriteLine(time, FormatLine(time, text));
}

bool PacketLog::WriteLine(const port::clock::LocalTime& time, const std::string& line) {
  const std::string path = FilePath(time);
  const std::lock_guard lock(mutex_);
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  std::ofstream file(path, std::ios::binary | std::ios::app);
  return file && file.write(line.data(), static_cast<std::streamsize>(line.size())) && file.write("\r\n", 2) &&
         file.flush();
}

}  // namespace protocol
