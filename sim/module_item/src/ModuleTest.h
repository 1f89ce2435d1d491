#pragma once
// One module through the board: power-up, register script, frames grabbed with their line CRCs checked and
// converted for the site's view, supply currents, open/short on the pins, power-down. Each step that fails
// gives its own result code and logs why to the site.
#include <cstdint>
#include <string>
#include <vector>

#include "ModuleSettings.h"

class CInterFace_SW;
class CQRV_LoadMemory;
struct HardwareFunctionTable;
struct EncapsulationTable;

namespace module_item {

struct Platform {
  CInterFace_SW* binder = nullptr;
  HardwareFunctionTable* hardware = nullptr;
  CQRV_LoadMemory* record = nullptr;
};

class ModuleTest {
 public:
  ModuleTest(const Platform& platform, const ModuleSettings& settings, int board, int site);

  // The caller holds the board for the whole run: the module is powered only between its power-up and
  // power-down, and another site on the board must not switch it in between.
  int Run();

 private:
  int PowerUp();
  int StartStream();
  int GrabFrames();
  int GrabOneFrame(std::vector<std::uint8_t>& frame);
  void DrawFrame(const std::vector<std::uint8_t>& frame);
  int MeasureCurrents();
  int TestOpenShort();
  int PowerDown();
  void Log(const std::string& text) const;

  const Platform platform_;
  const ModuleSettings& settings_;
  EncapsulationTable* board_api_ = nullptr;
  const int board_;
  const int site_;
  int width_ = 0;
  int height_ = 0;
  int bits_ = 0;
  int payload_ = 0;
};

}  // namespace module_item
