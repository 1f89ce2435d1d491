#pragma once
// Handles one packet of a server on its worker (a start of test on the thread that receives it, see
// HandledAtOnce): the requests of the handler and the answers they get.
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "clock_request.h"
#include "mes_grids.h"
#include "protocol_packet.h"
#include "server_line.h"

namespace protocol {

class PacketDispatcher {
 public:
  PacketDispatcher(std::shared_ptr<ServerLine> line, const std::atomic<bool>& simulationMode, MesGrids& mes);

  // Long waits of a request end early when this says the worker is stopping.
  void SetStopQuery(std::function<bool()> isStopping) { isStopping_ = std::move(isStopping); }
  // Where a valid clock request goes; the system clock unless a test says otherwise.
  void SetClockSetter(ClockSetter setter) { clockSetter_ = std::move(setter); }
  void DispatchPacket(std::string packet);
  // A start of test only signals the sites and answers, so the thread that receives it may handle it itself:
  // it is the handler's hot path.
  static bool HandledAtOnce(const std::string& packet);

 private:
  void Answer(const ProtocolPacket& request, std::string_view data);
  void OnStartOfTest(const ProtocolPacket& packet);
  bool StartOfTestInRange(const PacketFields& fields) const;
  bool StartAccepted(const PacketFields& fields) const;
  bool StartSite(int site, int usb, const ProtocolPacket& packet);
  void RefuseStart(const ProtocolPacket& packet, int site, bool anotherStarted);
  void OnEndOfTest(const ProtocolPacket& packet);
  void OnPause(const ProtocolPacket& packet);
  bool WaitForPauseConfirmation(int timeoutSec);
  void OnFocusHome(const ProtocolPacket& packet);
  void OnStatusInquiry(const ProtocolPacket& packet);
  std::string SimulatedStatus();
  void OnStandbyOffset(const ProtocolPacket& packet);
  void OnLot(const ProtocolPacket& packet);
  void OnModelName(const ProtocolPacket& packet);
  void OnClock(const ProtocolPacket& packet);
  void OnFocusConeLoad(const ProtocolPacket& packet);
  void OnMes(const ProtocolPacket& packet);
  void OnNvm(const ProtocolPacket& packet);

  std::shared_ptr<ServerLine> line_;
  const std::atomic<bool>& simulationMode_;
  MesGrids& mes_;
  std::function<bool()> isStopping_ = [] { return false; };
  ClockSetter clockSetter_ = SetSystemClock;
};

}  // namespace protocol
