#include "ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>
#include <filesystem>

#include "port/message_box.h"

bool OpenWithShell(const std::string& path) {
  std::error_code error;
  if (path.empty() || !std::filesystem::exists(path, error)) {
    port::MessageBox(path + " does not exist.", "QRVBase", port::kMbOk | port::kMbIconWarning);
    return false;
  }
  if (port::IsHeadless()) return true;
  if (QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)))) return true;
  port::MessageBox("No program opens " + path + ".", "QRVBase", port::kMbOk | port::kMbIconWarning);
  return false;
}
