// Until the window layer exists, this platform's editors draw offscreen.

#include "graphics/MakeGraphics.h"

#include "platform/linux/IGraphicsOffscreen.h"

namespace iplug::igraphics {

IGraphics* MakeGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
{
  return new IGraphicsOffscreen(dlg, w, h, fps, scale);
}

} // namespace iplug::igraphics
