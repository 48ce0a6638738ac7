// The product loaded from its bundle: a host thread automates every
// parameter while the audio thread renders and the main thread runs the
// editor timer's work. Run under ThreadSanitizer.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include <MacAPIExtensions.h>

#include "au/AUHost.h"
#include "au/CorvaneDescription.h"

namespace corvane_test
{
namespace
{
/** Stands in for the run-loop timer whose tick the test performs itself. */
class ManualTimer final : public Timer
{
public:
  void Stop() override {}
};

TEST(CorvaneConcurrency, AutomationWhileRendering)
{
  MacAPISetComponentSearchPath("");
  ASSERT_GE(MacAPIRegisterComponentBundle(CORVANE_BUNDLE_DIR), 0);
  const AudioComponentDescription desc = CorvaneDescription();
  AUInstance unit(desc);
  ASSERT_NE(unit.unit(), nullptr);
  SignalSource source;
  PrepareStereo(unit, source);
  IPlugAU* plug = unit.adapter();
  ASSERT_NE(plug, nullptr);

  std::atomic<bool> stop{false};
  std::atomic<int> sets{0};
  std::thread automation([&] {
    // Gain, Output, Highpass, Lowpass, Filter Bypass, Preamp Bypass, Mic Pre, Phase, Oversampling.
    const float maxima[] = {12.f, 24.f, 4.f, 4.f, 1.f, 1.f, 1.f, 1.f, 1.f};
    for (int i = 0; !stop.load(); ++i)
    {
      const AudioUnitParameterID id = static_cast<AudioUnitParameterID>(i % 9);
      AudioUnitSetParameter(unit, id, kAudioUnitScope_Global, 0, static_cast<float>((i / 9) % 2) * maxima[id], 0);
      ++sets;
    }
  });

  std::atomic<bool> audioRunning{true};
  std::atomic<bool> finite{true};
  std::thread audio([&] {
    RenderBuffers out(2, 256);
    for (int block = 0; block < 400 || sets.load() < 5000; ++block)
    {
      EXPECT_EQ(RenderSlice(unit, out, block * 256.0), noErr);
      for (int i = 0; i < 256; ++i)
        if (!std::isfinite(out.at(0, i)) || !std::isfinite(out.at(1, i)))
          finite = false;
    }
    audioRunning = false;
  });

  ManualTimer timer;
  while (audioRunning.load())
  {
    plug->OnTimer(timer);
    std::this_thread::yield();
  }
  stop = true;
  automation.join();
  audio.join();
  EXPECT_TRUE(finite.load());
  EXPECT_GE(sets.load(), 5000);
}
} // namespace
} // namespace corvane_test
