// A host thread sets parameters while the audio thread renders and the main
// thread's timer drains the queues towards the editor. Run under
// ThreadSanitizer: parameter values, the queues and the engine settings must
// be shared without races. Listeners and render notifiers are removed from
// inside their own calls on several threads at once: no removal may wait for
// a thread that waits for it.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "Watchdog.h"
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

/** Holds the threads that arrive until all are inside their callbacks at once. */
struct Rendezvous
{
  explicit Rendezvous(int n) : parties(n) {}
  const int parties;
  std::atomic<int> inside{0};

  /** False when the others did not arrive in time (a walk could not start). */
  bool Meet()
  {
    ++inside;
    return AwaitWithin(std::chrono::seconds(5), [this] { return inside.load() >= parties; });
  }
};

// Properties the unit refuses to set; their listeners are called all the same.
constexpr AudioUnitPropertyID kRefusedA = 26, kRefusedB = 29;

void Touch(AudioUnit unit, AudioUnitPropertyID property)
{
  const UInt32 value = 1;
  AudioUnitSetProperty(unit, property, kAudioUnitScope_Global, 0, &value, sizeof(value));
}

/** One side of a meeting: a callback that meets the other side inside its own call, then removes
 *  an entry (its own or the other side's) and notes that the removal returned. */
struct Side
{
  AudioUnit unit = nullptr;
  Rendezvous* meeting = nullptr;
  AudioUnitPropertyID property = 0;
  std::function<void()> remove;
  std::atomic<int> calls{0};
  std::atomic<bool> met{false};
  std::atomic<bool> removed{false};

  void Called()
  {
    if (calls++ > 0)
      return;
    met = meeting->Meet();
    remove();
    removed = true;
  }
  static void Listener(void* c, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
  {
    static_cast<Side*>(c)->Called();
  }
  static OSStatus Notify(void* c, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
  {
    static_cast<Side*>(c)->Called();
    return noErr;
  }
};

TEST(AUListenerRemoval, TwoThreadsRemovingFromInsideTheirCallbacksBothReturn)
{
  enum class Case
  {
    TwoHostThreadsEachRemoveItself,
    RenderNotifierAndHostListenerRemoveEachOther,
    LatencyListenerOnTheAudioThreadAndHostListenerRemoveThemselves,
  };
  for (const Case c : {Case::TwoHostThreadsEachRemoveItself, Case::RenderNotifierAndHostListenerRemoveEachOther,
                       Case::LatencyListenerOnTheAudioThreadAndHostListenerRemoveThemselves})
    for (int round = 0; round < 20; ++round)
    {
      AUInstance unit;
      SignalSource source;
      PrepareStereo(unit, source);
      unit.plug().recordVectors = false;
      Rendezvous meeting(2);
      Side host, other;
      for (Side* s : {&host, &other})
      {
        s->unit = unit.unit();
        s->meeting = &meeting;
      }
      host.property = kRefusedA;
      AudioUnitAddPropertyListener(unit, kRefusedA, Side::Listener, &host);
      host.remove = [&] { AudioUnitRemovePropertyListenerWithUserData(unit, kRefusedA, Side::Listener, &host); };
      std::function<void()> otherWalk;
      switch (c)
      {
        case Case::TwoHostThreadsEachRemoveItself:
          AudioUnitAddPropertyListener(unit, kRefusedB, Side::Listener, &other);
          other.remove = [&] { AudioUnitRemovePropertyListenerWithUserData(unit, kRefusedB, Side::Listener, &other); };
          otherWalk = [&] { Touch(unit, kRefusedB); };
          break;
        case Case::RenderNotifierAndHostListenerRemoveEachOther:
          AudioUnitAddRenderNotify(unit, Side::Notify, &other);
          other.remove = [&] { AudioUnitRemovePropertyListenerWithUserData(unit, kRefusedA, Side::Listener, &host); };
          host.remove = [&] { AudioUnitRemoveRenderNotify(unit, Side::Notify, &other); };
          break;
        case Case::LatencyListenerOnTheAudioThreadAndHostListenerRemoveThemselves:
          AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, Side::Listener, &other);
          other.remove = [&] {
            AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_Latency, Side::Listener, &other);
          };
          unit.plug().latencyToReport = 32; // set before the audio thread starts
          break;
      }
      if (!otherWalk)
        otherWalk = [&] {
          RenderBuffers out(2, 64);
          RenderSlice(unit, out);
        };

      FinishesWithin(std::chrono::seconds(30), "removals from inside callbacks on two threads", [&] {
        std::thread a([&] { Touch(unit, kRefusedA); });
        std::thread b(otherWalk);
        a.join();
        b.join();
      });
      const int at = static_cast<int>(c);
      EXPECT_TRUE(host.met && other.met) << "case " << at << ": both callbacks must run at once";
      EXPECT_TRUE(host.removed && other.removed) << "case " << at;

      // Removed for good: neither is called by what follows.
      const int hostCalls = host.calls, otherCalls = other.calls;
      Touch(unit, kRefusedA);
      Touch(unit, kRefusedB);
      RenderBuffers out(2, 64);
      unit.plug().latencyToReport = 64;
      RenderSlice(unit, out, 64.0);
      EXPECT_EQ(host.calls.load(), hostCalls) << "case " << at;
      EXPECT_EQ(other.calls.load(), otherCalls) << "case " << at;
      if (HasFailure())
        return;
    }
}

