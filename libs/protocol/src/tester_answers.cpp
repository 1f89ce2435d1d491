#include "tester_answers.h"

namespace protocol {

void TesterAnswers::ClearForStart() {
  for (auto& flag : flags_) flag.store(0);
  for (auto& flag : pus_) flag.store(0);
  for (auto& flag : pug_) flag.store(0);
}

void TesterAnswers::SetPublicData(const std::string& key, const std::string& data) {
  const std::lock_guard lock(publicMutex_);
  public_[key] = data;
}

std::optional<std::string> TesterAnswers::PublicData(const std::string& key) const {
  const std::lock_guard lock(publicMutex_);
  const auto found = public_.find(key);
  if (found == public_.end()) return std::nullopt;
  return found->second;
}

}  // namespace protocol
