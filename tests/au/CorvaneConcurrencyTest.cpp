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

namespace corvane_test {
namespace {
/** Stands in for the run-loop timer whose tick the test performs itself. */
class ManualTimer final : public Timer
{
public:
  void Stop() override {}
};

AudioComponentDescription CorvaneFromBundle()
{
  MacAPISetComponentSearchPath("");
  EXPECT_GE(MacAPIRegisterComponentBundle(CORVANE_BUNDLE_DIR), 0);
  return CorvaneDescription();
}

TEST(CorvaneConcurrency, AutomationWhileRendering)
{
  AUInstance unit(CorvaneFromBundle());
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
/** A callback that may be removed while calls come in: a call after its
 *  removal returned is counted as a fault. */
struct Churned
{
  std::atomic<bool> removed{false};
  std::atomic<int> calls{0};
  std::atomic<int>* lateCalls = nullptr;

  void Called()
  {
    ++calls;
    if (removed.load())
      ++*lateCalls;
  }
  static void Listener(void* c, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
  {
    static_cast<Churned*>(c)->Called();
  }
  static OSStatus Notify(void* c, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
  {
    static_cast<Churned*>(c)->Called();
    return noErr;
  }
  // Removing a notifier matches its function only, so the steady one has its own.
  static OSStatus SteadyNotify(void* c, AudioUnitRenderActionFlags* f, const AudioTimeStamp* t, UInt32 b, UInt32 n,
                               AudioBufferList* l)
  {
    return Notify(c, f, t, b, n, l);
  }
};

TEST(CorvaneConcurrency, ListenersNotifiersAndLatencyReadsWhileLatencyChangesOnTheAudioThread)
{
  AUInstance unit(CorvaneFromBundle());
  ASSERT_NE(unit.unit(), nullptr);
  SignalSource source;
  PrepareStereo(unit, source);
  IPlugAU* plug = unit.adapter();
  ASSERT_NE(plug, nullptr);

  std::atomic<int> lateCalls{0};
  Churned steadyListener, steadyNotifier; // never removed: must never be lost
  steadyListener.lateCalls = steadyNotifier.lateCalls = &lateCalls;
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, Churned::Listener, &steadyListener);
  AudioUnitAddRenderNotify(unit, Churned::SteadyNotify, &steadyNotifier);

  std::atomic<bool> audioRunning{true};
  std::atomic<int> toggles{0};
  std::atomic<int> churns{0};
  std::thread host([&] {
    while (audioRunning.load())
    {
      // Several entries at once, so the lists grow and shrink.
      Churned listeners[4], notifiers[4];
      for (int k = 0; k < 4; ++k)
      {
        listeners[k].lateCalls = notifiers[k].lateCalls = &lateCalls;
        AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, Churned::Listener, &listeners[k]);
        AudioUnitAddRenderNotify(unit, Churned::Notify, &notifiers[k]);
      }
      for (int k = 0; k < 4; ++k)
      {
        AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_Latency, Churned::Listener, &listeners[k]);
        listeners[k].removed = true;
        AudioUnitRemoveRenderNotify(unit, Churned::Notify, &notifiers[k]);
        notifiers[k].removed = true;
      }
      // The latency as a host reads it while the audio thread changes it.
      Float64 latency = -1.0;
      UInt32 size = sizeof(latency);
      EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &latency, &size),
                noErr);
      EXPECT_GE(latency, 0.0);
      ++churns;
    }
  });

  std::thread audio([&] {
    RenderBuffers out(2, 64);
    for (int block = 0; block < 2000 || churns.load() < 200; ++block)
    {
      if (block % 3 == 0)
      {
        // Oversampling changes the latency, which the next render reports to the listeners.
        AudioUnitSetParameter(unit, 8, kAudioUnitScope_Global, 0, static_cast<float>((toggles.load() + 1) % 2), 0);
        ++toggles;
      }
      EXPECT_EQ(RenderSlice(unit, out, block * 64.0), noErr);
    }
    audioRunning = false;
  });

  ManualTimer timer;
  while (audioRunning.load())
  {
    plug->OnTimer(timer);
    std::this_thread::yield();
  }
  host.join();
  audio.join();

  EXPECT_EQ(lateCalls.load(), 0);
  EXPECT_EQ(steadyListener.calls.load(), toggles.load());
  EXPECT_GE(steadyNotifier.calls.load(), 2 * 2000);
  AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_Latency, Churned::Listener, &steadyListener);
  AudioUnitRemoveRenderNotify(unit, Churned::SteadyNotify, &steadyNotifier);
}
} // namespace
} // namespace corvane_test
