// A host thread sets parameters while the audio thread renders and the main
// thread's timer drains the queues towards the editor. Run under
// ThreadSanitizer: parameter values, the queues and the engine settings must
// be shared without races.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "au/AUHost.h"

namespace corvane_test {
namespace {
TEST(AUConcurrency, ParametersRenderingAndTimerRunTogether)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  AUTestPlug& plug = unit.plug();
  plug.recordVectors = false; // the counters are atomic; the vectors are not
  const int changesBefore = plug.paramChangeCount.load();

  std::atomic<bool> stop{false};
  std::atomic<int> sets{0};
  std::thread automation([&] {
    for (int i = 0; !stop.load(); ++i)
    {
      AudioUnitSetParameter(unit, kParamGain, kAudioUnitScope_Global, 0, static_cast<float>(i % 25 - 12), 0);
      AudioUnitSetParameter(unit, kParamFrequency, kAudioUnitScope_Global, 0, static_cast<float>(20 + i % 1000), 0);
      sets += 2;
    }
  });

  std::atomic<int> rendered{0};
  std::atomic<bool> audioRunning{true};
  std::thread audio([&] {
    RenderBuffers out(2, 128);
    // Render until both sides have done a fair share of work together.
    for (int block = 0; block < 2000 || sets.load() < 20000; ++block)
    {
      EXPECT_EQ(RenderSlice(unit, out, block * 128.0), noErr);
      AudioUnitParameterValue value = 0.f;
      AudioUnitGetParameter(unit, kParamGain, kAudioUnitScope_Global, 0, &value);
      EXPECT_GE(value, -12.f);
      EXPECT_LE(value, 12.f);
      ++rendered;
    }
    audioRunning = false;
  });

  // The timer thread: what the 20 ms main-thread timer does on each tick.
  while (audioRunning.load())
  {
    plug.DrainQueuesForTest();
    std::this_thread::yield();
  }
  stop = true;
  automation.join();
  audio.join();
  plug.DrainQueuesForTest();

  EXPECT_EQ(plug.blocks.load(), rendered.load());
  EXPECT_GE(sets.load(), 20000);
  EXPECT_EQ(plug.paramChangeCount.load() - changesBefore, sets.load());
}
} // namespace
} // namespace corvane_test
