#pragma once
// Periodic callback on the main thread. The API base runs its 20 ms queue
// drain on one; the editor's frame timer is another.

#include <chrono>
#include <cstdint>
#include <functional>

namespace iplug {

class Timer
{
public:
  using ITimerFunction = std::function<void(Timer& timer)>;

  /** Starts a timer calling `function` every `periodMs` milliseconds on the
   *  main run loop, the first call as soon as the run loop runs. The caller
   *  owns the result; destroying it stops it. */
  static Timer* Create(ITimerFunction function, uint32_t periodMs);
  /** The same with a period that need not be whole milliseconds (a frame timer at 1/60 s). Firings
   *  stay on the grid of the first one, so over time they come exactly once per period. */
  static Timer* Create(ITimerFunction function, std::chrono::duration<double> period);

  Timer() = default;
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  virtual ~Timer() = default;

  /** Ends the callbacks; safe to call more than once and from the callback. */
  virtual void Stop() = 0;
};

} // namespace iplug
