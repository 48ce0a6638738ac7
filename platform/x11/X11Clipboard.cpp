#include "platform/x11/X11Clipboard.h"

#include <X11/Xatom.h>
#include <chrono>
#include <poll.h>

namespace iplug::igraphics::x11 {

namespace {
// Larger answers would come in increments, which a text field does not need.
constexpr long kMaxTextBytes = 1 << 20;
} // namespace

X11Clipboard::X11Clipboard(Display* display, Window window) : mDisplay(display), mWindow(window)
{
  mClipboard = XInternAtom(display, "CLIPBOARD", False);
  mUtf8 = XInternAtom(display, "UTF8_STRING", False);
  mTargets = XInternAtom(display, "TARGETS", False);
  mText = XInternAtom(display, "TEXT", False);
  mProperty = XInternAtom(display, "CORVANE_CLIPBOARD", False);
}

bool X11Clipboard::SetText(const std::string& text)
{
  mOwnText = text;
  XSetSelectionOwner(mDisplay, mClipboard, mWindow, CurrentTime);
  mOwner = XGetSelectionOwner(mDisplay, mClipboard) == mWindow;
  return mOwner;
}

bool X11Clipboard::GetText(std::string& text, int timeoutMs)
{
  const Window owner = XGetSelectionOwner(mDisplay, mClipboard);
  if (owner == None)
    return false;
  if (owner == mWindow && mOwner)
  {
    text = mOwnText;
    return true;
  }
  XDeleteProperty(mDisplay, mWindow, mProperty);
  XConvertSelection(mDisplay, mClipboard, mUtf8, mProperty, mWindow, CurrentTime);
  XFlush(mDisplay);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  XEvent event;
  for (;;)
  {
    if (XCheckTypedWindowEvent(mDisplay, mWindow, SelectionNotify, &event))
      break;
    const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
      return false;
    pollfd fd{ConnectionNumber(mDisplay), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left.count()));
    XPending(mDisplay); // reads what arrived into the queue
  }
  if (event.xselection.property == None)
    return false;

  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(mDisplay, mWindow, mProperty, 0, kMaxTextBytes / 4, True, AnyPropertyType,
                                        &type, &format, &count, &remaining, &data);
  bool ok = status == Success && data && format == 8 && (type == mUtf8 || type == XA_STRING) && remaining == 0;
  if (ok)
    text.assign(reinterpret_cast<const char*>(data), count);
  if (data)
    XFree(data);
  return ok;
}

bool X11Clipboard::HandleEvent(const XEvent& event)
{
  if (event.type == SelectionClear && event.xselectionclear.selection == mClipboard)
  {
    mOwner = false;
    return true;
  }
  if (event.type == SelectionRequest && event.xselectionrequest.owner == mWindow)
  {
    Answer(event.xselectionrequest);
    return true;
  }
  return false;
}

void X11Clipboard::Answer(const XSelectionRequestEvent& request)
{
  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.display = request.display;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.time = request.time;
  // Old clients name no property: they mean the target's own name.
  const Atom property = request.property != None ? request.property : request.target;
  reply.property = None;
  if (mOwner && request.selection == mClipboard)
  {
    if (request.target == mTargets)
    {
      const Atom targets[] = {mTargets, mUtf8, mText, XA_STRING};
      XChangeProperty(mDisplay, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(targets), 4);
      reply.property = property;
    }
    else if (request.target == mUtf8 || request.target == mText || request.target == XA_STRING)
    {
      XChangeProperty(mDisplay, request.requestor, property, request.target == XA_STRING ? XA_STRING : mUtf8, 8,
                      PropModeReplace, reinterpret_cast<const unsigned char*>(mOwnText.data()),
                      static_cast<int>(mOwnText.size()));
      reply.property = property;
    }
  }
  XSendEvent(mDisplay, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
  XFlush(mDisplay);
}

} // namespace iplug::igraphics::x11
