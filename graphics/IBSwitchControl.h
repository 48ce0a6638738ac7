#pragma once
// A switch drawn from a filmstrip: each press steps to the next frame's
// value and wraps from the last to the first.

#include "graphics/IBitmapBase.h"
#include "graphics/ISwitchControlBase.h"

namespace iplug::igraphics {

class IBSwitchControl : public ISwitchControlBase, public IBitmapBase
{
public:
  /** On one frame's rectangle with its top-left at (x, y). */
  IBSwitchControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter);
  /** On a frame-sized rectangle centred inside `bounds`. */
  IBSwitchControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = kNoParameter);

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  void OnRescale() override { RescaleBitmap(); }
  /** Steps by one frame's share of the range, wrapping past the last frame. */
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
};

} // namespace iplug::igraphics
