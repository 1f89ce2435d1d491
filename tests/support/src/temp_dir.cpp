#include "qrv_test/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace qrv::test {
namespace {

std::filesystem::path TemporaryRoot() {
  const char* root = std::getenv("TMPDIR");
  return root && *root ? std::filesystem::path(root) : std::filesystem::path("/tmp");
}

}  // namespace

TempDir::TempDir() {
  std::string pattern = (TemporaryRoot() / "qrv-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder under " + pattern);
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

std::string TempDir::File(std::string_view name) const { return path_ + "/" + std::string(name); }

}  // namespace qrv::test
