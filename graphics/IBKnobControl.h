#pragma once
// A knob drawn from a filmstrip: frame 1 at the minimum, the last frame at
// the maximum, dragged like any knob.

#include "graphics/IBitmapBase.h"
#include "graphics/IKnobControlBase.h"

namespace iplug::igraphics {

class IBKnobControl : public IKnobControlBase, public IBitmapBase
{
public:
  /** On one frame's rectangle with its top-left at (x, y). */
  IBKnobControl(float x, float y, const IBitmap& bitmap, int paramIdx, EDirection direction = EDirection::Vertical,
                double gearing = DEFAULT_GEARING)
  : IBKnobControl(IRECT(x, y, bitmap), bitmap, paramIdx, direction, gearing)
  {}

  IBKnobControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx, EDirection direction = EDirection::Vertical,
                double gearing = DEFAULT_GEARING)
  : IKnobControlBase(bounds, paramIdx, direction, gearing)
  , IBitmapBase(bitmap)
  {
    AttachIControl(this);
  }

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  void OnRescale() override { RescaleBitmap(); }
};

} // namespace iplug::igraphics
