#pragma once
// A station folder of its own for a test: the program's relative settings paths point into a fresh
// temporary folder with Config/QRV_Config.ini naming the model "M" and an empty Ref/M.
#include <QApplication>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "ProgramFolder.h"
#include "qrv_test/file_text.h"
#include "qrv_test/temp_dir.h"
#include "qrv_test/test_application.h"

namespace qrv::test {

class StationFolder {
 public:
  StationFolder() {
    ProgramFolder::SetRoot(m_dir.path());
    Write("Config/QRV_Config.ini", "[QRV_Equip]\r\nModel_Name=M\r\n");
    std::filesystem::create_directories(Path("Ref/M"));
  }
  ~StationFolder() { ProgramFolder::SetRoot(""); }
  StationFolder(const StationFolder&) = delete;
  StationFolder& operator=(const StationFolder&) = delete;

  std::string Path(const std::string& relative) const { return m_dir.path() + "/" + relative; }
  void Write(const std::string& relative, const std::string& text) const {
    std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
    qrv::test::WriteFile(Path(relative), text);
  }
  std::string Read(const std::string& relative) const { return qrv::test::ReadFile(Path(relative)); }
  bool Exists(const std::string& relative) const { return std::filesystem::exists(Path(relative)); }

 private:
  qrv::test::TempDir m_dir;
};


// Runs the UI thread's events until the condition holds or five seconds have passed.
inline bool ProcessEventsUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace qrv::test
