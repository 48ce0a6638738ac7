#pragma once
// The editor's window as a drop target of the XDND protocol (versions 3 to
// 5): files dragged from a file manager (text/uri-list) are accepted over
// the window, fetched from the drag source when dropped, and handed on as
// file names with the drop point in window pixels. Other offers are refused.
// Most drag sources talk to top-level windows only: a host whose top-level
// window names the editor's as its XdndProxy has the drag's messages sent
// here, still addressed to the top-level window, and answered for it.

#include <functional>
#include <string>
#include <vector>

typedef struct _XDisplay Display;
union _XEvent;

namespace iplug::igraphics::x11 {

class XdndTarget
{
public:
  /** Receives the dropped files' names and the drop point in the window's pixels. */
  using DropFunc = std::function<void(const std::vector<std::string>& names, int x, int y)>;

  /** Marks `window` as a drop target (XdndAware). */
  XdndTarget(Display* display, unsigned long window, DropFunc onDrop);
  XdndTarget(const XdndTarget&) = delete;
  XdndTarget& operator=(const XdndTarget&) = delete;

  /** The drag's messages and the answer to the request for the dropped data; true when the event
      was one of them. */
  bool HandleEvent(const _XEvent& event);

  static constexpr long kVersion = 5;

private:
  void OnEnter(const _XEvent& event);
  void OnPosition(const _XEvent& event);
  void OnDrop(const _XEvent& event);
  void OnData(const _XEvent& event);
  void Send(unsigned long type, long l1, long l2, long l3, long l4);
  void Finish(bool accepted);
  void Reset();

  Display* mDisplay;
  unsigned long mWindow;
  DropFunc mOnDrop;
  unsigned long mAware, mEnter, mPosition, mStatus, mLeave, mDrop, mFinished, mSelection, mTypeList, mActionCopy,
    mUriList, mProperty;
  unsigned long mSource = 0; // the window dragging, 0 between drags
  unsigned long mTarget = 0; // the window the source drags over: ours, or the top-level we stand in for
  long mSourceVersion = 0;
  bool mOffersFiles = false;
  bool mAwaitingData = false;
  int mX = 0; // the last position over the window, pixels
  int mY = 0;
};

} // namespace iplug::igraphics::x11
