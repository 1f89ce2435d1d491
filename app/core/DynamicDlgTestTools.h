#pragma once
// Test tools of a headless station run (not features): QRV_TEST_COMMANDS sends ';'-separated handler command
// texts to the site panel once it is up; QRV_TEST_SCREENSHOT names a PNG file that receives a picture of the
// main window and the site panel when the commanded sites have finished, after which each site's state is
// written to standard error and the station closes as after a confirmed exit.
#include <functional>

class DynamicDlg;
class QWidget;

void StartStationTestTools(QWidget& mainWindow, DynamicDlg& panel, std::function<void()> requestExit);
