#pragma once
#include <optional>
#include <string>

namespace qrv::test {

// Sets (or with nullopt, unsets) an environment variable and restores the previous state on destruction.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace qrv::test
