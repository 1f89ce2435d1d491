#include "play_workers.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "QRV_Exports.h"
#include "QRV_InterFace_SW.h"
#include "QRV_PictureLimit.h"
#include "frame_convert.h"
#include "hardware_controller.h"
#include "line_crc.h"
#include "port/clock.h"
#include "port/module.h"
#include "port/thread_site.h"

namespace hw {
namespace {

void InSizePair(const HwSettings& s, int type, int& width, int& height) {
  switch (static_cast<SizeType>(type)) {
    case SizeType::Normal: width = s.sizeX, height = s.sizeY; return;
    case SizeType::Raw: width = s.rawX, height = s.rawY; return;
    case SizeType::Frame: width = s.frameX, height = s.frameY; return;
    case SizeType::Full: width = s.fullX, height = s.fullY; return;
  }
  width = height = 0;
}

// A negative number in the file holds no samples; it must not ask for a buffer of the whole address space.
std::size_t Samples(int width, int height) {
  return static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0));
}

std::size_t PlainFrameBytes(int dataBit, int width, int height) {
  const std::size_t samples = Samples(width, height);
  return dataBit == 8 ? samples : 2 * samples;
}

// A play run's frame: CRC frames of the type DATA_BIT holds, or plain frames.
std::size_t PlayFrameBytes(bool crc, const HwSettings& s, int width, int lines) {
  if (lines <= 0) return 0;
  return crc ? static_cast<std::size_t>(GetCRCImageSizeOf(s.dataBit, width, lines))
             : PlainFrameBytes(s.dataBit, width, lines);
}

// The lines of a play run's frame: the pair's height and the offset's lines, both from Sensor.ini, added in 64
// bits and held within an int; lines below zero stay below it and count as none.
int FrameLines(int inHeight, int sizeOffset) {
  return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{inHeight} + sizeOffset, INT_MIN, INT_MAX));
}

// A frame or conversion of no width or no lines takes no samples; any other must be a picture within the limit.
bool ConversionFits(std::int64_t width, std::int64_t lines) {
  return width <= 0 || lines <= 0 || QrvPictureFits(width, lines);
}

}  // namespace

PlayWorkers::PlayWorkers(HardwareController& controller, CInterFace_SW* binder)
    : controller_(controller), binder_(binder) {
  playThread_ = std::thread([this] { PlayThread(); });
  liveThread_ = std::thread([this] { LiveGrabThread(); });
}

PlayWorkers::~PlayWorkers() { Shutdown(); }

void PlayWorkers::Shutdown() {
  quit_.store(true);
  playStop_.store(true);
  liveStop_.store(true);
  playEvent_.Set();
  liveEvent_.Set();
  if (playThread_.joinable()) playThread_.join();
  if (liveThread_.joinable()) liveThread_.join();
}

bool PlayWorkers::Begin(std::atomic<bool>& running, int board, int site, bool crc, Run& run) {
  HwState& state = controller_.State();
  const std::lock_guard lock(runMutex_);
  if (quit_.load() || running.load()) return false;
  if (!state.Leases().HoldForDialog(board)) {
    state.Log(kBoardHeldBySite, board);
    return false;
  }
  run = Run{board, site, crc};
  running.store(true);
  return true;
}

bool PlayWorkers::StartPlay(int board, int site, bool crc) {
  if (!Begin(playRunning_, board, site, crc, playRun_)) return false;
  crcMode_.store(crc);
  playStop_.store(false);
  playEvent_.Set();
  return true;
}

bool PlayWorkers::StartLive(int board, int site) {
  if (!Begin(liveRunning_, board, site, false, liveRun_)) return false;
  liveStop_.store(false);
  liveEvent_.Set();
  return true;
}

bool PlayWorkers::StopRequested() const {
  const CQRV_LoadMemory* record = controller_.Record();
  return playStop_.load() || quit_.load() || (record && record->GetStopButtonFlag() != 0);
}

void PlayWorkers::PlayThread() {
  // The end of a run drops the signals that came during it; a quit among them is still seen here.
  while (!quit_.load()) {
    playEvent_.Wait();
    if (quit_.load()) break;
    Run run;
    {
      const std::lock_guard lock(runMutex_);
      run = playRun_;
    }
    PlayRun(run);
    // A signal that came during the run is dropped. The run is over before its board is free, so a site
    // that takes the board never sees the run still going.
    playEvent_.ResetEvent();
    playRunning_.store(false);
    controller_.State().Leases().ReleaseForDialog(run.board);
  }
}

void PlayWorkers::LiveGrabThread() {
  // The end of a run drops the signals that came during it; a quit among them is still seen here.
  while (!quit_.load()) {
    liveEvent_.Wait();
    if (quit_.load()) break;
    Run run;
    {
      const std::lock_guard lock(runMutex_);
      run = liveRun_;
    }
    LiveRun(run);
    liveEvent_.ResetEvent();
    liveRunning_.store(false);
    controller_.State().Leases().ReleaseForDialog(run.board);
  }
}

