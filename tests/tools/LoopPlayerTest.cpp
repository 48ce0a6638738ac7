// The live player of 'corvane editor --play': the loop through the
// processor, failures, and the audio thread on ALSA's null device, where
// every heap allocation the audio thread makes after its first slice is
// counted (AllocationCounter replaces malloc itself, so the sound library's
// allocations are counted too).

#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "tools/corvane/LoopPlayer.h"
#include "tools/corvane/ToolError.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <optional>
#include <thread>

using namespace corvane::host;

namespace {

/** Multiplies by a gain the main thread may change at any time; fails on request. */
struct GainProcessor : SliceProcessor
{
  std::atomic<float> gain{2.f};
  bool fail = false;
  int slices = 0;
  std::optional<corvane_test::CountingScope> counting;
  void Process(const float* const* in, float* const* out, size_t frames) override
  {
    if (fail)
      throw ToolError("render failed");
    // From the second slice on, count what this (the audio) thread allocates.
    if (++slices == 2)
      counting.emplace();
    const float g = gain.load(std::memory_order_relaxed);
    for (int c = 0; c < 2; ++c)
      for (size_t i = 0; i < frames; ++i)
        out[c][i] = g * in[c][i];
  }
  int64_t LatencyFrames() override { return 0; }
};

struct MemoryOutput : PcmOutput
{
  std::vector<float> written;
  bool fail = false;
  bool Write(const float* interleaved, size_t frames) override
  {
    written.insert(written.end(), interleaved, interleaved + 2 * frames);
    return !fail;
  }
};

} // namespace

TEST(LoopPlayer, SlicesWrapAroundTheLoop)
{
  GainProcessor gain;
  MemoryOutput out;
  LoopPlayer player({{1, 2, 3}, {-1, -2, -3}}, gain, out, 4);
  ASSERT_TRUE(player.RenderSlice());
  ASSERT_TRUE(player.RenderSlice());
  EXPECT_EQ(out.written, (std::vector<float>{2, -2, 4, -4, 6, -6, 2, -2, 4, -4, 6, -6, 2, -2, 4, -4}));
  EXPECT_EQ(player.FramesPlayed(), 8);
  EXPECT_FALSE(player.Failed());
  EXPECT_THROW(LoopPlayer({{}}, gain, out, 4), ToolError);
}

TEST(LoopPlayer, FailuresEndPlayback)
{
  struct
  {
    bool processorFails;
    bool outputFails;
    const char* error;
  } cases[] = {
    {true, false, "render failed"},
    {false, true, "the audio device stopped taking samples"},
  };
  for (const auto& c : cases)
  {
    GainProcessor gain;
    gain.fail = c.processorFails;
    MemoryOutput out;
    out.fail = c.outputFails;
    LoopPlayer player({{1}, {1}}, gain, out, 8);
    player.Start(); // the thread ends by itself
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!player.Failed() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    player.Stop();
    EXPECT_TRUE(player.Failed()) << c.error;
    EXPECT_EQ(player.Error(), c.error);
    EXPECT_EQ(player.FramesPlayed(), 0);
  }
}

TEST(LoopPlayer, PlaysThroughAlsaWithoutAllocating)
{
  EXPECT_THROW(AlsaOutput("corvane-no-such-device", 48000, 2, 256), ToolError);
  try
  {
    AlsaOutput("corvane-no-such-device", 48000, 2, 256);
  }
  catch (const ToolError& e)
  {
    EXPECT_EQ(std::string(e.what()).rfind("cannot play through ALSA device 'corvane-no-such-device'", 0), 0u)
      << e.what();
  }

  GainProcessor gain;
  AlsaOutput device("null", 48000, 2, 256);
  std::vector<float> ramp(1000);
  for (size_t i = 0; i < ramp.size(); ++i)
    ramp[i] = static_cast<float>(i) / 1000.f;
  LoopPlayer player({ramp, ramp}, gain, device, 256);
  [[maybe_unused]] const long before = corvane_test::AllocationCount();
  player.Start();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (player.FramesPlayed() < 256 * 40 && std::chrono::steady_clock::now() < deadline)
  {
    gain.gain.store(gain.gain.load() == 2.f ? 0.5f : 2.f); // an edit made while playing
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  player.Stop();
  EXPECT_FALSE(player.Failed()) << player.Error();
  EXPECT_GE(player.FramesPlayed(), 256 * 40);
#ifndef CORVANE_SANITIZED
  EXPECT_EQ(corvane_test::AllocationCount() - before, 0);
#endif
}
