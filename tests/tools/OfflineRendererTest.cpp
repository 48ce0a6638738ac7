#include "MemorySink.h"
#include "tools/corvane/MemorySource.h"
#include "tools/corvane/OfflineRenderer.h"

#include <gtest/gtest.h>

#include <deque>

using namespace corvane::host;

namespace {

// Delays every channel by `latency` frames and, like a real unit, reports the
// latency of its settings only once it has processed a block.
class DelayProcessor : public SliceProcessor
{
public:
  DelayProcessor(int channels, int64_t latency) : mLines(channels, std::deque<float>(latency, 0.0f)), mLatency(latency)
  {}

  void Process(const float* const* in, float* const* out, size_t frames) override
  {
    EXPECT_LE(frames, maxFrames);
    for (size_t c = 0; c < mLines.size(); ++c)
      for (size_t f = 0; f < frames; ++f)
      {
        mLines[c].push_back(in[c][f]);
        out[c][f] = mLines[c].front();
        mLines[c].pop_front();
      }
    processed = true;
    ++calls;
  }
  int64_t LatencyFrames() override { return processed ? mLatency : 0; }

  size_t maxFrames = 1 << 30;
  bool processed = false;
  int calls = 0;

private:
  std::vector<std::deque<float>> mLines;
  int64_t mLatency;
};

std::vector<std::vector<float>> Ramp(int channels, size_t frames)
{
  std::vector<std::vector<float>> d(channels, std::vector<float>(frames));
  for (int c = 0; c < channels; ++c)
    for (size_t f = 0; f < frames; ++f)
      d[c][f] = static_cast<float>(f + 1) * (c == 0 ? 1.0f : -1.0f) / static_cast<float>(frames);
  return d;
}

} // namespace

TEST(OfflineRenderer, OutputIsAlignedWithTheInputAndAsLongForAnyBlockAndLatency)
{
  struct Case
  {
    size_t frames;
    int64_t latency;
    int block;
  };
  for (const Case k : {Case{1000, 0, 512}, Case{1000, 81, 512}, Case{1000, 81, 16}, Case{1000, 64, 1},
                       Case{50, 81, 512}, Case{50, 81, 7}, Case{0, 17, 512}, Case{1, 17, 3}})
  {
    const auto input = Ramp(2, k.frames);
    MemorySource source(48000, input);
    DelayProcessor unit(2, k.latency);
    unit.maxFrames = static_cast<size_t>(k.block);
    MemorySink sink(2);
    const RenderStats stats = RenderOffline(source, unit, sink, RenderJob{k.block, false, {}, 0});
    EXPECT_EQ(sink.data, input) << k.frames << "/" << k.latency << "/" << k.block;
    if (k.frames > 0)
    {
      EXPECT_EQ(stats.latency, k.latency);
    }
    EXPECT_EQ(stats.framesWritten, static_cast<int64_t>(k.frames));
    EXPECT_EQ(stats.framesRendered >= static_cast<int64_t>(k.frames) + k.latency, k.frames > 0);
  }
}

TEST(OfflineRenderer, KeepLatencyWritesTheDelayedOutputAtTheInputLength)
{
  const auto input = Ramp(1, 300);
  MemorySource source(44100, input);
  DelayProcessor unit(1, 81);
  MemorySink sink(1);
  const RenderStats stats = RenderOffline(source, unit, sink, RenderJob{64, true, {}, 0});
  ASSERT_EQ(sink.data[0].size(), 300u);
  for (size_t i = 0; i < 81; ++i)
    ASSERT_EQ(sink.data[0][i], 0.0f);
  for (size_t i = 81; i < 300; ++i)
    ASSERT_EQ(sink.data[0][i], input[0][i - 81]);
  EXPECT_EQ(stats.latency, 81);
  EXPECT_EQ(stats.framesRendered, 300);
}

TEST(OfflineRenderer, MetersAndProgressCoverExactlyTheAudioOnEachSide)
{
  std::vector<std::vector<float>> input(1, std::vector<float>(1000, 0.0f));
  input[0][999] = 0.5f;
  MemorySource source(48000, input);
  DelayProcessor unit(1, 100);
  MemorySink sink(1);
  int64_t lastDone = -1, lastTotal = -1;
  RenderJob job{256, false, [&](int64_t done, int64_t total) {
                  EXPECT_GE(done, lastDone);
                  lastDone = done;
                  lastTotal = total;
                }};
  const RenderStats stats = RenderOffline(source, unit, sink, job);
  EXPECT_NEAR(stats.input.PeakDb(), -6.0206, 1e-3);
  EXPECT_NEAR(stats.output.PeakDb(), -6.0206, 1e-3) << "the last input sample comes out of the tail";
  EXPECT_EQ(lastDone, 1000);
  EXPECT_EQ(lastTotal, 1000);
}
