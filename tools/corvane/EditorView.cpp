#include "tools/corvane/EditorView.h"
#include "tools/corvane/ViewClass.h"

#include "au/AUViewFactoryClass.h"
#include "tools/corvane/CFText.h"
#include "tools/corvane/HostWindowDrops.h"
#include "tools/corvane/HostWindowSize.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/StateFile.h"
#include "tools/corvane/ToolError.h"

#include <cstdlib>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
// Xlib's per-connection hook for errors off the wire lives in its internal header.
#include <X11/Xlibint.h>

namespace corvane::host {
namespace {
Bool DropError(Display*, XErrorEvent*, xError*) { return False; }

/** The windows may be destroyed from outside at any time (`xdotool windowclose`, a window manager
 *  that crashed): requests on them then fail, and Xlib's default handler would end the program
 *  before it saves. This connection's errors are dropped; no process-wide handler changes. */
void DropErrors(Display* display)
{
  for (int code = 1; code < 256; ++code)
    XESetWireToError(display, code, DropError);
}
} // namespace

EditorView::EditorView(AudioUnit unit, const std::string& title) : mUnit(unit)
{
  mDisplay = XOpenDisplay(nullptr);
  if (!mDisplay)
  {
    const char* name = std::getenv("DISPLAY");
    throw ToolError(name && *name ? "cannot open the X display '" + std::string(name) + "'"
                                  : std::string("no X display to show the editor on (DISPLAY is not set)"));
  }
  DropErrors(mDisplay);
  try
  {
    mViewClass = FindViewClass(unit);
    const int screen = DefaultScreen(mDisplay);
    mWindow =
      XCreateSimpleWindow(mDisplay, RootWindow(mDisplay, screen), 0, 0, 575, 333, 0, 0, BlackPixel(mDisplay, screen));
    XStoreName(mDisplay, mWindow, title.c_str());
    XChangeProperty(mDisplay, mWindow, XInternAtom(mDisplay, "_NET_WM_NAME", False),
                    XInternAtom(mDisplay, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    XClassHint hint{const_cast<char*>("corvane"), const_cast<char*>("Corvane")};
    XSetClassHint(mDisplay, mWindow, &hint);
    Atom deleteWindow = XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(mDisplay, mWindow, &deleteWindow, 1);
    mDeleteWindow = deleteWindow;
    XSelectInput(mDisplay, mWindow, KeyPressMask | StructureNotifyMask);
    XSync(mDisplay, False);

    void* view = mViewClass->uiViewForAudioUnit(unit, reinterpret_cast<void*>(mWindow), 0.0, 0.0);
    if (!view)
      throw ToolError("the editor cannot be opened on this display (is Mesa's EGL for X11 installed?)");
    mOpen = true;
    mEditorWindow = reinterpret_cast<unsigned long>(view);
    ForwardDropsToEditor(mDisplay, mWindow, mEditorWindow);
    // The host window takes the editor's size, now and whenever the editor resizes itself.
    XSelectInput(mDisplay, mEditorWindow, StructureNotifyMask);
    XWindowAttributes attrs{};
    if (XGetWindowAttributes(mDisplay, mEditorWindow, &attrs))
      SetHostWindowSize(mDisplay, mWindow, attrs.width, attrs.height);
    XMapWindow(mDisplay, mWindow);
    XFlush(mDisplay);
  }
  catch (...)
  {
    Close();
    throw;
  }
}

EditorView::~EditorView() { Close(); }

void EditorView::Close()
{
  if (mOpen)
    mViewClass->closeView(mUnit);
  mOpen = false;
  if (mDisplay)
  {
    if (mWindow && !mWindowGone)
      XDestroyWindow(mDisplay, mWindow);
    XCloseDisplay(mDisplay);
  }
  mDisplay = nullptr;
  mWindow = 0;
}

bool EditorView::ProcessEvents()
{
  bool keepOpen = true;
  while (XPending(mDisplay))
  {
    XEvent event;
    XNextEvent(mDisplay, &event);
    if (event.type == ClientMessage && static_cast<unsigned long>(event.xclient.data.l[0]) == mDeleteWindow)
      keepOpen = false;
    else if (event.type == KeyPress && (event.xkey.state & ControlMask) &&
             XLookupKeysym(&event.xkey, 0) == XK_q) // passed on by the editor, which does not use it
      keepOpen = false;
    else if (event.type == ConfigureNotify && event.xconfigure.window == mEditorWindow && !mWindowGone)
      SetHostWindowSize(mDisplay, mWindow, event.xconfigure.width, event.xconfigure.height);
    else if (event.type == DestroyNotify &&
             (event.xdestroywindow.window == mWindow || event.xdestroywindow.window == mEditorWindow))
    {
      // Destroyed from outside, the editor alone or with the window: closed, and saved as any close.
      mWindowGone = mWindowGone || event.xdestroywindow.window == mWindow;
      keepOpen = false;
    }
  }
  return keepOpen;
}

} // namespace corvane::host
