// Run loops with timers and queued work. One lock guards every run loop's
// timer list and every timer's schedule; callbacks run with it released.
#include "macos_api/src/CFRuntime.h"
#include "macos_api/src/CFStringInternal.h"
#include "macos_api/src/RunLoopInternal.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

using namespace macapi;

namespace {
std::mutex gLock;
} // namespace

struct __CFRunLoopTimer : __CFObject
{
  CFTypeID TypeID() const override { return kTypeRunLoopTimer; }
  ~__CFRunLoopTimer() override
  {
    if (context.release && context.info)
      context.release(context.info);
  }

  CFAbsoluteTime fireDate = 0;
  CFTimeInterval interval = 0;
  CFIndex order = 0;
  CFRunLoopTimerCallBack callout = nullptr;
  CFRunLoopTimerContext context = {0, nullptr, nullptr, nullptr, nullptr};
  bool valid = true; // guarded by gLock
};

struct __CFRunLoop : __CFObject
{
  struct Scheduled
  {
    __CFRunLoopTimer* timer; // retained
    std::string mode;        // empty: common modes
  };
  struct Work
  {
    std::function<void()> run;
    std::string mode;
  };

  CFTypeID TypeID() const override { return kTypeRunLoop; }
  ~__CFRunLoop() override
  {
    for (auto& s : timers)
      CFRelease(s.timer);
  }

  static bool ModeMatches(const std::string& scheduled, const std::string& running)
  {
    return scheduled.empty() || scheduled == running;
  }

  // All guarded by gLock.
  std::vector<Scheduled> timers;
  std::deque<Work> work;
  std::condition_variable wake;
  bool stopRequested = false;
  bool woken = false;
  bool waiting = false;
  std::string currentMode;
};

namespace {

std::string ModeName(CFStringRef mode)
{
  if (!mode || CFEqual(mode, kCFRunLoopCommonModes))
    return std::string();
  return StringUTF8(mode);
}

bool IsMainThread() { return ::syscall(SYS_gettid) == ::getpid(); }

__CFRunLoop* MainLoop()
{
  static __CFRunLoop* main = [] {
    auto* rl = new __CFRunLoop;
    rl->immortal = true;
    return rl;
  }();
  return main;
}

__CFRunLoop* Loop(CFRunLoopRef rl) { return AsMutable<__CFRunLoop>(rl); }
__CFRunLoopTimer* Timer(CFRunLoopTimerRef t) { return AsMutable<__CFRunLoopTimer>(t); }

// Takes the timer out of every run loop; gLock held. The run loops'
// references are handed back to be released outside the lock.
void Unschedule(__CFRunLoop* rl, __CFRunLoopTimer* timer, const std::string* mode,
                std::vector<__CFRunLoopTimer*>& toRelease)
{
  auto& list = rl->timers;
  for (auto it = list.begin(); it != list.end();)
  {
    if (it->timer == timer && (!mode || it->mode == *mode))
    {
      toRelease.push_back(it->timer);
      it = list.erase(it);
    }
    else
      ++it;
  }
}

// Every run loop that exists, so invalidation can find its timers; gLock held.
std::vector<__CFRunLoop*>& AllLoops()
{
  // Never destroyed: threads may still end after static destruction began.
  static auto* loops = new std::vector<__CFRunLoop*>{MainLoop()};
  return *loops;
}

// The run loop of a thread other than the main one; it goes with its thread.
struct ThreadLoop
{
  __CFRunLoop* loop = nullptr;
  ~ThreadLoop()
  {
    if (!loop)
      return;
    {
      std::lock_guard<std::mutex> lock(gLock);
      auto& loops = AllLoops();
      loops.erase(std::remove(loops.begin(), loops.end(), loop), loops.end());
    }
    CFRelease(loop);
  }
};

CFAbsoluteTime NextFireAfter(const __CFRunLoopTimer& t, CFAbsoluteTime now)
{
  // Missed firings are skipped rather than replayed in a burst.
  CFAbsoluteTime next = t.fireDate + t.interval;
  if (next <= now)
    next += t.interval * std::ceil((now - next) / t.interval + 1e-9);
  if (next <= now)
    next = now + t.interval;
  return next;
}

} // namespace

const CFRunLoopMode kCFRunLoopDefaultMode = CFSTR("kCFRunLoopDefaultMode");
const CFRunLoopMode kCFRunLoopCommonModes = CFSTR("kCFRunLoopCommonModes");

CFTypeID CFRunLoopGetTypeID(void) { return kTypeRunLoop; }

CFRunLoopRef CFRunLoopGetMain(void) { return MainLoop(); }

