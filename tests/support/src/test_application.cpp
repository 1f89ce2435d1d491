#include "qrv_test/test_application.h"

#include <QApplication>

#include "port/ui_thread.h"

namespace qrv::test {

QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "qrv_test";
  static char* argv[] = {name, nullptr};
  static QApplication* const app = [] {
    auto* created = new QApplication(argc, argv);
    port::ui::InstallDispatcher();
    return created;
  }();
  return *app;
}

}  // namespace qrv::test
