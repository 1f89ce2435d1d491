#include "QRVBaseApp.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "QRVBaseDlg.h"
#include "SignalCloser.h"
#include "UIManagerDlg.h"
#include "Util.h"
#include "port/message_box.h"
#include "port/module.h"
#include "port/single_instance.h"
#include "port/ui_thread.h"

namespace {

std::mutex rootMutex;
std::string rootFolder;

// Controller.ini pixel rectangles mean pixels, and top-level windows can be placed: X11, no scaling.
void PrepareDisplay() {
  if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING")) qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
}

// Test tool: QRV_EXIT_AFTER_MS closes the main window after that many milliseconds, as a confirmed exit.
void ScheduleTestExit(CQRVBaseDlg& window) {
  const char* text = std::getenv("QRV_EXIT_AFTER_MS");
  if (!text || !*text) return;
  QTimer::singleShot(std::max(0, std::atoi(text)), &window, [&window] { window.RequestExit(); });
}

}  // namespace

CQRVBaseApp::CQRVBaseApp(int& argc, char** argv) : m_argc(argc), m_argv(argv) {}

CQRVBaseApp::~CQRVBaseApp() = default;

std::string CQRVBaseApp::Root() {
  const std::lock_guard lock(rootMutex);
  return rootFolder.empty() ? port::ProgramFolder() : rootFolder;
}

void CQRVBaseApp::SetRoot(const std::string& root) {
  const std::lock_guard lock(rootMutex);
  rootFolder = root;
}

std::string CQRVBaseApp::InstanceName(const std::string& root) {
  std::string name = root;
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
}

int CQRVBaseApp::InitInstance() {
  SetRoot(port::ProgramFolder());
  PrepareDisplay();
  m_app = std::make_unique<QApplication>(m_argc, m_argv);

  const port::SingleInstanceLock instance(InstanceName(Root()));
  if (!instance.Acquired()) {
    port::MessageBox("Same PGM already execute!!!", "Error", port::kMbOk | port::kMbIconInformation);
    return 1;
  }
  port::ui::InstallDispatcher();

  if (UIManagerDlg::ReadWindowLevel() == 3) SetTaskbarAutoHide();
  {
    SignalCloser signalClose;
    CQRVBaseDlg mainWindow;
    signalClose.SetClose([&mainWindow] { mainWindow.RequestExit(); });
    ScheduleTestExit(mainWindow);
    mainWindow.exec();
  }
  SetTaskbarAlwaysOnTop();
  return 0;
}
