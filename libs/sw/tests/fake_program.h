#pragma once
// The main program's exports that the library calls, defined by the test binary itself.
#include <atomic>

namespace qrv::sw::test {

struct FakeProgram {
  static std::atomic<int> fpsDraw;
  static std::atomic<int> siteDrawCalls;
  static std::atomic<int> lastSiteDrawn;
};

}  // namespace qrv::sw::test
