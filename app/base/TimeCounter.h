#pragma once
// The stopwatch of the test threads, on the station clock; one per timed activity and thread.
#include <cstdint>
#include <string>

class CTimeCounter {
 public:
  CTimeCounter();

  void Start();
  // Whole milliseconds since Start (or construction), truncated; adds the exact value to the sum.
  std::string GetElapsedText();
  // Begins a new summing period and stamps the local time "YYYY/MM/DD hh:mm:ss:mmm".
  void SetTimeStamp();
  std::string GetTimeStamp() const { return m_szTimeStamp; }

  float GetElapsed() const { return m_fElapsed; }
  float GetSumElapsed() const { return m_fSumElapsed; }
  std::uint32_t GetRunCount() const { return m_nRunCount; }

 private:
  static std::int64_t ReadCounter();

  std::int64_t m_nStartCount = 0;
  std::int64_t m_nEndCount = 0;
  std::int64_t m_nFrequency = 0;
  float m_fElapsed = 0.0f;
  std::uint32_t m_nRunCount = 0;
  float m_fSumElapsed = 0.0f;
  char m_szTimeStamp[260] = {};
};
