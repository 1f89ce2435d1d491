#pragma once
// The application object: one copy per program folder, the task-bar mode, the modal main window.
#include <memory>
#include <string>

class QApplication;

class CQRVBaseApp {
 public:
  CQRVBaseApp(int& argc, char** argv);
  ~CQRVBaseApp();
  CQRVBaseApp(const CQRVBaseApp&) = delete;
  CQRVBaseApp& operator=(const CQRVBaseApp&) = delete;

  // The whole start-up and run; returns the process exit code (non-zero when another copy runs here).
  int InitInstance();

  // The name of the single-instance lock for a program folder ('/' becomes '_').
  static std::string InstanceName(const std::string& root);

 private:
  int& m_argc;
  char** m_argv;
  std::unique_ptr<QApplication> m_app;
};
