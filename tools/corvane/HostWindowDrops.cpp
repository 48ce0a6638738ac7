#include "tools/corvane/HostWindowDrops.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace corvane::host {

void ForwardDropsToEditor(Display* display, unsigned long hostWindow, unsigned long editorWindow)
{
  const long version = 5;
  XChangeProperty(display, hostWindow, XInternAtom(display, "XdndAware", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&version), 1);
  const Window proxy = editorWindow;
  XChangeProperty(display, hostWindow, XInternAtom(display, "XdndProxy", False), XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&proxy), 1);
}

} // namespace corvane::host
