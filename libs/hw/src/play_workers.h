#pragma once
// The setup dialog's two workers: play/aging runs (power-up, register script, link check, captures,
// power-down, repeated) and the live grab, both drawing each frame in a site view through the image
// library. Each run holds its board against the sites' tests; each run copies its parameters when it starts,
// and reaches the board's channel of the site it draws in.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "port/event.h"

class CInterFace_SW;

namespace hw {

class HardwareController;
struct HwSettings;

enum class SizeType { Normal = 0, Raw = 1, Frame = 2, Full = 3 };

class PlayWorkers {
 public:
  PlayWorkers(HardwareController& controller, CInterFace_SW* binder);
  ~PlayWorkers();
  PlayWorkers(const PlayWorkers&) = delete;
  PlayWorkers& operator=(const PlayWorkers&) = delete;

  // Stops both workers and joins them; nothing runs on the boards afterwards.
  void Shutdown();

  // Starts a play run (CRC check when `crc`) on the board and draws in the site's view; false, with a log
  // line, when a site's test holds the board, or when a run is going on already.
  bool StartPlay(int board, int site, bool crc);
  void StopPlay() { playStop_.store(true); }
  bool PlayRunning() const { return playRunning_.load(); }
  // Starts the live grab on a module that is already up; false as for StartPlay.
  bool StartLive(int board, int site);
  void StopLive() { liveStop_.store(true); }
  bool LiveRunning() const { return liveRunning_.load(); }
  bool LastCrcMode() const { return crcMode_.load(); }

  // Grabs, converts and draws one frame (the manual panel); 1, or 0 when the grab failed.
  int GrabOneFrame(int board, int site);

 private:
  struct Sizes {
    int inWidth = 0, inHeight = 0, outWidth = 0, outHeight = 0;
  };
  // The work buffers of one run.
  struct Buffers {
    std::vector<std::uint8_t> raw, eight, picture;
  };
  struct Run {
    int board = 0;
    int site = 0;
    bool crc = false;
  };

  void PlayThread();
  void LiveGrabThread();
  void PlayRun(const Run& run);
  void LiveRun(const Run& run);
  enum class SizeCheck { Fits, Empty, PastLimit };
  // Takes the "Type In" and "Type Out" pairs. Empty, with the two size lines, when one of the four numbers is 0;
  // PastLimit, with a line of its own, when a picture the run would hold lies beyond the picture limit: either
  // pair, the frames a `play` run grabs, or a conversion. A negative number holds no samples and passes.
  SizeCheck SelectImageSize(const HwSettings& settings, bool play, Sizes& sizes) const;
  // Buffers large enough for the frame, the conversion of width x height samples and the drawn picture.
  static void AllocFrameBuffers(Buffers& buffers, std::size_t frameBytes, int width, int height, const Sizes& sizes);
  // 0: the cycles go on; 1: stop after this one; -1: leave at once (power-up failed).
  int PlayCycle(const Run& run, const HwSettings& settings, const Sizes& sizes, const std::string& key,
                std::size_t frameBytes, Buffers& b);
  bool Capture(const Run& run, const HwSettings& settings, const Sizes& sizes, std::size_t frameBytes, Buffers& b);
  void Draw(int site, const HwSettings& settings, bool crc, Buffers& b, std::size_t rawBytes, int width, int height,
            const Sizes& sizes);
  bool StopRequested() const;
  bool Begin(std::atomic<bool>& running, int board, int site, bool crc, Run& run);

  HardwareController& controller_;
  CInterFace_SW* binder_;
  std::atomic<bool> quit_{false};
  std::atomic<bool> playStop_{false};
  std::atomic<bool> liveStop_{false};
  std::atomic<bool> playRunning_{false};
  std::atomic<bool> liveRunning_{false};
  std::atomic<bool> crcMode_{false};
  std::mutex runMutex_;
  Run playRun_;
  Run liveRun_;
  port::Event playEvent_;
  port::Event liveEvent_;
  std::thread playThread_;
  std::thread liveThread_;
};

}  // namespace hw
