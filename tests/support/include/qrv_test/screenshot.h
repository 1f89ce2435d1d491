#pragma once
#include <QSize>
#include <string>
#include <vector>

class QWidget;

namespace qrv::test {

// Renders `window` (laid out and polished, as shown) into <build>/screens/<name>.png and returns the file's
// path, or an empty string when it could not be written. The folder comes from QRV_SCREENS_DIR, which every
// test's environment sets to the build folder's screens/.
std::string SaveScreenshot(QWidget& window, const std::string& name);

// The screen as a person sees it: each window drawn at its frame's place on a desktop of that size, into
// the PNG file; false when it could not be written.
bool SaveScreenPicture(const std::string& file, const QSize& screen, const std::vector<QWidget*>& windows);
// <build>/screens/<name>.png, or empty without QRV_SCREENS_DIR.
std::string ScreensFile(const std::string& name);

}  // namespace qrv::test
