#include "tools/corvane/RenderSummary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvane::host;
using ::testing::HasSubstr;
using ::testing::Not;

TEST(RenderSummary, ReportsLatencyLevelsAndSpeed)
{
  RenderStats stats;
  stats.latency = 81;
  stats.framesWritten = 96000;
  std::vector<float> s = {0.5f, -0.5f};
  const float* ch[] = {s.data()};
  stats.input.Add(ch, 1, 2);
  RenderSummary summary{"in.wav", "out.wav", 48000, 2, "Gain=40dB", false, 0.5, "", "", "", {}, 0.0};
  const std::string text = FormatRenderSummary(summary, stats);
  EXPECT_THAT(text, HasSubstr("\nlatency: 81 samples (removed"));
  EXPECT_THAT(text, HasSubstr("input:    peak -6.0 dBFS, RMS -6.0 dBFS"));
  EXPECT_THAT(text, HasSubstr("output:   peak -inf dBFS"));
  EXPECT_THAT(text, HasSubstr("speed:    4.0x realtime"));
  EXPECT_THAT(text, HasSubstr("settings: Gain=40dB"));
  EXPECT_THAT(text, Not(HasSubstr("warning")));

  float nan = std::numeric_limits<float>::quiet_NaN();
  const float* bad[] = {&nan};
  stats.output.Add(bad, 1, 1);
  EXPECT_THAT(FormatRenderSummary(summary, stats), HasSubstr("warning:  1 output samples were not finite"));
}
