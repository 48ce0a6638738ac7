#pragma once
// What the graphics host needs of a value bubble: show it for a caller at an
// anchor point, and which touch it currently follows. The drawn bubble with
// its fades derives from this.

#include "graphics/IControl.h"

namespace iplug::igraphics {

class IBubbleControl : public IControl
{
public:
  explicit IBubbleControl(const IText& text = DEFAULT_TEXT) : IControl(IRECT(), kNoParameter)
  {
    mText = text;
    mHide = true;
    mIgnoreMouse = true;
  }

  /** Shows `str` next to `caller`, anchored at (x, y), beside (horizontal) or above (vertical) it. */
  virtual void ShowBubble(IControl* caller, float x, float y, const char* str, EDirection dir,
                          IRECT minimumContentBounds, ITouchID touchID = 0) = 0;

  ITouchID GetTouchID() const { return mTouchID; }

protected:
  ITouchID mTouchID = 0;
};

} // namespace iplug::igraphics
