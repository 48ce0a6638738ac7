#pragma once
// The editor's tooltip: a small override-redirect window beside the pointer
// that the editor draws itself (a dark panel, the text antialiased with Xft
// in the desktop's sans-serif font), on the editor's own display connection.

#include <string>

typedef struct _XDisplay Display;
union _XEvent;

namespace iplug::igraphics::x11 {

class X11Tooltip
{
public:
  /** `scale`: the screen's scale, for the font's size and the padding. */
  X11Tooltip(Display* display, float scale);
  ~X11Tooltip();
  X11Tooltip(const X11Tooltip&) = delete;
  X11Tooltip& operator=(const X11Tooltip&) = delete;

  /** Shows `text` with its top-left corner near the screen position (rootX, rootY), kept on screen. */
  void Show(const std::string& text, int rootX, int rootY);
  void Hide();
  bool IsShown() const { return mShown; }
  const std::string& Text() const { return mText; }
  /** The tooltip's window (0 until first shown). */
  unsigned long Window() const { return mWindow; }
  /** Redraws on its window's Expose; true when the event was the tooltip's. */
  bool HandleEvent(const _XEvent& event);

private:
  bool Create();
  void Draw();

  Display* mDisplay;
  float mScale;
  unsigned long mWindow = 0;
  void* mFont = nullptr; // XftFont
  void* mDraw = nullptr; // XftDraw
  std::string mText;
  bool mShown = false;
};

} // namespace iplug::igraphics::x11
