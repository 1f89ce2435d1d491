#pragma once
// The setup window of the hardware library, created on the UI thread when first shown, and the
// spec-refresh worker that shows it when the boards did not open.
#include <QObject>
#include <QPointer>
#include <memory>
#include <thread>

#include "port/event.h"

namespace hw {

class CHardwareDlg;
class HardwareController;

class HardwareUi {
 public:
  explicit HardwareUi(HardwareController& controller);
  ~HardwareUi();
  HardwareUi(const HardwareUi&) = delete;
  HardwareUi& operator=(const HardwareUi&) = delete;

  // Refills the settings grid and shows the window (created here on first use); nothing without a GUI.
  void ShowSettings();
  // Reads the settings and the register keys again, shown or not.
  void ReadSettings();
  CHardwareDlg* Window() const;

 private:
  void SpecRefreshThread();

  HardwareController& controller_;
  QPointer<CHardwareDlg> window_;
  // Receives the worker's queued call on the UI thread; its destruction drops a call still on its way, so
  // nothing runs in this library once it is unloaded.
  std::unique_ptr<QObject> context_;
  port::Event quit_{port::Event::Reset::Manual};
  std::thread refresh_;
};

}  // namespace hw
