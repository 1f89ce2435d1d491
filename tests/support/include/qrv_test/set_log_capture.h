#pragma once
// The lines given to a platform record's SetLog slot, kept for the whole test process: point the slot at
// CaptureSetLog and read the lines back with their site.
#include <string>
#include <vector>

namespace qrv::test {

struct SetLogLine {
  int site;
  std::string text;
};

void CaptureSetLog(int site, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Every line since the last clear, in the order written.
std::vector<SetLogLine> CapturedSetLog();
// The texts of one site's lines.
std::vector<std::string> CapturedSetLog(int site);
// The lines since the last clear; clears them.
std::vector<SetLogLine> TakeCapturedSetLog();
void ClearCapturedSetLog();

}  // namespace qrv::test
