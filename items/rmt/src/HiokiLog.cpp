#include "HiokiLog.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "port/path.h"
#include "port/text.h"

namespace {

constexpr char kHeader[] =
    "Time, Board Delay,Board Interval,Hioki Send Delay,Hioki Recv Delay,Sampling count,, CH ,TP ,Value ,\r\n";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string Row(const RmtSettings& s, int channel, int testPoint, float value, const port::clock::LocalTime& t) {
  return port::Format("[%02d-%02d/%02d:%02d:%02d],", t.month, t.day, t.hour, t.minute, t.second) +
         port::Format("%d ms,", s.sleep) + port::Format("%d ms, ", s.interval) + port::Format("%d ms,", s.sendSleep) +
         port::Format("%d ms,", s.recvSleep) + port::Format("%d ,,", s.sampling) +
         port::Format("%d, %d, %f, \r\n", channel + 1, testPoint + 1, static_cast<double>(value));
}

}  // namespace

std::string HiokiLogPath(const std::string& root, const port::clock::LocalTime& when) {
  return port::JoinPath(port::JoinPath(root, "LogData"),
                        port::Format("%s_Log[%04d-%02d-%02d].csv", "HIOKI", when.year, when.month, when.day));
}

bool AppendMeasurementCsv(const std::string& root, const RmtSettings& settings, int channel, int testPoint, float value,
                          const port::clock::LocalTime& when) {
  ::mkdir(port::JoinPath(root, "LogData").c_str(), 0777);
  const std::string path = HiokiLogPath(root, when);
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "r+b"));
  if (!file) file.reset(std::fopen(path.c_str(), "w+b"));
  if (!file) return false;
  std::fputs(kHeader, file.get());
  std::fseek(file.get(), 0, SEEK_END);
  const std::string row = Row(settings, channel, testPoint, value, when);
  return std::fputs(row.c_str(), file.get()) >= 0;
}
