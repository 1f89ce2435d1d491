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

  // The program folder without a trailing separator: the base of every relative settings path.
  static std::string Root();
  // Tests point the program's relative paths at a station folder of their own.
  static void SetRoot(const std::string& root);

  // The name of the single-instance lock for a program folder ('/' becomes '_').
  static std::string InstanceName(const std::string& root);

 private:
  int& m_argc;
  char** m_argv;
  std::unique_ptr<QApplication> m_app;
};
