#pragma once
// A one-line percentage on the terminal for long renders. It stays silent
// when disabled (stderr not a terminal), for the first half second, and
// between whole-percent steps; Finish erases the line.

#include <cstdint>
#include <cstdio>
#include <functional>

namespace corvane::host {

class ProgressDisplay
{
public:
  using Clock = std::function<double()>; // seconds, monotonic

  ProgressDisplay(std::FILE* out, bool enabled, int64_t totalFrames, Clock clock = {});

  void Update(int64_t doneFrames);
  void Finish();

  /** True when stderr is a terminal. */
  static bool StderrIsTerminal();

private:
  std::FILE* mOut;
  bool mEnabled;
  int64_t mTotal;
  Clock mClock;
  double mStart;
  int mLastPercent = -1;
  bool mShown = false;
};

} // namespace corvane::host
