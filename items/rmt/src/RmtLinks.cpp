#include "RmtLinks.h"

#include <vector>

#include "MeterReading.h"
#include "port/clock.h"
#include "port/text.h"

namespace {

constexpr int kInitPollMs = 50;
constexpr int kPollMs = 5;
constexpr int kMeterLineGapMs = 50;

std::string Hex(const char* prefix, const std::uint8_t* b) {
  return port::Format("%s%02X %02X %02X %02X %02X %02X ", prefix, b[0], b[1], b[2], b[3], b[4], b[5]);
}

std::string Ascii(const char* prefix, const std::uint8_t* b) {
  return port::Format("%s%c %c %c %c %c %c", prefix, b[0], b[1], b[2], b[3], b[4], b[5]);
}

}  // namespace

void RmtLinks::Pause(int ms) const {
  if (stop_ == nullptr) return port::clock::SleepMs(ms);
  stop_->Wait(ms);
}

bool RmtLinks::SendRelay(const RelayFrame& frame) {
  return relay_.Send(frame.data(), static_cast<int>(frame.size())) == static_cast<int>(frame.size());
}

bool RmtLinks::AwaitRelayReply(int pauseMs) {
  Pause(settings_.sleep);
  const auto start = port::clock::Now();
  relay_.Receive();
  while (!relay_.Received()) {
    if (port::clock::ElapsedMs(start) > kReplyTimeoutMs || !relay_.IsConnected() || Stopped()) {
      log_("Agilent time out !!!!");
      return false;
    }
    Pause(pauseMs);
    if (relay_.Receive() < 0) relay_.Close();
  }
  relay_.ClearReceived();
  return true;
}

// A short reply is compared as far as it goes; the rest of the buffer is not the board's.
void RmtLinks::CheckReply(const RelayFrame& expected) {
  std::uint8_t reply[6]{};
  for (int i = 0; i < 6 && i < relay_.Count(); ++i) reply[i] = relay_.Bytes()[i];
  log_(Hex("Read Data : ", reply));
  log_(Ascii("Read Data(ASCII) : ", reply));
  for (int i = 0; i < 6; ++i)
    if (reply[i] != expected[i])
      log_(port::Format("Rmt Response Data  ( correct data: %02X ~ recieve data: %02X )", expected[i], reply[i]));
}

int RmtLinks::RelayInit() {
  const RelayFrame frame = RelayInitFrame();
  SendRelay(frame);
  log_("----------------Rmt TCP Initialize------------------");
  log_(Hex("Send Data(Hex) : ", frame.data()));
  log_(Ascii("Send Data(ASCII) : ", frame.data()));
  if (!AwaitRelayReply(kInitPollMs)) return 0;
  log_(port::Format("Read Data : %s", relay_.Text()));
  return 1;
}

int RmtLinks::RelaySelect(int channel, int testPoint) {
  if (channel < 0 || channel >= kRelayChannels || testPoint < 0 || testPoint >= kRelayTestPoints) return 0;
  const RelayFrame frame = RelaySwitchFrame(channel, testPoint);
  SendRelay(frame);
  log_(port::Format("----------------CH : %d / TP : %d------------------", channel + 1, testPoint + 1));
  log_(Hex("Send Data(Hex) : ", frame.data()));
  log_(Ascii("Send Data(ASCII) : ", frame.data()));
  if (!AwaitRelayReply(kPollMs)) return 0;
  Pause(settings_.interval);
  CheckReply(RelaySwitchReply(channel, testPoint));
  return 1;
}

int RmtLinks::RelayVersion() {
  const RelayFrame frame = RelayVersionFrame();
  SendRelay(frame);
  log_(Hex("Send Data(Hex) : ", frame.data()));
  log_(Ascii("Send Data(ASCII) : ", frame.data()));
  if (!AwaitRelayReply(kPollMs)) return 0;
  Pause(settings_.interval);
  const std::uint8_t* b = relay_.Bytes();
  version_ = port::Format("%c%c", b[2], b[3]);
  CheckReply(frame);
  return 1;
}

void RmtLinks::SendMeterLine(const std::string& line) {
  const std::string out = line + "\r\n";
  meter_.Send(out.data(), static_cast<int>(out.size()));
  log_(port::Format("Send Data(ASCII) : %s", line.c_str()));
}

int RmtLinks::MeterSetup() {
  log_("----------------Hioki TCP Initialize------------------");
  for (const std::string& line : {std::string("*RST"), std::string(":ABORT"), std::string(":INIT:CONT ON"),
                                  settings_.speed, settings_.range}) {
    SendMeterLine(line);
    Pause(kMeterLineGapMs);
  }
  return 1;
}

// A meter that stays silent must not leave the last reading standing in for this one.
bool RmtLinks::ReadMeter(std::string& text) {
  Pause(settings_.sendSleep);
  SendMeterLine(":FETCH?");
  Pause(settings_.recvSleep);
  const auto start = port::clock::Now();
  meter_.ClearReceived();
  while (meter_.Receive() == 0) {
    if (port::clock::ElapsedMs(start) > kReplyTimeoutMs || Stopped()) break;
    Pause(kPollMs);
  }
  if (!meter_.Received()) {
    log_("Hioki time out !!!!");
    return false;
  }
  text = meter_.Text();
  log_(port::Format("Read Data(ASCII) : %s", text.c_str()));
  return true;
}

bool RmtLinks::MeasureResistance(float& value) {
  value = 0.0f;
  std::string text;
  for (int i = 0; i < settings_.meterDummy; ++i)
    if (!ReadMeter(text)) return false;
  std::vector<float> kept;
  for (int i = 0; i < settings_.sampling; ++i) {
    if (!ReadMeter(text)) return false;
    kept.push_back(ParseMeterReading(text));
    log_(port::Format("fdata: %f", static_cast<double>(kept.back())));
  }
  value = ReduceReadings(kept);
  log_(port::Format("Meser Avg: %f ohm", static_cast<double>(value)));
  return true;
}