CFRunLoopRef CFRunLoopGetCurrent(void)
{
  if (IsMainThread())
    return MainLoop();
  static thread_local ThreadLoop mine;
  if (!mine.loop)
  {
    mine.loop = new __CFRunLoop;
    std::lock_guard<std::mutex> lock(gLock);
    AllLoops().push_back(mine.loop);
  }
  return mine.loop;
}

CFRunLoopMode CFRunLoopCopyCurrentMode(CFRunLoopRef rl)
{
  auto* loop = Loop(rl);
  if (!loop)
    return nullptr;
  std::lock_guard<std::mutex> lock(gLock);
  return loop->currentMode.empty() ? nullptr : MakeString(loop->currentMode);
}

CFRunLoopRunResult CFRunLoopRunInMode(CFRunLoopMode mode, CFTimeInterval seconds, Boolean returnAfterSourceHandled)
{
  __CFRunLoop* rl = Loop(CFRunLoopGetCurrent());
  std::string running = ModeName(mode);
  if (running.empty())
    running = StringUTF8(kCFRunLoopDefaultMode);
  // Durations are clamped to about three years so that they fit the clock.
  auto span = [](double secs) {
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(std::clamp(secs, 0.0, 1.0e8)));
  };
  const auto deadline = std::chrono::steady_clock::now() + span(seconds);

  std::unique_lock<std::mutex> lock(gLock);
  const std::string outerMode = rl->currentMode;
  rl->currentMode = running;
  CFRunLoopRunResult result;
  for (;;)
  {
    if (rl->stopRequested)
    {
      rl->stopRequested = false;
      result = kCFRunLoopRunStopped;
      break;
    }
    // Queued work first, in order.
    auto work = std::find_if(rl->work.begin(), rl->work.end(),
                             [&](const __CFRunLoop::Work& w) { return __CFRunLoop::ModeMatches(w.mode, running); });
    if (work != rl->work.end())
    {
      auto run = std::move(work->run);
      rl->work.erase(work);
      lock.unlock();
      run();
      lock.lock();
      if (returnAfterSourceHandled)
      {
        result = kCFRunLoopRunHandledSource;
        break;
      }
      continue;
    }
    // The earliest timer of this mode.
    __CFRunLoopTimer* next = nullptr;
    for (auto& s : rl->timers)
      if (__CFRunLoop::ModeMatches(s.mode, running) && s.timer->valid &&
          (!next || s.timer->fireDate < next->fireDate ||
           (s.timer->fireDate == next->fireDate && s.timer->order < next->order)))
        next = s.timer;
    if (!next)
    {
      result = kCFRunLoopRunFinished;
      break;
    }
    const CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
    if (next->fireDate <= now)
    {
      CFRetain(next);
      std::vector<__CFRunLoopTimer*> toRelease;
      if (next->interval > 0)
        next->fireDate = NextFireAfter(*next, now);
      else
      {
        next->valid = false;
        for (__CFRunLoop* loop : AllLoops())
          Unschedule(loop, next, nullptr, toRelease);
      }
      lock.unlock();
      next->callout(next, next->context.info);
      for (auto* t : toRelease)
        CFRelease(t);
      CFRelease(next);
      lock.lock();
      continue;
    }
    const auto steadyNow = std::chrono::steady_clock::now();
    if (steadyNow >= deadline)
    {
      result = kCFRunLoopRunTimedOut;
      break;
    }
    const auto untilTimer = span(next->fireDate - now);
    const auto wakeAt = std::min(deadline, steadyNow + untilTimer);
    rl->waiting = true;
    rl->wake.wait_until(lock, wakeAt, [&] { return rl->woken || rl->stopRequested; });
    rl->waiting = false;
    rl->woken = false;
  }
  rl->currentMode = outerMode;
  return result;
}

void CFRunLoopRun(void)
{
  while (CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0e10, false) == kCFRunLoopRunTimedOut)
  {}
}

Boolean CFRunLoopIsWaiting(CFRunLoopRef rl)
{
  auto* loop = Loop(rl);
  std::lock_guard<std::mutex> lock(gLock);
  return loop && loop->waiting;
}

void CFRunLoopWakeUp(CFRunLoopRef rl)
{
  auto* loop = Loop(rl);
  if (!loop)
    return;
  std::lock_guard<std::mutex> lock(gLock);
  loop->woken = true;
  loop->wake.notify_all();
}

void CFRunLoopStop(CFRunLoopRef rl)
{
  auto* loop = Loop(rl);
  if (!loop)
    return;
  std::lock_guard<std::mutex> lock(gLock);
  loop->stopRequested = true;
  loop->wake.notify_all();
}

