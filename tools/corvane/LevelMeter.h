#pragma once
// Peak and RMS level over every sample of every channel that passes through,
// in dBFS (full scale = 1.0). Samples that are not finite are counted apart
// and left out of the levels, so one NaN does not hide the rest.

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane::host {

class LevelMeter
{
public:
  void Add(const float* const* channels, int channelCount, size_t frames);

  /** -infinity for silence or no samples. */
  double PeakDb() const;
  double RmsDb() const;
  uint64_t NonFiniteSamples() const { return mNonFinite; }

  /** "-3.2 dBFS", or "-inf dBFS" for silence. */
  static std::string FormatDb(double db);

private:
  double mPeak = 0.0;
  double mSumSquares = 0.0;
  uint64_t mCount = 0;
  uint64_t mNonFinite = 0;
};

} // namespace corvane::host
