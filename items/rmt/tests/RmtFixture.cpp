#include "RmtFixture.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "HiokiLog.h"
#include "port/clock.h"
#include "port/message_box.h"
#include "port/text.h"
#include "qrv_test/set_log_capture.h"

RmtFixture::RmtFixture() : record(std::make_unique<CQRV_LoadMemory>(QRV_RIGUTIL_LIBRARY)) {
  qrv::test::ClearCapturedSetLog();
  port::ClearShownMessageBoxes();
  record->SetLog = qrv::test::CaptureSetLog;
  port::CopyText(record->m_szModelPath, dir.path());
  port::CopyText(record->m_szRoot, dir.path());
}

void RmtFixture::WriteTestIni(const std::vector<int>& channels, const std::vector<int>& testPoints, int sampling,
                              int dummy) {
  std::ofstream ini(dir.File("Test.ini"));
  ini << "[APP]\nKEY=0\n[RMT_BOARD_SETTING]\nINTERVAL=1\nSLEEP=1\nTCP_PORT=" << sim.relayPort() << "\n";
  for (const int ch : channels) ini << "CHANNEL_" << ch << "=1\n";
  for (const int tp : testPoints) ini << "TP_" << tp << "=1\n";
  ini << "[HIOKI_SETTING]\nSEND_SLEEP=0\nRECV_SLEEP=0\nIP_ADDRESS=127.0.0.1\nTCP_PORT=" << sim.meterPort()
      << "\nSAMPLING=" << sampling << "\nDUMMY=" << dummy << "\n";
}

std::vector<std::string> RmtFixture::CsvLines() const {
  std::ifstream file(HiokiLogPath(dir.path(), port::clock::NowLocal()), std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line, '\n');) lines.push_back(line);
  return lines;
}

bool RmtFixture::Logged(const std::string& text) {
  const std::vector<std::string> lines = qrv::test::CapturedSetLog(0);
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}
