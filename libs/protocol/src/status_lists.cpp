#include "status_lists.h"

namespace protocol {

void StatusLists::Append(int server, const std::string& text) {
  if (server < 0 || server >= kLists) return;
  {
    const std::lock_guard lock(mutex_);
    auto& list = lists_[server];
    if (list.size() > kCap) list.clear();
    list.push_back(text);
  }
  Changed();
}

void StatusLists::Clear() {
  {
    const std::lock_guard lock(mutex_);
    for (auto& list : lists_) list.clear();
  }
  Changed();
}

std::deque<std::string> StatusLists::Lines(int server) const {
  const std::lock_guard lock(mutex_);
  return server >= 0 && server < kLists ? lists_[server] : std::deque<std::string>{};
}

void StatusLists::SetChanged(std::function<void()> changed) {
  const std::lock_guard lock(mutex_);
  changed_ = std::move(changed);
}

void StatusLists::Changed() {
  std::function<void()> changed;
  {
    const std::lock_guard lock(mutex_);
    changed = changed_;
  }
  if (changed) changed();
}

}  // namespace protocol
