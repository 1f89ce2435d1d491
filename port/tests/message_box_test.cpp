#include <gtest/gtest.h>

#include <thread>

#include "port/message_box.h"

namespace {

TEST(MessageBoxTest, HeadlessBoxesAreRecordedAndAnsweredInOrder) {
  ASSERT_TRUE(port::IsHeadless());
  port::ClearShownMessageBoxes();
  port::QueueMessageBoxAnswer(port::kIdNo);
  EXPECT_EQ(port::MessageBox("Reset registry?", "About", port::kMbYesNo | port::kMbIconQuestion), port::kIdNo);
  EXPECT_EQ(port::MessageBox("Registry is reset"), port::kIdOk);
  std::thread worker([] { EXPECT_EQ(port::MessageBox("again?", "QRVBase", port::kMbYesNoCancel), port::kIdYes); });
  worker.join();

  const auto shown = port::ShownMessageBoxes();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].text, "Reset registry?");
  EXPECT_EQ(shown[0].caption, "About");
  EXPECT_EQ(shown[0].type, port::kMbYesNo | port::kMbIconQuestion);
  EXPECT_EQ(shown[1].caption, "QRVBase");
  EXPECT_EQ(shown[2].text, "again?");
  port::ClearShownMessageBoxes();
  EXPECT_TRUE(port::ShownMessageBoxes().empty());
}

}  // namespace
