// The render path allocates nothing. This binary replaces the global
// allocation functions (operator new in all its forms, malloc, calloc,
// realloc) with counting versions and renders the product through the
// component calls a host makes, counting every allocation made on the render
// thread while a render call runs.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include <AudioToolbox/AudioToolbox.h>

#include "au/AUHost.h"
#include "au/CorvaneDescription.h"

extern "C" OSStatus Corvane_Entry(ComponentParameters* params, void* instanceStorage);
extern "C" AudioComponentPlugInInterface* Corvane_Factory(const AudioComponentDescription* desc);

namespace
{
thread_local bool tCounting = false;
std::atomic<long> gAllocations{0};

[[maybe_unused]] void Count()
{
  if (tCounting)
    gAllocations.fetch_add(1, std::memory_order_relaxed);
}

/** Counts allocations made by this thread while alive. */
struct CountingScope
{
  CountingScope() { tCounting = true; }
  ~CountingScope() { tCounting = false; }
};
} // namespace

#ifndef CORVANE_SANITIZED
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void* __libc_memalign(size_t, size_t);
extern "C" void __libc_free(void*);

extern "C" void* malloc(size_t size)
{
  Count();
  return __libc_malloc(size);
}
extern "C" void* calloc(size_t n, size_t size)
{
  Count();
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t size)
{
  Count();
  return __libc_realloc(p, size);
}
extern "C" void free(void* p) { __libc_free(p); }

namespace
{
void* Allocate(size_t size)
{
  Count();
  if (void* p = __libc_malloc(size ? size : 1))
    return p;
  throw std::bad_alloc();
}
void* AllocateAligned(size_t size, std::align_val_t align)
{
  Count();
  if (void* p = __libc_memalign(static_cast<size_t>(align), size ? size : 1))
    return p;
  throw std::bad_alloc();
}
} // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
  Count();
  return __libc_malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
  Count();
  return __libc_malloc(size ? size : 1);
}
void* operator new(size_t size, std::align_val_t align) { return AllocateAligned(size, align); }
void* operator new[](size_t size, std::align_val_t align) { return AllocateAligned(size, align); }
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t) noexcept { __libc_free(p); }
void operator delete(void* p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { __libc_free(p); }
#endif

namespace corvane_test
{
namespace
{
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
  const long before = gAllocations.load();
  {
    CountingScope counting;
    auto* p = new std::vector<int>(100);
    delete p;
    void* q = std::malloc(32);
    std::free(q);
  }
  EXPECT_GE(gAllocations.load() - before, 3);
}

class CorvaneRender : public ::testing::TestWithParam<UInt32>
{
};

TEST_P(CorvaneRender, RenderCallsAllocateNothingInAnyMode)
{
#ifdef CORVANE_SANITIZED
  GTEST_SKIP() << "the sanitizer runtime owns the allocation functions";
#endif
  static AudioComponent component = [] {
    const AudioComponentDescription desc = CorvaneDescription();
    return AudioComponentRegister(&desc, InProcessCorvaneName(), corvane::kVersionCode,
                                  Corvane_Factory);
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
    {},
    {{4, 1.f}, {2, 3.f}, {3, 4.f}},
    {{8, 1.f}, {0, 12.f}},
    {{6, 1.f}, {7, 1.f}, {1, -12.f}},
    {{5, 0.f}, {4, 0.f}},
  };
  RenderBuffers out(static_cast<int>(channels), 1024);
  Float64 sampleTime = 0.0;
  long allocations = 0;
  for (const auto& mode : modes)
  {
    for (const auto& [param, value] : mode)
      ASSERT_EQ(AudioUnitSetParameter(unit, param, kAudioUnitScope_Global, 0, value, 0), noErr);
    for (UInt32 frames : {1024u, 1u, 333u, 64u, 0u})
    {
      AudioUnitRenderActionFlags flags = 0;
      const AudioTimeStamp ts = SampleTime(sampleTime);
      out.buffer(0).mDataByteSize = frames * 4;
      const long before = gAllocations.load();
      OSStatus status;
      {
        CountingScope counting;
        status = AudioUnitRender(unit, &flags, &ts, 0, frames, out.list());
      }
      allocations += gAllocations.load() - before;
      ASSERT_EQ(status, noErr);
      sampleTime += frames;
    }
  }
  EXPECT_EQ(allocations, 0);
  EXPECT_GT(latency.calls, 0);  // the modes above change the latency
  EXPECT_GT(notifier.calls, 0);
  for (int i = 0; i < 64; ++i)
    ASSERT_TRUE(std::isfinite(out.at(0, i)));
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, CorvaneRender, ::testing::Values(1u, 2u));
} // namespace
} // namespace corvane_test
