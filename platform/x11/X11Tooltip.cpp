#include "platform/x11/X11Tooltip.h"

#include <algorithm>
#include <cmath>
#include <string>

// X11's headers define names such as None and Status as macros: they come last.
#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace iplug::igraphics::x11 {

namespace {

constexpr unsigned long kBackground = 0x333333;
constexpr unsigned long kBorder = 0x767676;
constexpr XRenderColor kText = {0xF0F0, 0xF0F0, 0xF0F0, 0xFFFF};

XftFont* AsFont(void* font) { return static_cast<XftFont*>(font); }
XftDraw* AsDraw(void* draw) { return static_cast<XftDraw*>(draw); }

} // namespace

X11Tooltip::X11Tooltip(Display* display, float scale) : mDisplay(display), mScale(std::max(scale, 1.f)) {}

X11Tooltip::~X11Tooltip()
{
  if (mDraw)
    XftDrawDestroy(AsDraw(mDraw));
  if (mFont)
    XftFontClose(mDisplay, AsFont(mFont));
  if (mWindow)
    XDestroyWindow(mDisplay, mWindow);
}

bool X11Tooltip::Create()
{
  if (mWindow)
    return mFont != nullptr;
  const int screen = DefaultScreen(mDisplay);
  XSetWindowAttributes attrs{};
  attrs.override_redirect = True; // no frame, no focus: the window manager leaves it alone
  attrs.background_pixel = kBackground;
  attrs.border_pixel = kBorder;
  attrs.save_under = True;
  attrs.event_mask = ExposureMask;
  mWindow =
    XCreateWindow(mDisplay, RootWindow(mDisplay, screen), 0, 0, 1, 1, 1, CopyFromParent, InputOutput, CopyFromParent,
                  CWOverrideRedirect | CWBackPixel | CWBorderPixel | CWSaveUnder | CWEventMask, &attrs);
  if (!mWindow)
    return false;
  const Atom type = XInternAtom(mDisplay, "_NET_WM_WINDOW_TYPE", False);
  const Atom tooltip = XInternAtom(mDisplay, "_NET_WM_WINDOW_TYPE_TOOLTIP", False);
  XChangeProperty(mDisplay, mWindow, type, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&tooltip), 1);
  const std::string pattern = "sans-serif:pixelsize=" + std::to_string(std::lround(12.f * mScale));
  mFont = XftFontOpenName(mDisplay, screen, pattern.c_str());
  if (mFont)
    mDraw = XftDrawCreate(mDisplay, mWindow, DefaultVisual(mDisplay, screen), DefaultColormap(mDisplay, screen));
  return mFont != nullptr && mDraw != nullptr;
}

void X11Tooltip::Show(const std::string& text, int rootX, int rootY)
{
  if (text.empty() || !Create())
    return;
  mText = text;
  XGlyphInfo extents{};
  XftTextExtentsUtf8(mDisplay, AsFont(mFont), reinterpret_cast<const FcChar8*>(mText.data()),
                     static_cast<int>(mText.size()), &extents);
  const int pad = static_cast<int>(std::lround(5.f * mScale));
  const int w = extents.xOff + 2 * pad;
  const int h = AsFont(mFont)->ascent + AsFont(mFont)->descent + 2 * pad;
  // Below the pointer and a little to the right, so it does not hide what the pointer rests on;
  // above it where the screen ends.
  const Screen* screen = DefaultScreenOfDisplay(mDisplay);
  int x = rootX + static_cast<int>(8 * mScale);
  int y = rootY + static_cast<int>(20 * mScale);
  if (y + h + 2 > HeightOfScreen(screen))
    y = rootY - h - static_cast<int>(8 * mScale);
  x = std::clamp(x, 0, std::max(0, WidthOfScreen(screen) - w - 2));
  y = std::max(y, 0);
  XMoveResizeWindow(mDisplay, mWindow, x, y, static_cast<unsigned>(std::max(w, 1)), static_cast<unsigned>(h));
  XMapRaised(mDisplay, mWindow);
  mShown = true;
  Draw();
  XFlush(mDisplay);
}

void X11Tooltip::Hide()
{
  if (!mShown)
    return;
  mShown = false;
  XUnmapWindow(mDisplay, mWindow);
  XFlush(mDisplay);
}

bool X11Tooltip::HandleEvent(const XEvent& event)
{
  if (!mWindow || event.xany.window != mWindow)
    return false;
  if (event.type == Expose && event.xexpose.count == 0)
    Draw();
  return true;
}

void X11Tooltip::Draw()
{
  if (!mShown || !mDraw)
    return;
  XftColor color{};
  const int screen = DefaultScreen(mDisplay);
  if (!XftColorAllocValue(mDisplay, DefaultVisual(mDisplay, screen), DefaultColormap(mDisplay, screen), &kText, &color))
    return;
  XClearWindow(mDisplay, mWindow);
  const int pad = static_cast<int>(std::lround(5.f * mScale));
  XftDrawStringUtf8(AsDraw(mDraw), &color, AsFont(mFont), pad, pad + AsFont(mFont)->ascent,
                    reinterpret_cast<const FcChar8*>(mText.data()), static_cast<int>(mText.size()));
  XftColorFree(mDisplay, DefaultVisual(mDisplay, screen), DefaultColormap(mDisplay, screen), &color);
}

} // namespace iplug::igraphics::x11
