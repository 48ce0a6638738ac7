#include "core/Timer.h"

#include <CoreFoundation/CoreFoundation.h>

namespace iplug {
namespace {

// A run-loop timer on the main run loop, in the common modes, so it keeps
// firing while the host pumps the run loop in any mode.
class Timer_impl final : public Timer
{
public:
  Timer_impl(ITimerFunction function, CFTimeInterval interval) : mFunction(std::move(function))
  {
    CFRunLoopTimerContext context = {0, this, nullptr, nullptr, nullptr};
    mTimer = CFRunLoopTimerCreate(kCFAllocatorDefault, CFAbsoluteTimeGetCurrent(), interval, 0, 0, &Fire, &context);
    CFRunLoopAddTimer(CFRunLoopGetMain(), mTimer, kCFRunLoopCommonModes);
  }

  ~Timer_impl() override { Stop(); }

  void Stop() override
  {
    if (!mTimer)
      return;
    CFRunLoopTimerInvalidate(mTimer);
    CFRelease(mTimer);
    mTimer = nullptr;
  }

private:
  static void Fire(CFRunLoopTimerRef, void* info)
  {
    static_cast<Timer_impl*>(info)->mFunction(*static_cast<Timer_impl*>(info));
  }

  ITimerFunction mFunction;
  CFRunLoopTimerRef mTimer = nullptr;
};

} // namespace

Timer* Timer::Create(ITimerFunction function, uint32_t periodMs)
{
  return new Timer_impl(std::move(function), periodMs / 1000.0);
}

Timer* Timer::Create(ITimerFunction function, std::chrono::duration<double> period)
{
  return new Timer_impl(std::move(function), period.count());
}

} // namespace iplug
