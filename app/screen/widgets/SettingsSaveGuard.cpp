#include "SettingsSaveGuard.h"

#include "port/message_box.h"

bool RefuseSaveWhileTesting(const std::function<bool()>& anySiteRunning) {
  if (!anySiteRunning || !anySiteRunning()) return false;
  port::MessageBox("Platform Testing...\r\nNothing was saved: save again when no site is testing.", "QRVBase",
                   port::kMbOk | port::kMbIconWarning);
  return true;
}
