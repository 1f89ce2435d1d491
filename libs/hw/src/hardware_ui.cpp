#include "hardware_ui.h"

#include <QApplication>

#include "CHardwareDlg.h"
#include "hardware_controller.h"
#include "port/ui_thread.h"

namespace hw {
namespace {

constexpr int kRefreshDelayMs = 2000;

bool HasGui() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

}  // namespace

HardwareUi::HardwareUi(HardwareController& controller) : controller_(controller) {
  // Only a station whose boards did not open has a window to show, and only a GUI can show it.
  if (!controller_.State().DevicesOpen() && port::ui::HasDispatcher() && HasGui()) {
    context_ = std::make_unique<QObject>();
    refresh_ = std::thread([this] { SpecRefreshThread(); });
  }
}

HardwareUi::~HardwareUi() {
  quit_.Set();
  if (refresh_.joinable()) refresh_.join();
  context_.reset();
  delete window_.data();
}

void HardwareUi::SpecRefreshThread() {
  if (quit_.Wait(kRefreshDelayMs) == port::WaitResult::Signaled) return;
  if (controller_.State().DevicesOpen()) return;
  QMetaObject::invokeMethod(context_.get(), [this] { ShowSettings(); }, Qt::QueuedConnection);
}

void HardwareUi::ShowSettings() {
  if (!HasGui() || !port::ui::IsUiThread()) return;
  if (!window_) window_ = new CHardwareDlg(controller_);
  window_->FillSpecGrid();
  window_->hide();
  window_->show();
  window_->raise();
}

CHardwareDlg* HardwareUi::Window() const { return window_.data(); }

void HardwareUi::ReadSettings() {
  if (window_) {
    window_->FillSpecGrid();
    window_->LoadRegisterKeys();
    return;
  }
  controller_.State().ReadHardwareSettings();
  controller_.State().LoadRegisterKeys();
}

}  // namespace hw
