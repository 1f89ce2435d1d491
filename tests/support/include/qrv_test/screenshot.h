#pragma once
#include <string>

class QWidget;

namespace qrv::test {

// Renders `window` (laid out and polished, as shown) into <build>/screens/<name>.png and returns the file's
// path, or an empty string when it could not be written. The folder comes from QRV_SCREENS_DIR, which every
// test's environment sets to the build folder's screens/.
std::string SaveScreenshot(QWidget& window, const std::string& name);

}  // namespace qrv::test
