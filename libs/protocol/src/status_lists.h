#pragma once
// The four status lists: per server the packet log lines and the server's own messages. Filled from any
// thread, shown by the protocol dialog; shared with the servers' lines, so a line never outlives them.
#include <array>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace protocol {

class StatusLists {
 public:
  static constexpr int kLists = 4;
  static constexpr std::size_t kCap = 10000;

  // A list that holds more than kCap lines is emptied first.
  void Append(int server, const std::string& text);
  void Clear();
  std::deque<std::string> Lines(int server) const;
  // Called after every change (any thread).
  void SetChanged(std::function<void()> changed);

 private:
  void Changed();

  mutable std::mutex mutex_;
  std::array<std::deque<std::string>, kLists> lists_;
  std::function<void()> changed_;
};

}  // namespace protocol
