#include "tools/corvane/LevelMeter.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace corvane::host {

void LevelMeter::Add(const float* const* channels, int channelCount, size_t frames)
{
  for (int c = 0; c < channelCount; ++c)
    for (size_t f = 0; f < frames; ++f)
    {
      const double s = channels[c][f];
      if (!std::isfinite(s))
      {
        ++mNonFinite;
        continue;
      }
      const double a = std::fabs(s);
      if (a > mPeak)
        mPeak = a;
      mSumSquares += s * s;
      ++mCount;
    }
}

double LevelMeter::PeakDb() const
{
  return mPeak > 0.0 ? 20.0 * std::log10(mPeak) : -std::numeric_limits<double>::infinity();
}

double LevelMeter::RmsDb() const
{
  if (mCount == 0 || mSumSquares <= 0.0)
    return -std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(mSumSquares / static_cast<double>(mCount));
}

std::string LevelMeter::FormatDb(double db)
{
  if (!std::isfinite(db))
    return "-inf dBFS";
  // A full-scale integer sample is a hair below 0 dB; it shows as 0.0, not -0.0.
  if (db > -0.05 && db < 0.05)
    db = 0.0;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f dBFS", db);
  return text;
}

} // namespace corvane::host
