#include "platform/x11/XdndTarget.h"

#include <unistd.h>

#include <algorithm>
#include <climits>

#include "platform/x11/UriList.h"

// X11's headers define names such as None and Status as macros: they come last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace iplug::igraphics::x11 {

namespace {

// A uri-list of a great many files still fits; beyond that the drop is refused, not read forever.
constexpr long kMaxDataLongs = 1 << 18; // 1 MiB

// The types the source offers: three in the message, more in its XdndTypeList property.
std::vector<Atom> OfferedTypes(Display* display, const XClientMessageEvent& enter, Atom typeList)
{
  std::vector<Atom> types;
  if (enter.data.l[1] & 1)
  {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, static_cast<Window>(enter.data.l[0]), typeList, 0, 1024, False, XA_ATOM, &actual,
                           &format, &count, &remaining, &data) == Success &&
        actual == XA_ATOM && format == 32 && data)
    {
      const auto* atoms = reinterpret_cast<const Atom*>(data);
      types.assign(atoms, atoms + count);
    }
    if (data)
      XFree(data);
  }
  for (int i = 2; i <= 4; ++i)
    if (enter.data.l[i])
      types.push_back(static_cast<Atom>(enter.data.l[i]));
  return types;
}

std::string HostName()
{
  char name[HOST_NAME_MAX + 1] = {};
  return gethostname(name, sizeof(name) - 1) == 0 ? name : "";
}

} // namespace

XdndTarget::XdndTarget(Display* display, unsigned long window, DropFunc onDrop)
: mDisplay(display)
, mWindow(window)
, mOnDrop(std::move(onDrop))
{
  const auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
  mAware = atom("XdndAware");
  mEnter = atom("XdndEnter");
  mPosition = atom("XdndPosition");
  mStatus = atom("XdndStatus");
  mLeave = atom("XdndLeave");
  mDrop = atom("XdndDrop");
  mFinished = atom("XdndFinished");
  mSelection = atom("XdndSelection");
  mTypeList = atom("XdndTypeList");
  mActionCopy = atom("XdndActionCopy");
  mUriList = atom("text/uri-list");
  mProperty = atom("CORVANE_XDND_DATA");
  const long version = kVersion;
  XChangeProperty(display, window, mAware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&version), 1);
  // A proxy names itself: then a host may name this window as its top-level window's proxy.
  const Window self = window;
  XChangeProperty(display, window, XInternAtom(display, "XdndProxy", False), XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&self), 1);
}

bool XdndTarget::HandleEvent(const XEvent& event)
{
  if (event.type == SelectionNotify && event.xselection.requestor == mWindow &&
      event.xselection.selection == mSelection)
  {
    OnData(event);
    return true;
  }
  // Sent to this window, addressed to it or to the top-level window it is the proxy of.
  if (event.type != ClientMessage || event.xclient.format != 32)
    return false;
  const Atom type = event.xclient.message_type;
  if (type == mEnter)
    OnEnter(event);
  else if (type == mPosition)
    OnPosition(event);
  else if (type == mLeave && static_cast<unsigned long>(event.xclient.data.l[0]) == mSource)
    Reset();
  else if (type == mDrop)
    OnDrop(event);
  else
    return false;
  return true;
}

void XdndTarget::OnEnter(const XEvent& event)
{
  Reset();
  mSource = static_cast<unsigned long>(event.xclient.data.l[0]);
  mTarget = event.xclient.window;
  mSourceVersion = (event.xclient.data.l[1] >> 24) & 0xFF;
  const std::vector<Atom> types = OfferedTypes(mDisplay, event.xclient, mTypeList);
  mOffersFiles = mSourceVersion >= 3 && std::find(types.begin(), types.end(), mUriList) != types.end();
}

void XdndTarget::OnPosition(const XEvent& event)
{
  if (static_cast<unsigned long>(event.xclient.data.l[0]) != mSource)
    return;
  const int rootX = static_cast<int>((event.xclient.data.l[2] >> 16) & 0xFFFF);
  const int rootY = static_cast<int>(event.xclient.data.l[2] & 0xFFFF);
  Window child = None;
  XTranslateCoordinates(mDisplay, DefaultRootWindow(mDisplay), mWindow, rootX, rootY, &mX, &mY, &child);
  // Accepted anywhere over the window, as a copy; bit 1 asks for every move, so the point stays current.
  Send(mStatus, mOffersFiles ? 3 : 2, 0, 0, mOffersFiles ? static_cast<long>(mActionCopy) : 0);
}

void XdndTarget::OnDrop(const XEvent& event)
{
  if (static_cast<unsigned long>(event.xclient.data.l[0]) != mSource)
    return;
  if (!mOffersFiles)
  {
    Finish(false);
    return;
  }
  const Time time = mSourceVersion >= 1 ? static_cast<Time>(event.xclient.data.l[2]) : CurrentTime;
  XConvertSelection(mDisplay, mSelection, mUriList, mProperty, mWindow, time);
  XFlush(mDisplay);
  mAwaitingData = true;
}

void XdndTarget::OnData(const XEvent& event)
{
  if (!mAwaitingData)
    return;
  std::vector<std::string> names;
  if (event.xselection.property != None)
  {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(mDisplay, mWindow, mProperty, 0, kMaxDataLongs, True, AnyPropertyType, &actual, &format,
                           &count, &remaining, &data) == Success &&
        data && format == 8 && remaining == 0)
      names = FileNamesFromUriList(std::string_view(reinterpret_cast<const char*>(data), count), HostName());
    if (data)
      XFree(data);
  }
  const int x = mX, y = mY;
  Finish(!names.empty());
  if (!names.empty() && mOnDrop)
    mOnDrop(names, x, y);
}

void XdndTarget::Send(unsigned long type, long l1, long l2, long l3, long l4)
{
  XEvent reply{};
  reply.xclient.type = ClientMessage;
  reply.xclient.display = mDisplay;
  reply.xclient.window = mSource;
  reply.xclient.message_type = type;
  reply.xclient.format = 32;
  reply.xclient.data.l[0] = static_cast<long>(mTarget ? mTarget : mWindow);
  reply.xclient.data.l[1] = l1;
  reply.xclient.data.l[2] = l2;
  reply.xclient.data.l[3] = l3;
  reply.xclient.data.l[4] = l4;
  XSendEvent(mDisplay, mSource, False, NoEventMask, &reply);
  XFlush(mDisplay);
}

void XdndTarget::Finish(bool accepted)
{
  if (mSource)
    Send(mFinished, accepted ? 1 : 0, accepted ? static_cast<long>(mActionCopy) : 0, 0, 0);
  Reset();
}

void XdndTarget::Reset()
{
  mSource = 0;
  mTarget = 0;
  mSourceVersion = 0;
  mOffersFiles = false;
  mAwaitingData = false;
}

} // namespace iplug::igraphics::x11
