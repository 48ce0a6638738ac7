#include "tools/corvane/BlockedSignals.h"

#include <pthread.h>
#include <time.h>

namespace corvane::host {

BlockedSignals::BlockedSignals()
{
  sigemptyset(&mSignals);
  sigaddset(&mSignals, SIGINT);
  sigaddset(&mSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &mSignals, &mPrevious);
}

BlockedSignals::~BlockedSignals()
{
  // A second Ctrl-C during shutdown must not kill the program once the mask is lifted.
  while (Wait(std::chrono::milliseconds(0)) != 0)
  {}
  pthread_sigmask(SIG_SETMASK, &mPrevious, nullptr);
}

int BlockedSignals::Wait(std::chrono::milliseconds timeout) const
{
  const timespec wait{static_cast<time_t>(timeout.count() / 1000), static_cast<long>(timeout.count() % 1000) * 1000000};
  const int signal = sigtimedwait(&mSignals, nullptr, &wait);
  return signal > 0 ? signal : 0;
}

} // namespace corvane::host
