// Transfers the driver refuses, told apart from transfers it cuts short: a refusal is the failed seek of
// the one positioned call, reported once with the positioning line, and ends the operation with its own
// code; a short read is only retried.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "driver_double.h"

namespace {

using namespace driver_double;

constexpr uint64_t kLineCounter = 0x4A30068;
constexpr uint64_t kMailbox = 0x4C00000;

// What the driver does to the transfers still to come; the test thread alone touches it.
struct Plan {
  bool refuseFrameReads = false;
  int shortFrameReads = 0;           // the next this many frame reads move half their bytes
  int counterReadsBeforeRefusal = -1;  // -1: the line counter is never refused
  int mailboxReadsToRefuse = 0;      // reads of the reply's first word
};
Plan g_plan;

long Refuse() {
  errno = EIO;
  return -1;
}

// The stand-in with the plan applied in front of it.
class PlannedNode final : public pcie::Node {
 public:
  PlannedNode(std::unique_ptr<pcie::Node> driver, bool frames) : driver_(std::move(driver)), frames_(frames) {}
  long ReadAt(void* buffer, size_t count, uint64_t offset) override {
    if (frames_) {
      if (g_plan.refuseFrameReads) return Refuse();
      if (g_plan.shortFrameReads > 0) {
        --g_plan.shortFrameReads;
        return driver_->ReadAt(buffer, count / 2, offset);
      }
    } else if (offset == kLineCounter && g_plan.counterReadsBeforeRefusal >= 0) {
      if (g_plan.counterReadsBeforeRefusal == 0) return Refuse();
      --g_plan.counterReadsBeforeRefusal;
    } else if (offset == kMailbox && g_plan.mailboxReadsToRefuse > 0) {
      --g_plan.mailboxReadsToRefuse;
      return Refuse();
    }
    return driver_->ReadAt(buffer, count, offset);
  }
  long WriteAt(const void* data, size_t count, uint64_t offset) override { return driver_->WriteAt(data, count, offset); }

 private:
  std::unique_ptr<pcie::Node> driver_;
  bool frames_;
};

std::unique_ptr<pcie::Node> OpenPlanned(const std::string& path) {
  std::unique_ptr<pcie::Node> node = OpenDriverDouble(path);
  if (!node || !(path.ends_with("_user") || path.ends_with("_c2h_0"))) return node;
  return std::make_unique<PlannedNode>(std::move(node), path.ends_with("_c2h_0"));
}

std::string PositioningLines(int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) lines += "Error setting file pointer, win32 error code: " + std::to_string(EIO) + "\n";
  return lines;
}

class RefusedTransfers : public RealBoardPath {
 protected:
  void SetUp() override {
    RealBoardPath::SetUp();
    g_plan = Plan{};
    pcie::SetDriverNodeOpener(&OpenPlanned);  // the fixture puts the first opener back
    ASSERT_EQ(PCI_LVDS_Close(0), 1);
    ASSERT_EQ(PCI_LVDS_Init(0), 1);
  }
  void TearDown() override {
    g_plan = Plan{};
    RealBoardPath::TearDown();
  }
};

TEST_F(RefusedTransfers, FrameRequestEndsAtTheRefusalWithItsCodeAndOneLine) {
  struct Case {
    const char* what;
    int height;  // up to 97 lines the first counter reading already shows the whole frame
    Plan plan;
    int code;
    int lines;
  };
  const std::vector<Case> cases = {
      {"frame node refused while lines arrive", 300, {.refuseFrameReads = true}, -6, 1},
      {"frame node refused at the final read", 40, {.refuseFrameReads = true}, -10, 1},
      {"line counter refused while lines arrive", 300, {.counterReadsBeforeRefusal = 1}, -8, 1},
      {"short frame reads taken again", 300, {.shortFrameReads = 2}, 1, 0},
      {"short final reads tried three times", 40, {.shortFrameReads = 3}, -11, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartStream(c.height);
    std::vector<uint8_t> frame(64 * static_cast<size_t>(c.height));
    const int32_t size = static_cast<int32_t>(frame.size());
    g_plan = c.plan;
    testing::internal::CaptureStderr();
    EXPECT_EQ(PCI_LVDS_GetFrame(0, &size, frame.data()), c.code);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), PositioningLines(c.lines));
    g_plan = Plan{};
    if (c.code == 1) {
      EXPECT_EQ(frame.back(), VelkaraSim_PatternSample(63, c.height - 1, 8));
    }
    EXPECT_EQ(PCI_LVDS_Stop(0), 1) << "the board is free again";
  }
}

// The reply wait's read is its seek: a refused one fails the wait, even when a later read shows the
// command done.
TEST_F(RefusedTransfers, RefusedReplyReadFailsTheCommandWithOneLine) {
  for (const int refusals : {1, 1000000}) {
    SCOPED_TRACE(refusals);
    g_plan.mailboxReadsToRefuse = refusals;
    uint32_t tenths = 0, other = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(PCI_GetTemp(0, &tenths, &other), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), PositioningLines(1));
    g_plan = Plan{};
    EXPECT_EQ(PCI_GetTemp(0, &tenths, &other), 1) << "the board is free again";
  }
}

}  // namespace
