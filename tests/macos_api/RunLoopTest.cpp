// Run-loop timers fire only while the run loop is pumped, on the pumping
// thread, the way a host's event loop drives a plug-in's 20 ms timer.
#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

struct Counter
{
  int fired = 0;
  std::thread::id thread;
  CFRunLoopTimerRef stopAfter = nullptr;
  int limit = 0;
};

void Count(CFRunLoopTimerRef timer, void* info)
{
  auto* c = static_cast<Counter*>(info);
  ++c->fired;
  c->thread = std::this_thread::get_id();
  if (c->limit && c->fired == c->limit)
    CFRunLoopTimerInvalidate(timer); // from inside its own callback
}

CFRunLoopTimerRef MakeTimer(Counter& c, CFTimeInterval delay, CFTimeInterval interval)
{
  CFRunLoopTimerContext context = {0, &c, nullptr, nullptr, nullptr};
  return CFRunLoopTimerCreate(nullptr, CFAbsoluteTimeGetCurrent() + delay, interval, 0, 0, Count, &context);
}

} // namespace

TEST(RunLoop, TimersFireOnlyWhilePumped)
{
  Counter c;
  CFRunLoopTimerRef timer = MakeTimer(c, 0, 0.02);
  CFRunLoopAddTimer(CFRunLoopGetMain(), timer, kCFRunLoopCommonModes);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(c.fired, 0);

  // Missed firings are not replayed in a burst.
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false), kCFRunLoopRunTimedOut);
  EXPECT_EQ(c.fired, 1);
  EXPECT_EQ(c.thread, std::this_thread::get_id());

  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.11, false), kCFRunLoopRunTimedOut);
  EXPECT_GE(c.fired, 4);
  EXPECT_LE(c.fired, 8);

  CFRunLoopTimerInvalidate(timer);
  EXPECT_FALSE(CFRunLoopTimerIsValid(timer));
  EXPECT_FALSE(CFRunLoopContainsTimer(CFRunLoopGetMain(), timer, kCFRunLoopCommonModes));
  EXPECT_EQ(CFGetRetainCount(timer), 1); // the run loop let go of it
  CFRelease(timer);
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.01, false), kCFRunLoopRunFinished);
}

TEST(RunLoop, OneShotAndSelfInvalidatingTimers)
{
  Counter once, thrice;
  thrice.limit = 3;
  CFRunLoopTimerRef a = MakeTimer(once, 0.005, 0);
  CFRunLoopTimerRef b = MakeTimer(thrice, 0, 0.005);
  CFRunLoopAddTimer(CFRunLoopGetCurrent(), a, kCFRunLoopDefaultMode);
  CFRunLoopAddTimer(CFRunLoopGetCurrent(), b, kCFRunLoopCommonModes);
  CFRelease(a);
  CFRelease(b);
  // Both end by themselves, after which the run loop has nothing left.
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 2.0, false), kCFRunLoopRunFinished);
  EXPECT_EQ(once.fired, 1);
  EXPECT_EQ(thrice.fired, 3);
}

TEST(RunLoop, ModesSelectTimers)
{
  Counter c;
  CFRunLoopTimerRef timer = MakeTimer(c, 0, 0.001);
  CFRunLoopAddTimer(CFRunLoopGetCurrent(), timer, kCFRunLoopDefaultMode);
  EXPECT_EQ(CFRunLoopRunInMode(CFSTR("OtherMode"), 0.01, false), kCFRunLoopRunFinished);
  EXPECT_EQ(c.fired, 0);
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
  EXPECT_EQ(c.fired, 1);
  CFRunLoopRemoveTimer(CFRunLoopGetCurrent(), timer, kCFRunLoopDefaultMode);
  EXPECT_TRUE(CFRunLoopTimerIsValid(timer));
  CFRelease(timer);
}

TEST(RunLoop, OtherThreadsCanAddTimersAndStopTheLoop)
{
  Counter c;
  CFRunLoopTimerRef keepAlive = MakeTimer(c, 3600, 3600);
  CFRunLoopAddTimer(CFRunLoopGetMain(), keepAlive, kCFRunLoopCommonModes);
  Counter soon;
  CFRunLoopTimerRef timer = MakeTimer(soon, 0, 0);
  std::thread other([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    CFRunLoopAddTimer(CFRunLoopGetMain(), timer, kCFRunLoopCommonModes);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    CFRunLoopStop(CFRunLoopGetMain());
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, false), kCFRunLoopRunStopped);
  other.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(soon.fired, 1);
  EXPECT_EQ(soon.thread, std::this_thread::get_id());
  EXPECT_NE(CFRunLoopGetCurrent(), nullptr);
  CFRunLoopTimerInvalidate(keepAlive);
  CFRelease(keepAlive);
  CFRelease(timer);
}

TEST(RunLoop, ContextInfoIsRetainedAndReleased)
{
  static int retained = 0, released = 0;
  CFRunLoopTimerContext context = {0, &retained,
                                   [](const void* p) {
                                     ++retained;
                                     return p;
                                   },
                                   [](const void*) { ++released; }, nullptr};
  CFRunLoopTimerRef timer = CFRunLoopTimerCreate(
    nullptr, 0, 0, 0, 0, [](CFRunLoopTimerRef, void*) {}, &context);
  EXPECT_EQ(retained, 1);
  CFRelease(timer);
  EXPECT_EQ(released, 1);
}
