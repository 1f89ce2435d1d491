#include "DesktopTools.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <filesystem>
#include <initializer_list>

#include "MenuTable.h"
#include "port/registry.h"

namespace desktop_tools {
namespace {

struct Tool {
  int command;
  std::initializer_list<const char*> programs;
};

// The Linux programs that do the job of each tool, in order of preference.
const Tool kTools[] = {
    {menu_table::kCalc, {"gnome-calculator", "kcalc", "galculator", "qalculate-gtk", "mate-calc", "xcalc"}},
    {menu_table::kPbrush, {"pinta", "kolourpaint", "mtpaint", "gimp"}},
    {menu_table::kControl,
     {"gnome-control-center", "systemsettings", "xfce4-settings-manager", "mate-control-center", "lxqt-config"}},
    {menu_table::kCmd, {"x-terminal-emulator", "gnome-terminal", "konsole", "xfce4-terminal", "xterm"}},
    {menu_table::kDevmgmt, {"hardinfo", "lshw-gtk"}},
    {menu_table::kOsk, {"onboard", "florence", "matchbox-keyboard", "xvkbd"}},
};

// Where the platform has no services of its own (a bare X session, a headless station), the freedesktop
// opener does the same job.
bool OpenUrl(const QUrl& url) {
  if (QDesktopServices::openUrl(url)) return true;
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  return !opener.isEmpty() && QProcess::startDetached(opener, {url.toString()});
}

bool StartProgram(const Tool& tool) {
  for (const char* program : tool.programs) {
    const QString path = QStandardPaths::findExecutable(QString::fromLatin1(program));
    if (!path.isEmpty() && QProcess::startDetached(path, {})) return true;
  }
  return false;
}

// A text editor needs a file: an empty scratch file of the user's.
std::string ScratchTextFile() {
  const QString path = QDir(QDir::tempPath()).filePath(QStringLiteral("QRV_NotePad.txt"));
  QFile file(path);
  if (!file.exists() && file.open(QIODevice::WriteOnly)) file.close();
  return path.toStdString();
}

}  // namespace

// A missing folder is not handed to the desktop, whose opener would answer with an error window of its own.
bool OpenFolder(const std::string& folder) {
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) return false;
  return OpenUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

bool OpenFile(const std::string& path) { return OpenUrl(QUrl::fromLocalFile(QString::fromStdString(path))); }

bool RunTool(int commandId) {
  switch (commandId) {
    case menu_table::kNotePad:
      return OpenFile(ScratchTextFile());
    case menu_table::kRegedit:
      return OpenFolder(port::registry::StoreFolder());
    case menu_table::kExplorer:
      return OpenFolder(QDir::homePath().toStdString());
    default:
      break;
  }
  for (const Tool& tool : kTools)
    if (tool.command == commandId) return StartProgram(tool);
  return false;
}

}  // namespace desktop_tools
