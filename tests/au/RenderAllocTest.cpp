// The render path allocates nothing. This binary replaces the global
// allocation functions with counting versions (AllocationCounter.h) and
// renders the product through the component calls a host makes, counting
// every allocation made on the render thread while a render call runs.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include <AudioToolbox/AudioToolbox.h>

#include "AllocationCounter.h"
#include "au/AUHost.h"
#include "au/CorvaneDescription.h"

extern "C" OSStatus Corvane_Entry(ComponentParameters* params, void* instanceStorage);
extern "C" AudioComponentPlugInInterface* Corvane_Factory(const AudioComponentDescription* desc);

namespace corvane_test {
namespace {
void* volatile escaped = nullptr;

struct LatencyListener
{
  int calls = 0;
  static void Listener(void* context, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
  {
    ++static_cast<LatencyListener*>(context)->calls;
  }
};

TEST(AURenderAllocations, TheCountingHooksSeeAllocations)
{
#ifdef CORVANE_SANITIZED
  GTEST_SKIP() << "the sanitizer runtime owns the allocation functions";
#endif
  const long before = AllocationCount();
  {
    CountingScope counting;
    // Through a volatile pointer, so the compiler cannot drop the pairs.
    auto* p = new std::vector<int>(100);
    escaped = p;
    delete p;
    void* q = std::malloc(32);
    escaped = q;
    std::free(q);
  }
  EXPECT_GE(AllocationCount() - before, 3);
}

class CorvaneRender : public ::testing::TestWithParam<UInt32>
{};

TEST_P(CorvaneRender, RenderCallsAllocateNothingInAnyMode)
{
#ifdef CORVANE_SANITIZED
  GTEST_SKIP() << "the sanitizer runtime owns the allocation functions";
#endif
  static AudioComponent component = [] {
    const AudioComponentDescription desc = CorvaneDescription();
    return AudioComponentRegister(&desc, InProcessCorvaneName(), corvane::kVersionCode, Corvane_Factory);
  }();
  ASSERT_NE(component, nullptr);

  AUInstance unit(CorvaneDescription());
  ASSERT_NE(unit.unit(), nullptr);
  const UInt32 channels = GetParam();
  ASSERT_EQ(unit.SetFormat(kAudioUnitScope_Input, 0, channels, 44100.0), noErr);
  ASSERT_EQ(unit.SetFormat(kAudioUnitScope_Output, 0, channels, 44100.0), noErr);
  ASSERT_EQ(unit.Set<UInt32>(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, 1024), noErr);
  SignalSource source;
  ASSERT_EQ(source.AttachTo(unit), noErr);
  LatencyListener latency;
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, LatencyListener::Listener, &latency);
  NotifyCounter notifier;
  AudioUnitAddRenderNotify(unit, NotifyCounter::Notify, &notifier);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);

  // Every mode the engine has: stages engaged, filters on, oversampling, mic curve, phase.
  const std::vector<std::vector<std::pair<AudioUnitParameterID, float>>> modes = {
    {}, {{4, 1.f}, {2, 3.f}, {3, 4.f}}, {{8, 1.f}, {0, 12.f}}, {{6, 1.f}, {7, 1.f}, {1, -12.f}}, {{5, 0.f}, {4, 0.f}},
  };
  RenderBuffers out(static_cast<int>(channels), 1024);
  Float64 sampleTime = 0.0;
  long allocations = 0;
  // A second latency listener that comes and goes between the renders.
  const AudioUnitPropertyListenerProc churnedProc = [](void* c, AudioUnit, AudioUnitPropertyID, AudioUnitScope,
                                                       AudioUnitElement) { ++static_cast<LatencyListener*>(c)->calls; };
  LatencyListener churned;
  bool churnedIn = false;
  for (const auto& mode : modes)
  {
    for (const auto& [param, value] : mode)
      ASSERT_EQ(AudioUnitSetParameter(unit, param, kAudioUnitScope_Global, 0, value, 0), noErr);
    // The host changes the list between renders; walking the new one allocates nothing either.
    if (!churnedIn)
      AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, churnedProc, &churned);
    else
      AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_Latency, churnedProc, &churned);
    churnedIn = !churnedIn;
    for (UInt32 frames : {1024u, 1u, 333u, 64u, 0u})
    {
      AudioUnitRenderActionFlags flags = 0;
      const AudioTimeStamp ts = SampleTime(sampleTime);
      out.buffer(0).mDataByteSize = frames * 4;
      const long before = AllocationCount();
      OSStatus status;
      {
        CountingScope counting;
        status = AudioUnitRender(unit, &flags, &ts, 0, frames, out.list());
      }
      allocations += AllocationCount() - before;
      ASSERT_EQ(status, noErr);
      sampleTime += frames;
    }
  }
  EXPECT_EQ(allocations, 0);
  EXPECT_GT(latency.calls, 0); // the modes above change the latency
  EXPECT_GT(churned.calls, 0);
  EXPECT_GT(notifier.calls, 0);
  for (int i = 0; i < 64; ++i)
    ASSERT_TRUE(std::isfinite(out.at(0, i)));
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, CorvaneRender, ::testing::Values(1u, 2u));
} // namespace
} // namespace corvane_test
