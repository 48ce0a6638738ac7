// The editor's window when a host gives it its size: the editor zoomed to fit
// and centred in it, and the host's own resizes told from the editor's.

#include "platform/x11/IGraphicsX11.h"

#include <algorithm>

// X11's headers define names such as None and Status as macros: they come last.
#include <X11/Xlib.h>

namespace iplug::igraphics {

int IGraphicsX11::EditorPixelWidth() const
{
  return std::max(1, static_cast<int>(static_cast<int>(Width() * GetDrawScale()) * GetScreenScale()));
}

int IGraphicsX11::EditorPixelHeight() const
{
  return std::max(1, static_cast<int>(static_cast<int>(Height() * GetDrawScale()) * GetScreenScale()));
}

void IGraphicsX11::FitToHostSize(int width, int height)
{
  if (!mDisplay || !mXWindow || width <= 0 || height <= 0)
    return;
  // No GL surface larger than the largest texture llvmpipe or a GPU takes; a host's bogus size stops there.
  constexpr int kMaxPixels = 16384;
  mHostWidth = std::min(width, kMaxPixels);
  mHostHeight = std::min(height, kMaxPixels);
  mHostSize.WindowSizeRequested({mHostWidth, mHostHeight}, false);
  XResizeWindow(mDisplay, mXWindow, static_cast<unsigned>(mHostWidth), static_cast<unsigned>(mHostHeight));
  XSync(mDisplay, False); // drawing goes through another connection
  mFitting = true;
  IGraphics::FitToHostSize(mHostWidth, mHostHeight);
  mFitting = false;
  PlaceEditor();
}

void IGraphicsX11::PlaceEditor()
{
  const bool hostSized = mHostWidth > 0 && mHostHeight > 0;
  // Centred where the window is larger; from the top-left where the host made it too small even
  // for the smallest zoom, so the editor is cut on the right and at the bottom.
  mEditorLeft = hostSized ? std::max(0, (mHostWidth - EditorPixelWidth()) / 2) : 0;
  mEditorTop = hostSized ? std::max(0, (mHostHeight - EditorPixelHeight()) / 2) : 0;
  mNeedsPresent = true;
  mResizePresents = kResizePresents;
  PlacePlatformViews();
}

void IGraphicsX11::GetCompositePlacement(int& windowWidth, int& windowHeight, int& left, int& top)
{
  IGraphicsNanoVG::GetCompositePlacement(windowWidth, windowHeight, left, top);
  if (mHostWidth > 0 && mHostHeight > 0)
  {
    windowWidth = mHostWidth;
    windowHeight = mHostHeight;
    left = mEditorLeft;
    top = mEditorTop;
  }
}

void IGraphicsX11::OnConfigure(const XEvent& event)
{
  const XConfigureEvent& c = event.xconfigure;
  if (c.window == mXWindow)
  {
    mNeedsPresent = true;
    if (mHostSize.WindowConfigured({c.width, c.height}))
      FitToHostSize(c.width, c.height); // the host resized the editor's window from outside
  }
  else if (mParent && c.window == mParent && mHostSize.ParentConfigured({c.width, c.height}))
    FitToHostSize(c.width, c.height);
}

} // namespace iplug::igraphics
