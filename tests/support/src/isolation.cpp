// Every test process gets its own home, registry, data and runtime folders before the first test, so no
// test reads or writes the user's files and parallel test processes never share state.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "qrv_test/scoped_env.h"
#include "qrv_test/temp_dir.h"

namespace qrv::test {
namespace {

class IsolationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // As ctest runs them; also when a test binary is started by hand.
    ::setenv("QRV_HEADLESS", "1", 0);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    root_ = std::make_unique<TempDir>();
    Folder("HOME", "home");
    Folder("QRV_REGISTRY_DIR", "registry");
    Folder("XDG_DATA_HOME", "data");
    Folder("XDG_CONFIG_HOME", "config");
    Folder("XDG_CACHE_HOME", "cache");
    Folder("XDG_RUNTIME_DIR", "runtime");
  }

  void TearDown() override {
    variables_.clear();
    root_.reset();
  }

 private:
  void Folder(const char* variable, const char* name) {
    const std::string path = root_->File(name);
    ::mkdir(path.c_str(), 0700);  // Qt insists on 0700 for the runtime folder
    variables_.push_back(std::make_unique<ScopedEnv>(variable, path));
  }

  std::unique_ptr<TempDir> root_;
  std::vector<std::unique_ptr<ScopedEnv>> variables_;
};

[[maybe_unused]] ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new IsolationEnvironment);  // gtest owns and deletes it

}  // namespace
}  // namespace qrv::test
