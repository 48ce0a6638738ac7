#include "tools/corvane/HostWindowSize.h"

#include <algorithm>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace corvane::host {

void SetHostWindowSize(Display* display, unsigned long window, int width, int height)
{
  width = std::max(width, 1);
  height = std::max(height, 1);
  XSizeHints hints{};
  hints.flags = PSize | PMinSize | PMaxSize;
  hints.width = hints.min_width = hints.max_width = width;
  hints.height = hints.min_height = hints.max_height = height;
  XSetWMNormalHints(display, window, &hints);
  XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
}

} // namespace corvane::host
