#pragma once
// Click counts for a window system that reports single presses only: a press
// of the same button close in time and place to the previous one continues
// its series (2 = double click, 3 = triple click, ...), any other starts anew.

#include <cstdint>

namespace iplug::igraphics::x11 {

class ClickCounter
{
public:
  /** Defaults follow common desktop settings: 400 ms, 4 device pixels. */
  explicit ClickCounter(uint32_t intervalMs = 400, int maxDistance = 4)
  : mIntervalMs(intervalMs)
  , mMaxDistance(maxDistance)
  {}

  /** Counts a press of `button` at device position (x, y) and server time `timeMs`;
      returns its place in the current series, from 1. */
  int Press(unsigned button, int x, int y, uint32_t timeMs);
  /** Starts a new series with the next press (after a pointer grab, a menu, ...). */
  void Reset() { mCount = 0; }

private:
  uint32_t mIntervalMs;
  int mMaxDistance;
  int mCount = 0;
  unsigned mButton = 0;
  int mX = 0;
  int mY = 0;
  uint32_t mTimeMs = 0;
};

} // namespace iplug::igraphics::x11
