#pragma once
// Monotonic time used by animations and the frame statistics.

#include <chrono>

namespace iplug::igraphics {

/** Milliseconds of a monotonic clock. */
inline double MonotonicMs()
{
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

} // namespace iplug::igraphics
