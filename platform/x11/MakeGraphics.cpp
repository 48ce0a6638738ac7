// Editors on this platform live in X11 windows, or draw offscreen when the
// delegate asks for that (snapshots and tests need no display).

#include "graphics/MakeGraphics.h"

#include "graphics/IGraphicsEditorDelegate.h"
#include "platform/linux/IGraphicsOffscreen.h"
#include "platform/x11/IGraphicsX11.h"

namespace iplug::igraphics {

IGraphics* MakeGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
{
  if (dlg.GetEditorOffscreen())
    return new IGraphicsOffscreen(dlg, w, h, fps, scale);
  return new IGraphicsX11(dlg, w, h, fps, scale);
}

} // namespace iplug::igraphics
