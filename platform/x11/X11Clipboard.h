#pragma once
// The CLIPBOARD selection for one X11 window: offering text (answering other
// clients' requests as they arrive with the window's events) and fetching
// text from whichever client owns the selection.

#include <string>

#include <X11/Xlib.h>

namespace iplug::igraphics::x11 {

class X11Clipboard
{
public:
  X11Clipboard(Display* display, Window window);

  /** Takes ownership of CLIPBOARD with `text`; false when the server refused. */
  bool SetText(const std::string& text);
  /** The clipboard's text as UTF-8. Waits up to `timeoutMs` for the owner to answer;
      false when there is no owner, no text, or no answer. */
  bool GetText(std::string& text, int timeoutMs = 1000);
  /** Answers selection requests and notes lost ownership; true when `event` was one of these. */
  bool HandleEvent(const XEvent& event);

private:
  void Answer(const XSelectionRequestEvent& request);

  Display* mDisplay;
  Window mWindow;
  Atom mClipboard, mUtf8, mTargets, mText, mProperty;
  std::string mOwnText;
  bool mOwner = false;
};

} // namespace iplug::igraphics::x11