PlayWorkers::SizeCheck PlayWorkers::SelectImageSize(const HwSettings& settings, bool play, Sizes& sizes) const {
  HwState& state = controller_.State();
  InSizePair(settings, state.InDrawType(), sizes.inWidth, sizes.inHeight);
  InSizePair(settings, state.OutDrawType(), sizes.outWidth, sizes.outHeight);
  SizeCheck check = SizeCheck::Fits;
  if (sizes.inWidth == 0 || sizes.inHeight == 0 || sizes.outWidth == 0 || sizes.outHeight == 0) {
    state.Log("Image Size Check : m_nInWidth %d, m_nInHeight %d", sizes.inWidth, sizes.inHeight);
    state.Log("Image Size Check : m_nOutWidth %d, m_nOUtHeight %d", sizes.outWidth, sizes.outHeight);
    check = SizeCheck::Empty;
  }
  // A play run's frames carry the offset's lines, and it converts them all; the live grab and the panel's grab
  // convert QRV_SENSOR_SIZE_X x QRV_SENSOR_SIZE_Y whatever pair they grab.
  const std::int64_t frameLines = sizes.inHeight + (play ? std::int64_t{settings.sizeOffset} : 0);
  const std::int64_t convertedLines = play ? frameLines : settings.sizeY;
  const std::pair<std::int64_t, std::int64_t> pictures[] = {{sizes.inWidth, sizes.inHeight},
                                                            {sizes.outWidth, sizes.outHeight},
                                                            {sizes.inWidth, frameLines},
                                                            {settings.sizeX, convertedLines}};
  for (const auto& [width, lines] : pictures) {
    if (ConversionFits(width, lines)) continue;
    // Memory for such a picture would end the station: the run is refused, saying which picture and why.
    state.Log("Image Size Limit : %lld x %lld is over %lld pixels", static_cast<long long>(width),
              static_cast<long long>(lines), static_cast<long long>(kQrvMaxPicturePixels));
    return SizeCheck::PastLimit;
  }
  return check;
}

void PlayWorkers::AllocFrameBuffers(Buffers& b, std::size_t frameBytes, int width, int height, const Sizes& sizes) {
  const std::size_t samples = Samples(width, height);
  const std::size_t drawn = Samples(sizes.outWidth, sizes.outHeight) * 3;
  b.raw.assign(std::max({frameBytes, samples * 2}), 0);
  b.eight.assign(samples, 0);
  b.picture.assign(std::max({samples * 3, drawn, frameBytes}), 0);
}

void PlayWorkers::Draw(int site, const HwSettings& settings, bool crc, Buffers& b, std::size_t rawBytes, int width,
                       int height, const Sizes& sizes) {
  // A layout without samples leaves the 8-bit frame as it was.
  ToEightBit(FrameLayout{crc, settings.dataBit}, b.raw.data(), rawBytes, b.eight.data(), width, height);
  BayerToRgb(settings.outMode, b.eight.data(), b.picture.data(), width, height);
  if (!binder_) return;
  if (binder_->InDrawImage) binder_->InDrawImage(site, b.picture.data(), sizes.outWidth, sizes.outHeight);
  if (binder_->OutDrawImage) binder_->OutDrawImage(site);
}

void PlayWorkers::PlayRun(const Run& run) {
  const port::ThreadSiteScope onSite(run.site);
  HwState& state = controller_.State();
  const auto settings = state.Settings(run.board);
  const RegisterKeys keys = state.Keys();
  const std::string key =
      keys.select >= 0 && keys.select < static_cast<int>(keys.keys.size()) ? keys.keys[keys.select] : "[REGISTER]";
  state.Log("USB ID : %d, Site : %d", run.board, run.site);
  Sizes sizes;
  // A run takes the sizes twice, so a size of 0 or past the limit shows its lines twice; the second take sizes
  // the run.
  SelectImageSize(*settings, true, sizes);
  if (SelectImageSize(*settings, true, sizes) == SizeCheck::Fits) {
    // The buffers live for the whole run: cycles after the first keep what the earlier ones left in them.
    const int lines = FrameLines(sizes.inHeight, settings->sizeOffset);
    const std::size_t frameBytes = PlayFrameBytes(run.crc, *settings, sizes.inWidth, lines);
    Buffers buffers;
    AllocFrameBuffers(buffers, frameBytes, settings->sizeX, lines, sizes);
    const int agingCount = state.Counters().agingCount.load();
    for (int r = 0; agingCount == 0 || r <= agingCount; ++r) {
      state.Log("Aging Count : %d", r);
      if (StopRequested()) break;
      if (PlayCycle(run, *settings, sizes, key, frameBytes, buffers) != 0) break;
    }
  }
  if (auto clear = reinterpret_cast<InitStopFlagExe_Fn>(port::FindProgramSymbol("InitStopFlagExe"))) clear();
}

