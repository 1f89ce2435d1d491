#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <thread>

#include "port/ui_thread.h"
#include "port/window_message.h"

namespace {

using namespace std::chrono_literals;

// Runs the UI thread's event loop until the condition holds (at most ten seconds: sanitizers on a
// loaded machine are slow).
template <typename Condition>
bool PumpUntil(Condition condition) {
  const auto until = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

class UiThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port::ui::SetClosing(false);
    port::ui::InstallDispatcher();
  }
  void TearDown() override { port::ui::SetClosing(false); }

  int argc_ = 1;
  char name_[8] = "test";
  char* argv_[1] = {name_};
  QCoreApplication app_{argc_, argv_};
};

TEST(UiThreadWithoutDispatcherTest, CallsRunOnTheCaller) {
  ASSERT_FALSE(port::ui::HasDispatcher());
  bool sent = false;
  EXPECT_TRUE(port::ui::Send([&] { sent = true; }));
  EXPECT_TRUE(sent);
  bool posted = false;
  port::ui::Post([&] { posted = true; });
  EXPECT_TRUE(posted);
}

TEST_F(UiThreadTest, SendFromWorkerRunsOnTheUiThreadAndWaits) {
  ASSERT_TRUE(port::ui::IsUiThread());
  std::atomic<bool> ranOnUi{false};
  std::atomic<bool> done{false};
  bool sendResult = false;
  std::thread worker([&] {
    EXPECT_FALSE(port::ui::IsUiThread());
    sendResult = port::ui::Send([&] { ranOnUi = port::ui::IsUiThread(); });
    EXPECT_TRUE(ranOnUi);
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_TRUE(sendResult);
}

TEST_F(UiThreadTest, SendGivesUpWhenClosingAndTheCallNeverRunsLater) {
  std::atomic<bool> returned{false};
  bool sendResult = true;
  bool ran = false;
  std::thread worker([&] {
    sendResult = port::ui::Send([&] { ran = true; });
    returned = true;
  });
  std::this_thread::sleep_for(30ms);  // the UI thread is busy: the call stays queued
  port::ui::SetClosing(true);
  worker.join();
  EXPECT_FALSE(sendResult);
  QCoreApplication::processEvents();
  EXPECT_FALSE(ran);
  EXPECT_TRUE(returned);
}

TEST_F(UiThreadTest, PostIsQueuedEvenOnTheUiThread) {
  bool ran = false;
  port::ui::Post([&] { ran = true; });
  EXPECT_FALSE(ran);
  EXPECT_TRUE(PumpUntil([&] { return ran; }));
}

TEST_F(UiThreadTest, WindowMessagesReachTheirHandlerOnTheUiThread) {
  int anchor = 0;
  const auto window = reinterpret_cast<port::WindowHandle>(&anchor);  // an opaque handle; never dereferenced
  port::RegisterMessageHandler(window, [](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return port::ui::IsUiThread() ? static_cast<std::intptr_t>(message + wParam + lParam) : -2;
  });
  std::atomic<std::intptr_t> answer{0};
  std::thread worker([&] { answer = port::SendMessage(window, port::kWmUser, 1, 2); });
  EXPECT_TRUE(PumpUntil([&] { return answer.load() != 0; }));
  worker.join();
  EXPECT_EQ(answer, port::kWmUser + 3);

  std::atomic<int> posted{0};
  port::RegisterMessageHandler(window, [&](unsigned, std::uintptr_t, std::intptr_t) { return ++posted; });
  EXPECT_TRUE(port::PostMessage(window, port::kWmUser, 0, 0));
  EXPECT_TRUE(PumpUntil([&] { return posted == 1; }));

  port::UnregisterMessageHandler(window);
  EXPECT_EQ(port::SendMessage(window, port::kWmUser, 0, 0), -1);
  EXPECT_FALSE(port::PostMessage(window, port::kWmUser, 0, 0));
}

// A window that goes away while workers keep sending to it: no call after it unregistered, no crash.
TEST_F(UiThreadTest, UnregisterWhileWorkersSend) {
  int anchor = 0;
  const auto window = reinterpret_cast<port::WindowHandle>(&anchor);
  std::atomic<bool> registered{true};
  std::atomic<int> lateCalls{0};
  std::atomic<bool> stop{false};
  std::atomic<int> finished{0};
  auto handler = [&](unsigned, std::uintptr_t, std::intptr_t) -> std::intptr_t {
    if (!registered) ++lateCalls;
    return 1;
  };
  port::RegisterMessageHandler(window, handler);
  std::vector<std::thread> workers;
  for (int i = 0; i < 3; ++i) {
    workers.emplace_back([&] {
      while (!stop) port::SendMessage(window, port::kWmUser, 0, 0);
      ++finished;
    });
  }
  for (int round = 0; round < 50; ++round) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    registered = false;
    port::UnregisterMessageHandler(window);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    registered = true;
    port::RegisterMessageHandler(window, handler);
  }
  stop = true;
  port::UnregisterMessageHandler(window);
  registered = false;
  // Workers may be waiting for the UI thread: keep it running until they are out.
  EXPECT_TRUE(PumpUntil([&] { return finished == 3; }));
  for (auto& worker : workers) worker.join();
  EXPECT_EQ(lateCalls, 0);
}

}  // namespace
