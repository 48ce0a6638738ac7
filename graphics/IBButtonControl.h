#pragma once
// A momentary button drawn from a filmstrip: the second frame while it is
// lit after a press, the first otherwise.

#include "graphics/IBitmapBase.h"
#include "graphics/IButtonControlBase.h"
#include "graphics/IControlFunctions.h"

namespace iplug::igraphics {

class IBButtonControl : public IButtonControlBase, public IBitmapBase
{
public:
  IBButtonControl(float x, float y, const IBitmap& bitmap, IActionFunction actionFunc = DefaultClickActionFunc)
  : IBButtonControl(IRECT(x, y, bitmap), bitmap, std::move(actionFunc))
  {}

  IBButtonControl(const IRECT& bounds, const IBitmap& bitmap, IActionFunction actionFunc = DefaultClickActionFunc)
  : IButtonControlBase(bounds, std::move(actionFunc))
  , IBitmapBase(bitmap)
  {
    AttachIControl(this);
  }

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  void OnRescale() override { RescaleBitmap(); }
};

} // namespace iplug::igraphics
