#include "TimeCounter.h"

#include "port/clock.h"
#include "port/text.h"

namespace {
// The station clock counts nanoseconds.
constexpr std::int64_t kCounterFrequency = 1'000'000'000;
}  // namespace

CTimeCounter::CTimeCounter() : m_nStartCount(ReadCounter()) {}

std::int64_t CTimeCounter::ReadCounter() { return port::clock::Now().time_since_epoch().count(); }

void CTimeCounter::Start() {
  ++m_nRunCount;
  m_nStartCount = ReadCounter();
}

std::string CTimeCounter::GetElapsedText() {
  m_nEndCount = ReadCounter();
  m_nFrequency = kCounterFrequency;
  m_fElapsed = static_cast<float>(m_nEndCount - m_nStartCount) / static_cast<float>(m_nFrequency);
  m_fElapsed *= 1000.0f;
  m_fSumElapsed += m_fElapsed;
  const std::string text = port::Format("%f", static_cast<double>(m_fElapsed));
  return text.substr(0, text.find_first_of(".,"));
}

void CTimeCounter::SetTimeStamp() {
  m_fSumElapsed = 0.0f;
  const port::clock::LocalTime t = port::clock::NowLocal();
  port::CopyText(m_szTimeStamp, port::Format("%04d/%02d/%02d %02d:%02d:%02d:%03d", t.year, t.month, t.day, t.hour,
                                             t.minute, t.second, t.millisecond));
}
