// The audio side of 'corvane live' without a server: what each period puts
// out in every state the engine can be in, and the handshake that keeps the
// audio thread out of the processor while the main thread re-initialises it.

#include <gtest/gtest.h>

#include "tools/corvane/LiveEngine.h"
#include "tools/corvane/ToolError.h"

#include <atomic>
#include <thread>
#include <vector>

using namespace corvane::host;

namespace {

/** Doubles its input; records slice sizes; fails on request; can hold the audio thread. */
struct Doubler : SliceProcessor
{
  std::vector<size_t> slices;
  bool fail = false;
  std::atomic<bool> hold{false};
  std::atomic<bool> inside{false};
  // Set by the main thread only while the engine is suspended; the audio thread checks it.
  int reconfiguring = 0;
  std::atomic<int> sawReconfiguring{0};

  void Process(const float* const* in, float* const* out, size_t frames) override
  {
    inside = true;
    while (hold)
      std::this_thread::yield();
    if (reconfiguring)
      ++sawReconfiguring;
    slices.push_back(frames);
    inside = false;
    if (fail)
      throw ToolError("render failed");
    for (size_t i = 0; i < frames; ++i)
      out[0][i] = 2.f * in[0][i];
  }
  int64_t LatencyFrames() override { return 0; }
};

std::vector<float> Period(LiveEngine& engine, size_t frames)
{
  std::vector<float> in(frames), out(frames, 99.f);
  for (size_t i = 0; i < frames; ++i)
    in[i] = static_cast<float>(i + 1);
  const float* inputs[] = {in.data()};
  float* outputs[] = {out.data()};
  engine.Process(inputs, outputs, frames);
  return out;
}

} // namespace

TEST(LiveEngine, EachStateGivesTheProcessedPeriodOrSilence)
{
  struct
  {
    const char* name;
    bool resumed;
    double streamRate;
    bool fails;
    size_t frames;
    std::vector<size_t> slices; // what the processor was handed
    bool processed;
  } cases[] = {
    {"suspended at start", false, 48000, false, 256, {}, false},
    {"running", true, 48000, false, 256, {256}, true},
    {"shorter period", true, 48000, false, 100, {100}, true},
    {"period longer than the slices", true, 48000, false, 600, {256, 256, 88}, true},
    {"stream rate not the processor's", true, 44100, false, 256, {}, false},
    {"processor fails", true, 48000, true, 600, {256}, false},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.name);
    Doubler doubler;
    doubler.fail = c.fails;
    LiveEngine engine(doubler, 1);
    engine.SetStreamRate(c.streamRate);
    if (c.resumed)
      engine.Resume(48000, 256);
    const std::vector<float> out = Period(engine, c.frames);
    EXPECT_EQ(doubler.slices, c.slices);
    for (size_t i = 0; i < c.frames; ++i)
      ASSERT_EQ(out[i], c.processed ? 2.f * static_cast<float>(i + 1) : 0.f) << "frame " << i;
    EXPECT_EQ(engine.Periods(), c.processed ? 1 : 0);
    EXPECT_EQ(engine.Failures(), c.fails ? 1 : 0);
  }
  Doubler doubler;
  EXPECT_THROW(LiveEngine(doubler, 0), ToolError);
  EXPECT_THROW(LiveEngine(doubler, LiveEngine::kMaxChannels + 1), ToolError);
}

TEST(LiveEngine, SuspendWaitsForThePeriodInProgress)
{
  Doubler doubler;
  LiveEngine engine(doubler, 1);
  engine.SetStreamRate(48000);
  engine.Resume(48000, 256);
  doubler.hold = true;
  std::thread audio([&] { Period(engine, 64); });
  while (!doubler.inside)
    std::this_thread::yield();
  std::atomic<bool> suspended{false};
  std::thread main([&] {
    engine.Suspend();
    suspended = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(suspended) << "Suspend returned while the processor was still running";
  doubler.hold = false;
  main.join();
  audio.join();
  EXPECT_TRUE(suspended);
  EXPECT_EQ(Period(engine, 64), std::vector<float>(64, 0.f)); // suspended: the processor is not called
  EXPECT_EQ(doubler.slices.size(), 1u);
}

TEST(LiveEngine, ReconfigurationNeverMeetsTheAudioThread)
{
  // The main thread re-initialises the processor over and over while periods run.
  Doubler doubler;
  LiveEngine engine(doubler, 1);
  engine.SetStreamRate(48000);
  engine.Resume(48000, 64);
  std::atomic<bool> running{true};
  std::thread audio([&] {
    while (running)
      Period(engine, 64);
  });
  for (int round = 0; round < 2000; ++round)
  {
    engine.Suspend();
    doubler.reconfiguring = 1;
    doubler.slices.clear();
    doubler.reconfiguring = 0;
    engine.Resume(48000, 64);
  }
  running = false;
  audio.join();
  EXPECT_EQ(doubler.sawReconfiguring, 0);
}
