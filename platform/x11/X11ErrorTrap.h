#pragma once
// The X errors of one of our own display connections, kept from Xlib's error
// handler: its default ends the process, and a plug-in must not end its host
// because the host destroyed a window the editor still uses. The errors are
// counted here instead. Only the connection changes: the process-wide
// handler, and the host's own connections on whatever thread, are untouched.

typedef struct _XDisplay Display;

namespace iplug::igraphics::x11 {

class X11ErrorTrap
{
public:
  /** From now on, errors of `display` are counted, not reported; for the rest of the connection's
      life, even after this object is gone (they are then dropped uncounted). */
  explicit X11ErrorTrap(Display* display);
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  /** Errors caught so far. */
  unsigned long Errors() const;
  /** Waits until the server has handled every request sent so far; false when any of them, or
      any earlier one not yet counted, failed since the last Sync. */
  bool Sync();

private:
  Display* mDisplay;
  unsigned long mSynced = 0;
};

} // namespace iplug::igraphics::x11
