#include "platform/x11/X11ErrorTrap.h"

#include <map>
#include <mutex>

// Xlib's hook for converting errors off the wire is kept per connection: a
// converter that returns False drops the error before the process-wide handler
// sees it. The hook and its types live in Xlib's internal header.
#include <X11/Xlib.h>
#include <X11/Xlibint.h>

namespace iplug::igraphics::x11 {
namespace {

/** Errors caught per trapped connection. The converter gets only the display. */
struct Caught
{
  std::mutex mutex;
  std::map<Display*, unsigned long> errors;

  /** Never destroyed: connections kept open to the end (the render connection) still use it. */
  static Caught& Get()
  {
    static Caught* caught = new Caught;
    return *caught;
  }
};

Bool CountAndDrop(Display* display, XErrorEvent*, xError*)
{
  Caught& caught = Caught::Get();
  std::lock_guard lock(caught.mutex);
  if (auto it = caught.errors.find(display); it != caught.errors.end())
    ++it->second;
  return False;
}

} // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : mDisplay(display)
{
  {
    Caught& caught = Caught::Get();
    std::lock_guard lock(caught.mutex);
    caught.errors[display] = 0;
  }
  // Every error code, the extensions' included (they are numbered up to 255).
  for (int code = 1; code < 256; ++code)
    XESetWireToError(display, code, CountAndDrop);
}

X11ErrorTrap::~X11ErrorTrap()
{
  Caught& caught = Caught::Get();
  std::lock_guard lock(caught.mutex);
  caught.errors.erase(mDisplay);
}

unsigned long X11ErrorTrap::Errors() const
{
  Caught& caught = Caught::Get();
  std::lock_guard lock(caught.mutex);
  const auto it = caught.errors.find(mDisplay);
  return it == caught.errors.end() ? 0 : it->second;
}

bool X11ErrorTrap::Sync()
{
  XSync(mDisplay, False);
  const unsigned long errors = Errors();
  const bool clean = errors == mSynced;
  mSynced = errors;
  return clean;
}

} // namespace iplug::igraphics::x11
