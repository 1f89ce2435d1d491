#include "qrv_test/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace qrv::test {

TempDir::TempDir() {
  std::string pattern = "/tmp/qrv-test-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

std::string TempDir::File(std::string_view name) const { return path_ + "/" + std::string(name); }

}  // namespace qrv::test
