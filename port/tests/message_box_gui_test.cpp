#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "port/message_box.h"
#include "port/ui_thread.h"
#include "qrv_test/scoped_env.h"

namespace {

using namespace std::chrono_literals;

// A GUI run (offscreen): a worker's box is shown by the UI thread, and the worker gets the clicked button.
TEST(MessageBoxGuiTest, WorkerBoxRunsOnTheUiThreadAndReturnsTheClickedButton) {
  const qrv::test::ScopedEnv gui("QRV_HEADLESS", std::nullopt);
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name};
  QApplication app(argc, argv);
  port::ui::SetClosing(false);
  port::ui::InstallDispatcher();
  ASSERT_FALSE(port::IsHeadless());

  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer clicker;  // runs inside the box's own event loop
  QObject::connect(&clicker, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    title = box->windowTitle();
    icon = box->icon();
    box->button(QMessageBox::No)->click();
  });
  clicker.start(10);

  std::atomic<int> answer{0};
  std::thread worker([&] { answer = port::MessageBox("Save?", "Cycle Manager", port::kMbYesNo | port::kMbIconQuestion); });
  const auto until = std::chrono::steady_clock::now() + 10s;
  while (answer == 0 && std::chrono::steady_clock::now() < until) QApplication::processEvents(QEventLoop::AllEvents, 5);
  worker.join();
  EXPECT_EQ(answer, port::kIdNo);
  EXPECT_EQ(title, "Cycle Manager");
  EXPECT_EQ(icon, QMessageBox::Question);
}

}  // namespace
