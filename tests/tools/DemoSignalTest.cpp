#include "tools/corvane/DemoSignal.h"
#include "tools/corvane/LevelMeter.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace corvane::host;

namespace {

double WindowRmsDb(const MemorySource& s, double from, double to)
{
  const auto a = static_cast<size_t>(from * s.SampleRate()), b = static_cast<size_t>(to * s.SampleRate());
  const float* ch[] = {s.Channel(0).data() + a, s.Channel(1).data() + a};
  LevelMeter meter;
  meter.Add(ch, 2, b - a);
  return meter.RmsDb();
}

} // namespace

TEST(DemoSignal, StereoSecondsLongLoudButNeverClipping)
{
  const MemorySource demo = MakeDemoSignal();
  EXPECT_EQ(demo.SampleRate(), 48000);
  EXPECT_EQ(demo.Channels(), 2);
  EXPECT_GE(demo.Frames(), 6 * 48000);
  EXPECT_LE(demo.Frames(), 12 * 48000);
  float peak = 0.0f;
  for (int c = 0; c < 2; ++c)
    for (float s : demo.Channel(c))
    {
      ASSERT_TRUE(std::isfinite(s));
      peak = std::max(peak, std::fabs(s));
    }
  EXPECT_LT(peak, 0.98f);
  EXPECT_GT(peak, 0.5f) << "loud notes should be able to drive the preamp";
}

TEST(DemoSignal, EverySectionHasSoundAndRunsAreIdentical)
{
  const MemorySource demo = MakeDemoSignal();
  EXPECT_GT(WindowRmsDb(demo, 0.1, 3.7), -40.0); // plucks
  EXPECT_GT(WindowRmsDb(demo, 4.0, 6.6), -15.0); // sweep
  EXPECT_GT(WindowRmsDb(demo, 7.0, 8.0), -40.0); // noise bursts
  const MemorySource again = MakeDemoSignal();
  EXPECT_EQ(demo.Channel(0), again.Channel(0));
  EXPECT_EQ(demo.Channel(1), again.Channel(1));
  EXPECT_NE(demo.Channel(0), demo.Channel(1)) << "the two sides differ";
  EXPECT_EQ(MakeDemoSignal(44100).SampleRate(), 44100);
}
