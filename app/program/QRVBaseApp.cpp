#include "QRVBaseApp.h"

#include <QApplication>
#include <algorithm>

#include "ControllerIni.h"
#include "ProgramFolder.h"
#include "QRVBaseDlg.h"
#include "SignalCloser.h"
#include "Util.h"
#include "port/message_box.h"
#include "port/module.h"
#include "port/single_instance.h"
#include "port/ui_thread.h"

namespace {

// Controller.ini pixel rectangles mean pixels, and top-level windows can be placed: X11, no scaling.
void PrepareDisplay() {
  if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING")) qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
}

}  // namespace

CQRVBaseApp::CQRVBaseApp(int& argc, char** argv) : m_argc(argc), m_argv(argv) {}

CQRVBaseApp::~CQRVBaseApp() = default;

std::string CQRVBaseApp::InstanceName(const std::string& root) {
  std::string name = root;
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
}

int CQRVBaseApp::InitInstance() {
  ProgramFolder::SetRoot(port::ProgramFolder());
  PrepareDisplay();
  m_app = std::make_unique<QApplication>(m_argc, m_argv);

  const port::SingleInstanceLock instance(InstanceName(ProgramFolder::Root()));
  if (!instance.Acquired()) {
    if (instance.HeldElsewhere())
      port::MessageBox("Same PGM already execute!!!", "Error", port::kMbOk | port::kMbIconInformation);
    else
      port::MessageBox(instance.Error(), "Error", port::kMbOk | port::kMbIconError);
    return 1;
  }
  port::ui::InstallDispatcher();

  if (ControllerIni::ReadWindowLevel() == 3) SetTaskbarAutoHide();
  {
    SignalCloser signalClose;
    CQRVBaseDlg mainWindow;
    signalClose.SetClose([&mainWindow] { mainWindow.RequestExit(); });
    mainWindow.exec();
  }
  SetTaskbarAlwaysOnTop();
  return 0;
}
