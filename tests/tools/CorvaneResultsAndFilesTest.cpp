// The corvane program against the real component: renders that are right
// from the first sample, warnings where the result differs from what the
// user asked for, and files that are never lost under another name.

#include "AudioFiles.h"
#include "ProgramRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <sys/stat.h>

using namespace corvane::host;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

namespace {

std::vector<std::vector<float>> Noise(int channels, size_t frames, float level)
{
  std::vector<std::vector<float>> d(channels, std::vector<float>(frames));
  uint32_t x = 7;
  for (auto& ch : d)
    for (float& s : ch)
    {
      x = x * 1664525u + 1013904223u;
      s = level * (static_cast<float>(x >> 8) / 16777216.0f - 0.5f);
    }
  return d;
}

} // namespace

TEST_F(CorvaneProgram, SettingsHoldFromTheFirstSampleAtEveryBlockSize)
{
  WriteAudioFile(dir.Path("in.wav"), 48000, Noise(2, 40000, 0.5f));
  // Between them, every parameter moves away from its default.
  const char* const settings[] = {
    "-p Gain=30dB -p Output=-6dB -p 'Highpass Filter=360Hz' -p 'Lowpass Filter=2kHz' -p 'Filter Bypass=on' -p 'Mic Pre=1'"
    " -p Phase=1 -p Oversampling=on",
    "-p 'Preamp Bypass=off' -p Output=+6dB -p 'Highpass Filter=160Hz' -p 'Lowpass Filter=8kHz' -p 'Filter Bypass=on'",
  };
  for (const char* s : settings)
  {
    std::vector<std::vector<std::vector<float>>> renders;
    for (int block : {64, 512, 16384})
    {
      const std::string out = "out" + std::to_string(block) + ".wav";
      const Outcome run = Corvane("render -q " + P("in.wav") + " -o " + P(out) + " --block " + std::to_string(block) + " " + s);
      ASSERT_EQ(run.status, 0) << run.err;
      renders.push_back(ReadAudioFile(dir.Path(out)));
    }
    for (size_t r = 1; r < renders.size(); ++r)
      for (int c = 0; c < 2; ++c)
      {
        double worst = 0.0;
        size_t where = 0;
        for (size_t i = 0; i < renders[0][c].size(); ++i)
          if (std::fabs(renders[r][c][i] - renders[0][c][i]) > worst)
          {
            worst = std::fabs(renders[r][c][i] - renders[0][c][i]);
            where = i;
          }
        EXPECT_LE(worst, 1e-6) << s << ": render " << r << " channel " << c << " at sample " << where;
      }
  }
}
