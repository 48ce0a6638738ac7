#include "platform/x11/ClickCounter.h"

#include <cstdlib>

namespace iplug::igraphics::x11 {

int ClickCounter::Press(unsigned button, int x, int y, uint32_t timeMs)
{
  // Server time is a 32-bit millisecond counter; unsigned subtraction survives its wrap.
  const uint32_t elapsed = timeMs - mTimeMs;
  const bool continues = mCount > 0 && button == mButton && elapsed <= mIntervalMs &&
                         std::abs(x - mX) <= mMaxDistance && std::abs(y - mY) <= mMaxDistance;
  mCount = continues ? mCount + 1 : 1;
  mButton = button;
  mX = x;
  mY = y;
  mTimeMs = timeMs;
  return mCount;
}

} // namespace iplug::igraphics::x11
