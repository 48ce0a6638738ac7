#include "tools/corvane/LevelMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

using namespace corvane::host;

TEST(LevelMeter, SineAtFullScaleReadsZeroPeakAndMinusThreeRms)
{
  std::vector<float> l(48000), r(48000);
  for (size_t i = 0; i < l.size(); ++i)
    l[i] = r[i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * 1000.0 * i / 48000.0));
  const float* ch[] = {l.data(), r.data()};
  LevelMeter meter;
  meter.Add(ch, 2, 24000);
  meter.Add(ch, 2, 24000); // accumulates across calls
  EXPECT_NEAR(meter.PeakDb(), 0.0, 1e-3);
  EXPECT_NEAR(meter.RmsDb(), -3.0103, 1e-3);
  EXPECT_EQ(LevelMeter::FormatDb(meter.RmsDb()), "-3.0 dBFS");
}

TEST(LevelMeter, SilenceIsMinusInfinityAndNonFiniteSamplesAreCountedApart)
{
  LevelMeter empty;
  EXPECT_EQ(LevelMeter::FormatDb(empty.PeakDb()), "-inf dBFS");
  EXPECT_EQ(LevelMeter::FormatDb(empty.RmsDb()), "-inf dBFS");

  std::vector<float> s = {0.5f, std::numeric_limits<float>::quiet_NaN(), -0.25f,
                          std::numeric_limits<float>::infinity()};
  const float* ch[] = {s.data()};
  LevelMeter meter;
  meter.Add(ch, 1, s.size());
  EXPECT_EQ(meter.NonFiniteSamples(), 2u);
  EXPECT_NEAR(meter.PeakDb(), 20 * std::log10(0.5), 1e-9);
  EXPECT_NEAR(meter.RmsDb(), 10 * std::log10((0.25 + 0.0625) / 2), 1e-9);
}
