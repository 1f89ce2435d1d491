#pragma once
#include <string>
#include <string_view>

namespace qrv::test {

// A fresh folder under $TMPDIR (/tmp when that is unset or empty), removed with everything in it when the
// object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // A path inside the folder (nothing is created).
  std::string File(std::string_view name) const;

 private:
  std::string path_;
};

}  // namespace qrv::test
