#pragma once
// Driving the menus and their modal dialogs in an offscreen test.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string>

#include "CommandMenuBar.h"
#include "DynamicDlg.h"
#include "LoginDlg.h"

namespace menus_test {

// Runs `drive` on the dialog of that type once it is the modal window; a dialog the drive leaves open is
// closed afterwards, so the command that opened it returns.
template <typename Dialog>
void WhenModal(std::function<void(Dialog&)> drive) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, drive] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    timer->stop();
    timer->deleteLater();
    drive(*dialog);
    if (dialog->isVisible()) dialog->reject();
  });
  timer->start();
}

inline void Click(QWidget& dialog, const char* name) {
  auto* button = dialog.findChild<QPushButton*>(name);
  ASSERT_NE(button, nullptr) << name;
  button->click();
}

inline void Type(QWidget& dialog, const char* name, const std::string& text) {
  auto* edit = dialog.findChild<QLineEdit*>(name);
  ASSERT_NE(edit, nullptr) << name;
  edit->setText(QString::fromStdString(text));
}

// Logs out when logged in, then logs in at the level through the menu's "Login".
inline void LoginThroughMenu(CommandMenuBar& menu, DynamicDlg& panel, int level, const std::string& password) {
  if (panel.IsLoggedIn() != 0) {
    WhenModal<LoginDlg>([](LoginDlg& dialog) { Click(dialog, "LogOut"); });
    menu.Action(menu_table::kLogin)->trigger();
  }
  WhenModal<LoginDlg>([level, password](LoginDlg& dialog) {
    dialog.findChild<QComboBox*>("User")->setCurrentIndex(level);
    Type(dialog, "Password", password);
    Click(dialog, "Login");
  });
  menu.Action(menu_table::kLogin)->trigger();
}

}  // namespace menus_test
