#include "tools/corvane/ProgressDisplay.h"

#include <chrono>
#include <unistd.h>

namespace corvane::host {
namespace {

constexpr double kQuietSeconds = 0.5;

double SteadySeconds()
{
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ProgressDisplay::ProgressDisplay(std::FILE* out, bool enabled, int64_t totalFrames, Clock clock)
: mOut(out)
, mEnabled(enabled && totalFrames > 0)
, mTotal(totalFrames)
, mClock(clock ? std::move(clock) : Clock(SteadySeconds))
, mStart(mClock())
{}

void ProgressDisplay::Update(int64_t doneFrames)
{
  if (!mEnabled || mClock() - mStart < kQuietSeconds)
    return;
  const int percent = static_cast<int>(doneFrames >= mTotal ? 100 : doneFrames * 100 / mTotal);
  if (percent == mLastPercent)
    return;
  mLastPercent = percent;
  mShown = true;
  std::fprintf(mOut, "\rrendering %3d%%", percent);
  std::fflush(mOut);
}

void ProgressDisplay::Finish()
{
  if (!mShown)
    return;
  std::fprintf(mOut, "\r              \r");
  std::fflush(mOut);
  mShown = false;
}

bool ProgressDisplay::StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

} // namespace corvane::host
