#include "FolderPicker.h"

#include <QApplication>
#include <QFileDialog>

#include "port/message_box.h"

std::string BrowseFolder() {
  if (port::IsHeadless()) return {};
  const QString folder = QFileDialog::getExistingDirectory(QApplication::activeWindow(), "Choice a directory.",
                                                           QString(), QFileDialog::ShowDirsOnly);
  return folder.toStdString();
}