void macapi::RunLoopPerform(CFRunLoopRef rl, CFStringRef mode, std::function<void()> work)
{
  auto* loop = Loop(rl);
  if (!loop)
    return;
  std::lock_guard<std::mutex> lock(gLock);
  loop->work.push_back({std::move(work), ModeName(mode)});
  loop->woken = true;
  loop->wake.notify_all();
}

CFTypeID CFRunLoopTimerGetTypeID(void) { return kTypeRunLoopTimer; }

CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef, CFAbsoluteTime fireDate, CFTimeInterval interval, CFOptionFlags,
                                       CFIndex order, CFRunLoopTimerCallBack callout, CFRunLoopTimerContext* context)
{
  if (!callout)
    return nullptr;
  auto* t = new __CFRunLoopTimer;
  t->fireDate = fireDate;
  t->interval = interval > 0 ? interval : 0;
  t->order = order;
  t->callout = callout;
  if (context)
  {
    t->context = *context;
    if (t->context.retain && t->context.info)
      t->context.info = const_cast<void*>(t->context.retain(t->context.info));
  }
  return t;
}

CFAbsoluteTime CFRunLoopTimerGetNextFireDate(CFRunLoopTimerRef timer)
{
  auto* t = Timer(timer);
  std::lock_guard<std::mutex> lock(gLock);
  return t ? t->fireDate : 0;
}

void CFRunLoopTimerSetNextFireDate(CFRunLoopTimerRef timer, CFAbsoluteTime fireDate)
{
  auto* t = Timer(timer);
  if (!t)
    return;
  std::lock_guard<std::mutex> lock(gLock);
  t->fireDate = fireDate;
  for (__CFRunLoop* loop : AllLoops())
  {
    loop->woken = true;
    loop->wake.notify_all();
  }
}

CFTimeInterval CFRunLoopTimerGetInterval(CFRunLoopTimerRef timer)
{
  auto* t = Timer(timer);
  return t ? t->interval : 0;
}

Boolean CFRunLoopTimerDoesRepeat(CFRunLoopTimerRef timer) { return CFRunLoopTimerGetInterval(timer) > 0; }

CFIndex CFRunLoopTimerGetOrder(CFRunLoopTimerRef timer)
{
  auto* t = Timer(timer);
  return t ? t->order : 0;
}

void CFRunLoopTimerGetContext(CFRunLoopTimerRef timer, CFRunLoopTimerContext* context)
{
  auto* t = Timer(timer);
  if (t && context)
    *context = t->context;
}

void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timer)
{
  auto* t = Timer(timer);
  if (!t)
    return;
  std::vector<__CFRunLoopTimer*> toRelease;
  {
    std::lock_guard<std::mutex> lock(gLock);
    t->valid = false;
    for (__CFRunLoop* loop : AllLoops())
      Unschedule(loop, t, nullptr, toRelease);
  }
  for (auto* r : toRelease)
    CFRelease(r);
}

Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timer)
{
  auto* t = Timer(timer);
  std::lock_guard<std::mutex> lock(gLock);
  return t && t->valid;
}

void CFRunLoopAddTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode)
{
  auto* loop = Loop(rl);
  auto* t = Timer(timer);
  if (!loop || !t)
    return;
  const std::string name = ModeName(mode);
  std::lock_guard<std::mutex> lock(gLock);
  if (!t->valid)
    return;
  for (auto& s : loop->timers)
    if (s.timer == t && s.mode == name)
      return;
  CFRetain(t);
  loop->timers.push_back({t, name});
  loop->woken = true; // a waiting run loop recomputes its next firing
  loop->wake.notify_all();
}

void CFRunLoopRemoveTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode)
{
  auto* loop = Loop(rl);
  auto* t = Timer(timer);
  if (!loop || !t)
    return;
  const std::string name = ModeName(mode);
  std::vector<__CFRunLoopTimer*> toRelease;
  {
    std::lock_guard<std::mutex> lock(gLock);
    Unschedule(loop, t, &name, toRelease);
  }
  for (auto* r : toRelease)
    CFRelease(r);
}

Boolean CFRunLoopContainsTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode)
{
  auto* loop = Loop(rl);
  auto* t = Timer(timer);
  if (!loop || !t)
    return false;
  const std::string name = ModeName(mode);
  std::lock_guard<std::mutex> lock(gLock);
  return std::any_of(loop->timers.begin(), loop->timers.end(), [&](const __CFRunLoop::Scheduled& s) {
    return s.timer == t && (s.mode == name || (s.mode.empty() && !name.empty()));
  });
}
