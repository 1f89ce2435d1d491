#pragma once
// The one QApplication of a test process that shows widgets or uses the handler link, with the station's
// UI-thread dispatcher installed on the calling (main) thread. Created on first use, kept to the end.
class QApplication;

namespace qrv::test {

QApplication& TestApplication();

}  // namespace qrv::test
