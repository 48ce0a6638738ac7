#include "platform/x11/IGraphicsX11.h"

#include <algorithm>
#include <utility>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/Timer.h"
#include "graphics/IGraphicsEditorDelegate.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"
#include "graphics/IVirtualKeys.h"
#include "platform/linux/EGLGLContext.h"
#include "platform/linux/SystemFonts.h"
#include "platform/x11/DesktopServices.h"
#include "platform/x11/ScreenScale.h"
#include "platform/x11/X11Clipboard.h"
#include "platform/x11/X11Cursors.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11Tooltip.h"
#include "platform/x11/XdndTarget.h"
#include "platform/x11/X11KeyMap.h"

// X11's headers define names such as None and Status as macros: they come last.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <X11/Xatom.h>
#include <X11/Xcursor/Xcursor.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xkbcommon/xkbcommon.h>

namespace iplug::igraphics {

namespace {

constexpr long kEventMask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask | FocusChangeMask;

// The connection EGL draws through, shared by every editor window of the process and kept open:
// EGL keeps state per native display that outlives its contexts, and a closed connection whose
// address comes back for a new one would meet that stale state. Each editor's windows and events
// live on a connection of its own; windows are the server's, so EGL draws into them all the same.
Display* RenderDisplay()
{
  static struct
  {
    Display* display = nullptr;
    x11::X11ErrorTrap* errors = nullptr; // kept, as the connection is: a window gone under EGL must not end the host
  } connection;
  if (!connection.display && (connection.display = XOpenDisplay(nullptr)))
    connection.errors = new x11::X11ErrorTrap(connection.display);
  return connection.display;
}

IMouseMod ModifiersOf(unsigned state)
{
  return IMouseMod((state & Button1Mask) != 0, (state & Button3Mask) != 0, (state & ShiftMask) != 0,
                   (state & ControlMask) != 0, (state & Mod1Mask) != 0);
}

} // namespace

IGraphicsX11::IGraphicsX11(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
: IGraphicsNanoVG(dlg, w, h, fps, scale)
, mDesktop(std::make_unique<x11::DesktopServices>())
{}

IGraphicsX11::~IGraphicsX11()
{
  mTimer.reset();
  if (mDisplay)
  {
    // Controls and their layers go while the context can still delete their framebuffers.
    OnViewDestroyed();
    DestroyWindow();
  }
}

// ------------------------------------------------------------------ window
void* IGraphicsX11::OpenWindow(void* parent)
{
  if (mDisplay)
    CloseWindow();
  mError.clear();
  mCloseRequested = false;
  mWindowGone = false;
  mDisplay = XOpenDisplay(nullptr);
  if (!mDisplay)
  {
    const char* name = std::getenv("DISPLAY");
    mError = std::string("cannot open the X display") +
             (name && *name ? std::string(" '") + name + "'" : " (DISPLAY is not set)");
    return nullptr;
  }
  mErrors = std::make_unique<x11::X11ErrorTrap>(mDisplay);
  const float screenScale = x11::ScreenScaleFromSettings(XResourceManagerString(mDisplay), std::getenv("GDK_SCALE"));

  Display* renderDisplay = RenderDisplay();
  if (renderDisplay)
    mGL = EGLGLContext::CreateForDisplay(EGL_PLATFORM_X11_KHR, renderDisplay, mError);
  else
    mError = "cannot open the X display for OpenGL";
  if (!mGL || !CreateWindow(reinterpret_cast<XID>(parent)) || !mGL->AttachWindowSurface(&mXWindow, mError) ||
      !mGL->MakeCurrent())
  {
    if (mError.empty())
      mError = "cannot make the OpenGL context current on the window";
    DestroyWindow();
    return nullptr;
  }
  OnViewInitialized(nullptr);
  if (!GetDrawContext())
  {
    mError = "cannot create the NanoVG context (OpenGL 3.3 core needed)";
    DestroyWindow();
    return nullptr;
  }
  SetScreenScale(screenScale); // sizes the window and creates the editor's framebuffer
  ReadAppearance(true);        // before the layout, which may ask for it
  IGraphics::OpenWindow(reinterpret_cast<void*>(mXWindow));
  // Menus and text entry are drawn in the editor: X11 has neither.
  if (!GetPopupMenuControl())
    AttachPopupMenuControl(new IPopupMenuControl());
  if (!GetTextEntryControl())
    AttachTextEntryControl(new ITextEntryControl());
  XMapWindow(mDisplay, mXWindow);
  XFlush(mDisplay);
  mNeedsPresent = true;
  SetTimerEnabled(mTimerEnabled);
  return mWindow;
}

void IGraphicsX11::CloseWindow()
{
  mTimer.reset();
  if (!mDisplay)
    return;
  // A host may destroy its window and close the editor at once, before any event says so.
  XWindowAttributes attrs{};
  if (mXWindow && !mWindowGone && !XGetWindowAttributes(mDisplay, mXWindow, &attrs))
    OnWindowGone();
  IGraphics::CloseWindow(); // removes the controls and the drawing context's objects
  DestroyWindow();
}

void IGraphicsX11::OnWindowGone()
{
  mWindowGone = true;
  // The context goes on without the window's surface: binding it again would have EGL ask the
  // server about a window that no longer exists.
  if (mGL)
    mGL->DetachWindowSurface();
}

bool IGraphicsX11::CreateWindow(XID parent)
{
  const int screen = DefaultScreen(mDisplay);
  const Window root = RootWindow(mDisplay, screen);
  mParent = parent;

  // The window takes the visual of the context's config, so its surface can present.
  XVisualInfo templ{};
  templ.visualid = static_cast<VisualID>(mGL->NativeVisualId());
  templ.screen = screen;
  int count = 0;
  XVisualInfo* info =
    templ.visualid ? XGetVisualInfo(mDisplay, VisualIDMask | VisualScreenMask, &templ, &count) : nullptr;
  Visual* visual = info ? info->visual : DefaultVisual(mDisplay, screen);
  const int depth = info ? info->depth : DefaultDepth(mDisplay, screen);
  if (info)
    XFree(info);

  XSetWindowAttributes attrs{};
  attrs.event_mask = kEventMask;
  attrs.colormap = XCreateColormap(mDisplay, root, visual, AllocNone);
  attrs.border_pixel = 0;
  attrs.background_pixmap = None;
  const unsigned w =
    static_cast<unsigned>(std::max(1, static_cast<int>(static_cast<int>(Width() * GetDrawScale()) * GetScreenScale())));
  const unsigned h = static_cast<unsigned>(
    std::max(1, static_cast<int>(static_cast<int>(Height() * GetDrawScale()) * GetScreenScale())));
  mXWindow = XCreateWindow(mDisplay, parent ? parent : root, 0, 0, w, h, 0, depth, InputOutput, visual,
                           CWEventMask | CWColormap | CWBorderPixel | CWBackPixmap, &attrs);
  XFreeColormap(mDisplay, attrs.colormap); // the window keeps its own reference
  if (!mXWindow || !mErrors->Sync())
  {
    // A host's window id that is stale, or of a window destroyed meanwhile, fails here.
    mXWindow = 0;
    mError = parent ? "cannot create the X window: the host's window does not exist" : "cannot create the X window";
    return false;
  }

  const std::string product = *GetSharedResourcesSubPath() ? GetSharedResourcesSubPath() : "IPlug";
  // The class names the plug-in, so editors of different plug-ins stay apart.
  const std::string className = "IGraphicsView_v" + product;
  XClassHint classHint{const_cast<char*>(product.c_str()), const_cast<char*>(className.c_str())};
  XSetClassHint(mDisplay, mXWindow, &classHint);
  if (!parent)
  {
    XStoreName(mDisplay, mXWindow, product.c_str());
    XChangeProperty(mDisplay, mXWindow, XInternAtom(mDisplay, "_NET_WM_NAME", False),
                    XInternAtom(mDisplay, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(product.data()), static_cast<int>(product.size()));
    Atom deleteWindow = XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(mDisplay, mXWindow, &deleteWindow, 1);
    mWMDeleteWindow = deleteWindow;
  }

  // A one-pixel cursor with nothing in its mask: the pointer hidden during fine drags.
  const char none = 0;
  Pixmap blank = XCreateBitmapFromData(mDisplay, mXWindow, &none, 1, 1);
  XColor black{};
  mBlankCursor = XCreatePixmapCursor(mDisplay, blank, blank, &black, &black, 0, 0);
  XFreePixmap(mDisplay, blank);

  mClipboard = std::make_unique<x11::X11Clipboard>(mDisplay, mXWindow);
  // Files dropped on the editor go to the control under the drop point, one name at a time.
  mDropTarget =
    std::make_unique<x11::XdndTarget>(mDisplay, mXWindow, [this](const std::vector<std::string>& names, int x, int y) {
      for (const std::string& name : names)
        OnDrop(name.c_str(), ToPointX(x), ToPointY(y));
    });
  PlatformResize(false); // size hints of a top-level window; the window exists for the render connection
  // A host that resizes the parent on its own account wants the editor to fill it.
  XWindowAttributes parentAttrs{};
  if (parent && XGetWindowAttributes(mDisplay, parent, &parentAttrs))
  {
    XSelectInput(mDisplay, parent, StructureNotifyMask);
    mHostSize.Reset({static_cast<int>(w), static_cast<int>(h)}, {parentAttrs.width, parentAttrs.height});
  }
  else
    mHostSize.Reset({static_cast<int>(w), static_cast<int>(h)});
  return true;
}

void IGraphicsX11::DestroyWindow()
{
  mTimer.reset();
  if (mGL)
  {
    mGL.reset();
    XSync(RenderDisplay(), False); // the surface is gone before its window goes
  }
  mClipboard.reset();
  mTooltip.reset();
  mDropTarget.reset();
  mSettingsOwner = 0;
  mRestSinceMs = -1.0;
  if (!mDisplay)
    return;
  for (unsigned long& cursor : mCursors)
    if (cursor)
      XFreeCursor(mDisplay, std::exchange(cursor, 0));
  if (mBlankCursor)
    XFreeCursor(mDisplay, std::exchange(mBlankCursor, 0));
  for (const auto& view : std::exchange(mPlatformViews, {}))
    DetachPlatformView(view.first);
  if (mXWindow && !mWindowGone)
    XDestroyWindow(mDisplay, mXWindow); // still fails when its parent went just now: caught
  mXWindow = 0;
  mErrors.reset();
  XCloseDisplay(std::exchange(mDisplay, nullptr));
  mWindow = nullptr;
  mParent = 0;
  mWindowGone = false;
  mHostWidth = mHostHeight = mEditorLeft = mEditorTop = 0;
  mCursorLocked = false;
  mMouseOutDuringDrag = false;
  mClicks.Reset();
}

void IGraphicsX11::PlatformResize(bool)
{
  if (!mDisplay || !mXWindow)
    return;
  if (mFitting)
  {
    PlaceEditor(); // the window keeps the host's size
    return;
  }
  // The editor sets its own size again (the corner handle, a saved size): the window follows it.
  mHostWidth = mHostHeight = 0;
  PlaceEditor();
  const int w = EditorPixelWidth();
  const int h = EditorPixelHeight();
  mHostSize.WindowSizeRequested({w, h}, true);
  if (!mParent)
  {
    // The editor sets its own size (corner handle); the window manager keeps to it.
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = w;
    hints.min_height = hints.max_height = h;
    XSetWMNormalHints(mDisplay, mXWindow, &hints);
  }
  XResizeWindow(mDisplay, mXWindow, static_cast<unsigned>(w), static_cast<unsigned>(h));
  // Drawing goes through another connection: the server must have the new size first.
  XSync(mDisplay, False);
  mNeedsPresent = true;
  mResizePresents = kResizePresents;
}

void IGraphicsX11::SetTimerEnabled(bool enabled)
{
  mTimerEnabled = enabled;
  if (!enabled || !mDisplay)
  {
    mTimer.reset();
    return;
  }
  // A period of exactly 1/fps: whole milliseconds would give 62.5 frames a second at 60.
  if (!mTimer)
    mTimer.reset(Timer::Create([this](Timer&) { Idle(); }, std::chrono::duration<double>(1.0 / std::max(1, FPS()))));
}

bool IGraphicsX11::ActivateGLContext() { return mGL && mGL->MakeCurrent(); }

void IGraphicsX11::DeactivateGLContext()
{
  if (mGL && mGL->IsCurrent())
    mGL->ReleaseCurrent();
}

void IGraphicsX11::OnFrameComposited()
{
  if (mGL)
    mGL->SwapBuffers();
}

IFontDataPtr IGraphicsX11::LoadPlatformFont(const char* /*fontID*/, const char* fontName, ETextStyle style)
{
  return LoadSystemFont(fontName, style);
}

// ------------------------------------------------------------------ run loop
bool IGraphicsX11::Idle()
{
  mDesktop->Poll();
  if (!mDisplay)
    return false;
  while (mDisplay && XPending(mDisplay))
  {
    XEvent event;
    XNextEvent(mDisplay, &event);
    HandleEvent(event);
  }
  ShowTooltipAfterRest();
  DrawFrame();
  return mDisplay && !mCloseRequested && !mWindowGone;
}

void IGraphicsX11::DrawFrame()
{
  if (!mDisplay || mWindowGone || !ActivateGLContext())
    return;
  if (!RedrawDirty() && mNeedsPresent)
  {
    // Uncovered or resized: put the editor's framebuffer on screen again.
    BeginFrame();
    EndFrame();
  }
  if (mResizePresents > 0)
  {
    // The window surface takes its new size at a swap, and not always the first one after the
    // window's change: the frames after a resize are presented again for a few ticks.
    --mResizePresents;
    BeginFrame();
    EndFrame();
  }
  mNeedsPresent = false;
}

// ------------------------------------------------------------------ events
void IGraphicsX11::HandleEvent(XEvent& event)
{
  if (!mDisplay || (mClipboard && mClipboard->HandleEvent(event)) || (mTooltip && mTooltip->HandleEvent(event)) ||
      (mDropTarget && mDropTarget->HandleEvent(event)))
    return;
  switch (event.type)
  {
    case ButtonPress:
    case ButtonRelease:
    case KeyPress:
    case KeyRelease:
    case LeaveNotify:
    case FocusOut: EndTooltipRest(); break;
    default: break;
  }
  switch (event.type)
  {
    case Expose:
      if (event.xexpose.count == 0)
        mNeedsPresent = true;
      break;
    case ConfigureNotify: OnConfigure(event); break;
    case PropertyNotify:
      if (mSettingsOwner && event.xproperty.window == mSettingsOwner)
        ReadAppearance(false);
      break;
    case DestroyNotify:
      // Destroyed from outside, with the host's window or alone: closed, as far as the host is concerned.
      if (event.xdestroywindow.window == mXWindow && !mWindowGone)
        OnWindowGone();
      break;
    case ClientMessage:
      if (mWMDeleteWindow && static_cast<unsigned long>(event.xclient.data.l[0]) == mWMDeleteWindow)
        mCloseRequested = true;
      break;
    case ButtonPress: OnButton(event, true); break;
    case ButtonRelease: OnButton(event, false); break;
    case MotionNotify:
      // Only the latest of a run of moves matters (a press or release in between is kept in order).
      while (XEventsQueued(mDisplay, QueuedAlready) > 0)
      {
        XEvent next;
        XPeekEvent(mDisplay, &next);
        if (next.type != MotionNotify || next.xmotion.window != mXWindow)
          break;
        XNextEvent(mDisplay, &event);
      }
      OnMotion(event);
      break;
    case EnterNotify:
      mMouseOutDuringDrag = false;
      ApplyCursor();
      break;
    case LeaveNotify:
      if (event.xcrossing.mode != NotifyNormal)
        break;
      if (ControlIsCaptured())
        mMouseOutDuringDrag = true; // the mouse-out follows the release
      else
        OnMouseOut();
      break;
    case KeyPress: OnKey(event, true); break;
    case KeyRelease: OnKey(event, false); break;
    case FocusOut:
      if (event.xfocus.mode == NotifyNormal)
        ForceEndUserEdit();
      break;
    case MappingNotify: XRefreshKeyboardMapping(&event.xmapping); break;
    default: break;
  }
}

void IGraphicsX11::OnButton(XEvent& event, bool press)
{
  const XButtonEvent& b = event.xbutton;
  const float x = ToPointX(b.x);
  const float y = ToPointY(b.y);
  IMouseMod mod = ModifiersOf(b.state);
  if (b.button == Button4 || b.button == Button5)
  {
    if (!press)
      return;
    if (ITextEntryControl* field = GetTextEntryControl(); field && field->EditInProgress())
      field->CommitEdit();
    OnMouseWheel(x, y, mod, b.button == Button4 ? 1.f : -1.f);
    return;
  }
  // The editor scrolls vertically only (buttons 6 and 7 scroll sideways); the middle button does nothing.
  if (b.button != Button1 && b.button != Button3)
    return;
  mod.L = b.button == Button1;
  mod.R = b.button == Button3;
  if (!press)
  {
    OnMouseUp({IMouseInfo{x, y, 0.f, 0.f, mod}});
    if (mMouseOutDuringDrag)
    {
      mMouseOutDuringDrag = false;
      OnMouseOut();
    }
    return;
  }
  // Keys go where the user clicked (an embedded editor does not get the focus by itself).
  XWindowAttributes attrs{};
  if (XGetWindowAttributes(mDisplay, mXWindow, &attrs) && attrs.map_state == IsViewable)
    XSetInputFocus(mDisplay, mXWindow, RevertToParent, b.time);
  mPrevX = x;
  mPrevY = y;
  if (mClicks.Press(b.button, b.x, b.y, static_cast<uint32_t>(b.time)) % 2 == 1)
    OnMouseDown({IMouseInfo{x, y, 0.f, 0.f, mod}});
  else
    OnMouseDblClick(x, y, mod);
}

void IGraphicsX11::OnMotion(XEvent& event)
{
  const XMotionEvent& m = event.xmotion;
  const float x = ToPointX(m.x);
  const float y = ToPointY(m.y);
  float prevX = mPrevX;
  float prevY = mPrevY;
  if (mCursorLocked && CursorIsHidden())
  {
    // The hidden pointer is put back after every move, so drags are pure movement and never
    // stop at the screen's edge. The event our own warp causes moves nothing.
    if (m.x == mLockX && m.y == mLockY)
      return;
    prevX = ToPointX(mLockX);
    prevY = ToPointY(mLockY);
    XWarpPointer(mDisplay, None, mXWindow, 0, 0, 0, 0, mLockX, mLockY);
    XFlush(mDisplay);
  }
  mPrevX = x;
  mPrevY = y;
  const IMouseMod mod = ModifiersOf(m.state);
  EndTooltipRest();
  if (mod.L || mod.R)
    OnMouseDrag({IMouseInfo{x, y, x - prevX, y - prevY, mod}});
  else
  {
    // A new rest begins where the pointer stopped.
    mRestSinceMs = GetAnimationTimeMs();
    mRestX = x;
    mRestY = y;
    mRestRootX = m.x_root;
    mRestRootY = m.y_root;
    OnMouseOver(x, y, mod);
  }
}

void IGraphicsX11::OnKey(XEvent& event, bool press)
{
  KeySym keysym = NoSymbol;
  char ignored[32];
  XLookupString(&event.xkey, ignored, sizeof(ignored), &keysym, nullptr);
  char utf8[8] = {};
  const int n = xkb_keysym_to_utf8(static_cast<xkb_keysym_t>(keysym), utf8, sizeof(utf8));
  const unsigned state = event.xkey.state;
  IKeyPress key("", x11::VirtualKeyFromKeysym(static_cast<uint32_t>(keysym)), (state & ShiftMask) != 0,
                (state & ControlMask) != 0, (state & Mod1Mask) != 0);
  // A character that does not fit IKeyPress's four bytes goes without text.
  if (n > 1 && n - 1 < static_cast<int>(sizeof(key.utf8)))
    std::memcpy(key.utf8, utf8, static_cast<size_t>(n - 1));
  const bool handled = press ? OnKeyDown(mPrevX, mPrevY, key) : OnKeyUp(mPrevX, mPrevY, key);
  if (handled)
    return;
  if (!mParent)
  {
    // A top-level editor is its own application window: Ctrl+Q closes it.
    if (press && key.C && key.VK == 'Q')
      mCloseRequested = true;
    return;
  }
  // Keys the editor does not use belong to the host.
  XEvent forward = event;
  forward.xkey.window = mParent;
  forward.xkey.subwindow = None;
  XSendEvent(mDisplay, mParent, True, press ? KeyPressMask : KeyReleaseMask, &forward);
  XFlush(mDisplay);
}

// ------------------------------------------------------------------ cursor
unsigned long IGraphicsX11::CursorFor(ECursor cursor)
{
  const size_t index = std::min(static_cast<size_t>(cursor), mCursors.size() - 1);
  if (!mCursors[index])
  {
    const x11::CursorChoice& shape = x11::CursorShapeFor(cursor);
    for (const char* name : shape.names)
      if (name && !mCursors[index])
        mCursors[index] = XcursorLibraryLoadCursor(mDisplay, name);
    if (!mCursors[index])
      mCursors[index] = XCreateFontCursor(mDisplay, shape.fontShape);
  }
  return mCursors[index];
}

void IGraphicsX11::ApplyCursor()
{
  if (!mDisplay || !mXWindow)
    return;
  XDefineCursor(mDisplay, mXWindow, CursorIsHidden() ? mBlankCursor : CursorFor(GetCursor()));
  XFlush(mDisplay);
}

ECursor IGraphicsX11::SetMouseCursor(ECursor cursor)
{
  const ECursor previous = IGraphics::SetMouseCursor(cursor);
  if (previous != cursor)
    ApplyCursor();
  return previous;
}

void IGraphicsX11::HideMouseCursor(bool hide, bool lock)
{
  if (hide == CursorIsHidden())
    return;
  IGraphics::HideMouseCursor(hide, lock);
  if (!mDisplay)
    return;
  if (hide)
  {
    Window root, child;
    int rootX, rootY, winX = 0, winY = 0;
    unsigned mask;
    XQueryPointer(mDisplay, mXWindow, &root, &child, &rootX, &rootY, &winX, &winY, &mask);
    mLockX = winX;
    mLockY = winY;
    mCursorLocked = lock;
  }
  else
  {
    if (mCursorLocked)
      XWarpPointer(mDisplay, None, mXWindow, 0, 0, 0, 0, mLockX, mLockY);
    mCursorLocked = false;
  }
  ApplyCursor();
}

void IGraphicsX11::MoveMouseCursor(float x, float y)
{
  if (!mDisplay)
    return;
  const int px = static_cast<int>(x * Scale()) + mEditorLeft;
  const int py = static_cast<int>(y * Scale()) + mEditorTop;
  if (mCursorLocked)
  {
    mLockX = px;
    mLockY = py;
  }
  XWarpPointer(mDisplay, None, mXWindow, 0, 0, 0, 0, px, py);
  XFlush(mDisplay);
}

void IGraphicsX11::ForceEndUserEdit()
{
  if (ITextEntryControl* field = GetTextEntryControl(); field && field->EditInProgress())
    field->CommitEdit();
  if (IPopupMenuControl* menu = GetPopupMenuControl(); menu && menu->GetExpanded())
    menu->Dismiss();
}

void IGraphicsX11::PointToScreen(float& x, float& y) const
{
  if (!mDisplay)
    return;
  Window child;
  int sx = 0, sy = 0;
  XTranslateCoordinates(mDisplay, mXWindow, DefaultRootWindow(mDisplay), static_cast<int>(x * Scale()) + mEditorLeft,
                        static_cast<int>(y * Scale()) + mEditorTop, &sx, &sy, &child);
  x = static_cast<float>(sx);
  y = static_cast<float>(sy);
}

void IGraphicsX11::ScreenToPoint(float& x, float& y) const
{
  if (!mDisplay)
    return;
  Window child;
  int wx = 0, wy = 0;
  XTranslateCoordinates(mDisplay, DefaultRootWindow(mDisplay), mXWindow, static_cast<int>(x), static_cast<int>(y), &wx,
                        &wy, &child);
  x = ToPointX(wx);
  y = ToPointY(wy);
}

// ------------------------------------------------------------------ desktop services
bool IGraphicsX11::GetTextFromClipboard(WDL_String& str)
{
  std::string text;
  if (!mClipboard || !mClipboard->GetText(text))
    return false;
  str.Set(text.c_str());
  return true;
}

bool IGraphicsX11::SetTextInClipboard(const char* str) { return mClipboard && mClipboard->SetText(str ? str : ""); }

bool IGraphicsX11::ShowMessageBox(const char* str, const char* title, EMsgBoxType type,
                                  IMsgBoxCompletionHandlerFunc completion)
{
  return mDesktop->Run(x11::MessageBoxCommand(str, title, type),
                       [completion, type](int exitCode, const std::string& output) {
                         if (completion)
                           completion(x11::MessageBoxResult(type, exitCode, output));
                       });
}

bool IGraphicsX11::PromptForFile(const char* initialPath, EFileAction action, const char* extensions,
                                 IFileDialogCompletionHandlerFunc completion)
{
  return mDesktop->Run(x11::FileDialogCommand(initialPath, action, extensions),
                       [completion](int exitCode, const std::string& output) {
                         if (completion)
                           completion(WDL_String(x11::ChosenPath(exitCode, output).c_str()));
                       });
}

bool IGraphicsX11::PromptForDirectory(const char* initialDir, IFileDialogCompletionHandlerFunc completion)
{
  return mDesktop->Run(x11::DirectoryDialogCommand(initialDir), [completion](int exitCode, const std::string& output) {
    if (completion)
      completion(WDL_String(x11::ChosenPath(exitCode, output).c_str()));
  });
}

bool IGraphicsX11::PromptForColor(const IColor& start, const char* title, IColorPickerHandlerFunc func)
{
  return mDesktop->Run(x11::ColorDialogCommand(start, title), [func](int exitCode, const std::string& output) {
    IColor color;
    if (func && exitCode == 0 && x11::ParseColor(output, color))
      func(color);
  });
}

bool IGraphicsX11::OpenURL(const char* url) { return url && *url && mDesktop->Run(x11::OpenCommand(url), nullptr); }

bool IGraphicsX11::RevealPathInExplorerOrFinder(const char* path, bool select)
{
  if (!path || !*path)
    return false;
  std::string target = path;
  if (select)
  {
    // The file manager is opened on the folder that holds the file.
    const size_t slash = target.find_last_of('/');
    target = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  }
  return mDesktop->Run(x11::OpenCommand(target.c_str()), nullptr);
}

} // namespace iplug::igraphics