TEST(AUListenerRemoval, ManyWalksRunAtOnce)
{
  constexpr int kThreads = 24;
  AUInstance unit;
  Rendezvous meeting(kThreads);
  std::atomic<int> allMet{0};
  struct Context
  {
    Rendezvous* meeting;
    std::atomic<int>* allMet;
  } context{&meeting, &allMet};
  const AudioUnitPropertyListenerProc meet = [](void* c, AudioUnit, AudioUnitPropertyID, AudioUnitScope,
                                                AudioUnitElement) {
    auto* ctx = static_cast<Context*>(c);
    if (ctx->meeting->Meet())
      ++*ctx->allMet;
  };
  AudioUnitAddPropertyListener(unit, kRefusedA, meet, &context);
  FinishesWithin(std::chrono::seconds(60), "concurrent walks", [&] {
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
      threads.emplace_back([&] { Touch(unit, kRefusedA); });
    for (std::thread& t : threads)
      t.join();
  });
  EXPECT_EQ(allMet.load(), kThreads) << "every walk must be inside its callback at the same time";
}

TEST(AUListenerRemoval, ARemovalOutsideCallbacksWaitsForACallRunningOnAnotherThread)
{
  AUInstance unit;
  struct Slow
  {
    std::atomic<bool> inside{false};
    std::atomic<bool> removing{false};
    std::atomic<bool> removalReturned{false};
    std::atomic<bool> returnedEarly{false};
  } slow;
  const AudioUnitPropertyListenerProc listener = [](void* c, AudioUnit, AudioUnitPropertyID, AudioUnitScope,
                                                    AudioUnitElement) {
    auto* s = static_cast<Slow*>(c);
    s->inside = true;
    AwaitWithin(std::chrono::seconds(5), [s] { return s->removing.load(); });
    // The removal has started: it must not return while this call runs.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (s->removalReturned)
      s->returnedEarly = true;
  };
  AudioUnitAddPropertyListener(unit, kRefusedA, listener, &slow);
  FinishesWithin(std::chrono::seconds(30), "a removal waiting for a call", [&] {
    std::thread caller([&] { Touch(unit, kRefusedA); });
    EXPECT_TRUE(AwaitWithin(std::chrono::seconds(5), [&] { return slow.inside.load(); }));
    slow.removing = true;
    AudioUnitRemovePropertyListenerWithUserData(unit, kRefusedA, listener, &slow);
    slow.removalReturned = true;
    caller.join();
  });
  EXPECT_FALSE(slow.returnedEarly.load());
}
} // namespace
} // namespace corvane_test
