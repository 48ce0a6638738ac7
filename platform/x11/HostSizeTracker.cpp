#include "platform/x11/HostSizeTracker.h"

#include <algorithm>

namespace iplug::igraphics::x11 {

void HostSizeTracker::Reset(Size window, Size parent)
{
  mWindow = window;
  mParent = parent;
  mPendingWindow.clear();
  mPendingParent.clear();
}

void HostSizeTracker::WindowSizeRequested(Size size, bool own)
{
  const auto push = [size](std::deque<Size>& pending) {
    pending.push_back(size);
    if (pending.size() > kMaxPending)
      pending.pop_front();
  };
  // The server reports a change only: a request for the size the window has brings no event.
  const Size latest = mPendingWindow.empty() ? mWindow : mPendingWindow.back();
  if (size != latest)
    push(mPendingWindow);
  if (own)
    push(mPendingParent);
  else
    mPendingParent.clear(); // fitted to the host's size: whatever size the host gives next is its own choice
}

bool HostSizeTracker::Consume(std::deque<Size>& pending, Size size)
{
  const auto it = std::find(pending.begin(), pending.end(), size);
  if (it == pending.end())
    return false;
  pending.erase(pending.begin(), it + 1);
  return true;
}

bool HostSizeTracker::WindowConfigured(Size size)
{
  if (Consume(mPendingWindow, size))
  {
    mWindow = size;
    return false;
  }
  if (size == mWindow)
    return false; // moved, not resized
  mWindow = size;
  return true;
}

bool HostSizeTracker::ParentConfigured(Size size)
{
  if (size == mParent)
    return false;
  mParent = size;
  return !Consume(mPendingParent, size);
}

} // namespace iplug::igraphics::x11
