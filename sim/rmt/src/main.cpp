// The relay board and meter stand-in: serves both instruments on the given ports until stdin closes.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "rmt_sim/rmt_sim.h"

int main(int argc, char** argv) {
  const int relayPort = argc > 1 ? std::atoi(argv[1]) : 4001;
  const int meterPort = argc > 2 ? std::atoi(argv[2]) : 5025;
  rmt_sim::RmtSim sim(relayPort, meterPort);
  if (!sim.ok()) {
    std::fprintf(stderr, "rmt_sim: ports %d/%d could not be opened\n", relayPort, meterPort);
    return 1;
  }
  std::printf("relay board on %d, meter on %d\n", sim.relayPort(), sim.meterPort());
  std::fflush(stdout);
  for (std::string line; std::getline(std::cin, line);) sim.QueueReadings({line});
  return 0;
}
