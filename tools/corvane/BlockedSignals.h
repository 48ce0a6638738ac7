#pragma once
// SIGINT and SIGTERM taken as requests to stop, read by the main thread at
// its own pace. Blocked before the program starts other threads (the audio
// server's, the editor's), which inherit the mask, so no signal ever lands on
// a real-time thread; the main thread takes them with sigtimedwait.

#include <chrono>
#include <csignal>

namespace corvane::host {

class BlockedSignals
{
public:
  BlockedSignals();
  /** Drops what is still pending, then restores the previous mask. */
  ~BlockedSignals();
  BlockedSignals(const BlockedSignals&) = delete;
  BlockedSignals& operator=(const BlockedSignals&) = delete;

  /** The signal that arrived, waiting up to `timeout` for one; 0 when none did. */
  int Wait(std::chrono::milliseconds timeout) const;

private:
  sigset_t mSignals;
  sigset_t mPrevious;
};

} // namespace corvane::host
