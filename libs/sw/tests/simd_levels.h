#pragma once
// Each vector width the loops come in, so a test can run its check at every one of them on a machine that
// has the widest: the widest first, then narrower ones down to plain loops.
#include <string>

#include "bgr_simd.h"

namespace qrv::test {

inline constexpr qrv::simd::Level kSimdLevels[] = {qrv::simd::Level::kAvx512, qrv::simd::Level::kAvx2,
                                                   qrv::simd::Level::kSsse3, qrv::simd::Level::kBaseline};

inline std::string LevelName(qrv::simd::Level level) {
  const char* names[] = {"plain loops", "SSSE3", "AVX2", "AVX-512"};
  return names[static_cast<int>(level)];
}

// Caps the loops in use at a level for its lifetime.
class ScopedSimdLevel {
 public:
  explicit ScopedSimdLevel(qrv::simd::Level level) : old_(qrv::simd::LevelCap().exchange(level)) {}
  ~ScopedSimdLevel() { qrv::simd::LevelCap().store(old_); }
  ScopedSimdLevel(const ScopedSimdLevel&) = delete;
  ScopedSimdLevel& operator=(const ScopedSimdLevel&) = delete;

 private:
  qrv::simd::Level old_;
};

}  // namespace qrv::test