int PlayWorkers::PlayCycle(const Run& run, const HwSettings& settings, const Sizes& sizes, const std::string& key,
                           std::size_t frameBytes, Buffers& b) {
  HwState& state = controller_.State();
  AgingCounters& counters = state.Counters();
  state.Log("HW Play START");
  const char* closing = "Play End";
  bool last = false;
  if (!state.DevicesOpen()) {
    closing = "HW Init Fail";
  } else if (controller_.PowerUpSequence(run.board, run.site, settings.oscType, true) != 1) {
    state.Log("HW PowerUpSequence Fail");
    return -1;
  } else {
    state.Log("Register Set Key : %s", key.c_str());
    if (controller_.RegisterSet(run.board, run.site, key) == 0) {
      ++counters.i2cFail;
      state.Log("HW REGISTER Fail");
    } else if (controller_.Startverify(run.board, run.site, settings.laneSelect, sizes.inWidth, sizes.inHeight,
                                       true) == 0) {
      ++counters.cpFail;
      state.Log("HW Startverify Fail");
    } else {
      port::clock::SleepMs(300);
      if (BoardCall(controller_.Table()->LVDS_Start, run.board) != 1) {
        ++counters.cpFail;
        state.Log("HW LVDS_Start_Mul Fail");
      } else {
        last = !Capture(run, settings, sizes, frameBytes, b);
      }
    }
  }
  state.Log("%s", closing);
  if (controller_.PowerDownSequence(run.board, run.site, true) == 0) state.Log("HW PowerDownSequence Fail");
  port::clock::SleepMs(1000);
  return last ? 1 : 0;
}

bool PlayWorkers::Capture(const Run& run, const HwSettings& settings, const Sizes& sizes, std::size_t frameBytes,
                          Buffers& b) {
  HwState& state = controller_.State();
  const int width = sizes.inWidth;
  const int lines = FrameLines(sizes.inHeight, settings.sizeOffset);
  const int grabSize = static_cast<int>(frameBytes);
  port::clock::SleepMs(500);
  for (int i = 0; i < state.Counters().dummyCount.load(); ++i) controller_.GetImage(run.board, b.raw.data(), grabSize);
  const int captures = std::max(state.Counters().captureCount.load(), 1);
  for (int i = 0; i < captures; ++i) {
    if (StopRequested()) return false;
    int result = 0;
    if (run.crc) {
      int crcFail = 0;
      int second = 0;
      result = controller_.GetCRCImage(run.board, run.site, b.raw.data(), b.picture.data(), grabSize, width, lines,
                                       settings.dataBit, settings.crcDummyFrame, settings.crcAvgFrame, &crcFail,
                                       &second, false, true);
    } else {
      result = controller_.GetImage(run.board, b.raw.data(), grabSize);
    }
    if (result == 1) {
      Draw(run.site, settings, run.crc, b, b.raw.size(), settings.sizeX, lines, sizes);
    } else {
      state.Log("Capture fail");
    }
  }
  return true;
}

void PlayWorkers::LiveRun(const Run& run) {
  const port::ThreadSiteScope onSite(run.site);
  HwState& state = controller_.State();
  const auto settings = state.Settings(run.board);
  Sizes sizes;
  // A size of 0 grabs no bytes, and each grab fails with its line until STOP.
  if (SelectImageSize(*settings, false, sizes) == SizeCheck::PastLimit) return;
  Buffers b;
  const std::size_t frameBytes = PlainFrameBytes(settings->dataBit, sizes.inWidth, sizes.inHeight);
  AllocFrameBuffers(b, frameBytes, settings->sizeX, settings->sizeY, sizes);
  do {
    if (controller_.GetImage(run.board, b.raw.data(), static_cast<int>(frameBytes)) == 1) {
      Draw(run.site, *settings, false, b, b.raw.size(), settings->sizeX, settings->sizeY, sizes);
    } else {
      state.Log("USB ID [%d] [LVDS_GetFrame_Mul] :: FAIL", run.board);
    }
  } while (!liveStop_.load() && !quit_.load());
}

int PlayWorkers::GrabOneFrame(int board, int site) {
  const port::ThreadSiteScope onSite(site);
  HwState& state = controller_.State();
  const DialogHold hold(state.Leases(), board);
  if (!hold.Held()) {
    state.Log(kBoardHeldBySite, board);
    return 0;
  }
  const auto settings = state.Settings(board);
  Sizes sizes;
  if (SelectImageSize(*settings, false, sizes) == SizeCheck::PastLimit) return 0;
  Buffers b;
  const std::size_t frameBytes = PlainFrameBytes(settings->dataBit, sizes.inWidth, sizes.inHeight);
  AllocFrameBuffers(b, frameBytes, settings->sizeX, settings->sizeY, sizes);
  if (controller_.GetImage(board, b.raw.data(), static_cast<int>(frameBytes)) != 1) {
    state.Log("USB ID [%d] [LVDS_GetFrame_Mul] :: FAIL", board);
    return 0;
  }
  state.Log("USB ID [%d] [LVDS_GetFrame_Mul] :: TRUE", board);
  Draw(site, *settings, false, b, b.raw.size(), settings->sizeX, settings->sizeY, sizes);
  return 1;
}

}  // namespace hw
