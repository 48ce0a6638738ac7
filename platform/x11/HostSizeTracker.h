#pragma once
// Tells the sizes an embedded editor's window is given by its host from the
// ones the editor gave it itself. The editor resizes its window when the user
// zooms, and a host may follow by resizing the parent to match; a host may
// also resize the editor's window or the parent on its own account (a user
// enlarging the host's window), and then the editor scales to fit. The window
// events of our own requests arrive in the order of those requests, and a host
// that follows does so in the same order, so a queue of sizes still to be seen
// tells one kind of event from the other.

#include <cstddef>
#include <deque>
#include <utility>

namespace iplug::igraphics::x11 {

class HostSizeTracker
{
public:
  using Size = std::pair<int, int>;

  /** The window was created at `size`; the parent's size, when known, is `parent`. */
  void Reset(Size window, Size parent = {-1, -1});
  /** The editor asked for `size` for its window: its own size (`own`, which a host may follow with
      the parent) or a host's size it fits into. */
  void WindowSizeRequested(Size size, bool own);
  /** The window's ConfigureNotify. True when someone else gave it a new size: fit the editor to it. */
  bool WindowConfigured(Size size);
  /** The parent's ConfigureNotify. True when the host resized the parent on its own account. */
  bool ParentConfigured(Size size);

private:
  static bool Consume(std::deque<Size>& pending, Size size);

  // Enough for a drag's worth of steps a host has not followed yet; older ones it never will.
  static constexpr std::size_t kMaxPending = 32;
  Size mWindow{0, 0};
  Size mParent{-1, -1};
  std::deque<Size> mPendingWindow; // our requests whose ConfigureNotify is still to come
  std::deque<Size> mPendingParent; // our own sizes a following host may still give the parent
};

} // namespace iplug::igraphics::x11
