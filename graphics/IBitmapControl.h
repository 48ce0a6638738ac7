#pragma once
// A filmstrip showing a value, or a still picture such as the editor's
// background; it takes no input of its own.

#include "graphics/IBitmapBase.h"
#include "graphics/IControl.h"

namespace iplug::igraphics {

class IBitmapControl : public IControl, public IBitmapBase
{
public:
  IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter, EBlend blend = EBlend::SrcOver)
  : IControl(IRECT(x, y, bitmap), paramIdx)
  , IBitmapBase(bitmap)
  {
    mBlend = IBlend(blend, 1.f);
    AttachIControl(this);
  }

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  void OnRescale() override { RescaleBitmap(); }
};

} // namespace iplug::igraphics
