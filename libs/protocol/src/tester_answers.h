#pragma once
// What the handler answered to the test items' requests: one flag per request kind, the records the
// answers fill, and the named public data. The worker stores an answer's values before it sets the
// flag (release), and a waiting request reads them after it saw the flag (acquire).
#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "ProtocolFunctionTable.h"

namespace protocol {

enum class AckFlag : int { FMC, FLZ, FXY, FRT, MFC, FLR, TLT, TL2, TL3, DPS, ROT, AVS, AVG, AIO, EMO, AML, TMS, TMP, VIS, Count };

inline constexpr int kPublicSlots = 8;

inline bool IsPublicSlot(int slot) { return slot >= 0 && slot < kPublicSlots; }

class TesterAnswers {
 public:
  std::atomic<int>& Flag(AckFlag flag) { return flags_[static_cast<int>(flag)]; }
  std::atomic<int>& PublicSetFlag(int slot) { return pus_[slot]; }
  std::atomic<int>& PublicGetFlag(int slot) { return pug_[slot]; }

  // A start of test clears every flag but the two of the step answer.
  void ClearForStart();

  void SetPublicData(const std::string& key, const std::string& data);
  std::optional<std::string> PublicData(const std::string& key) const;

  std::atomic<int> stepRet{0};
  std::atomic<int> stepAnswered{0};
  std::atomic<float> temperature{0.0f};
  VisionData vision{};
  MoterLocationInfo motor{};
  AvisLightValueInfo avis{};
  MoveStepData step{};

 private:
  std::array<std::atomic<int>, static_cast<int>(AckFlag::Count)> flags_{};
  std::array<std::atomic<int>, kPublicSlots> pus_{};
  std::array<std::atomic<int>, kPublicSlots> pug_{};
  mutable std::mutex publicMutex_;
  std::map<std::string, std::string> public_;
};

}  // namespace protocol
