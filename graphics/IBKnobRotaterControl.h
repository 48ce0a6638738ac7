#pragma once
// A knob that turns one picture about its centre: 260 degrees of travel,
// straight up at the middle of the range.

#include "graphics/IBitmapBase.h"
#include "graphics/IGraphics.h"
#include "graphics/IKnobControlBase.h"

namespace iplug::igraphics {

class IBKnobRotaterControl : public IKnobControlBase, public IBitmapBase
{
public:
  IBKnobRotaterControl(float x, float y, const IBitmap& bitmap, int paramIdx,
                       EDirection direction = EDirection::Vertical, double gearing = DEFAULT_GEARING)
  : IBKnobRotaterControl(IRECT(x, y, bitmap), bitmap, paramIdx, direction, gearing)
  {}

  IBKnobRotaterControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx,
                       EDirection direction = EDirection::Vertical, double gearing = DEFAULT_GEARING)
  : IKnobControlBase(bounds, paramIdx, direction, gearing)
  , IBitmapBase(bitmap)
  {
    AttachIControl(this);
  }

  void Draw(IGraphics& g) override
  {
    if (mBitmap.IsValid())
      g.DrawRotatedBitmap(mBitmap, mRECT.MW(), mRECT.MH(), 260.0 * GetValue() - 130.0, &mBlend);
  }
  void OnRescale() override { RescaleBitmap(); }
};

} // namespace iplug::igraphics
