#include "graphics/IBSwitchControl.h"

namespace iplug::igraphics {

IBSwitchControl::IBSwitchControl(float x, float y, const IBitmap& bitmap, int paramIdx)
: ISwitchControlBase(IRECT(x, y, bitmap), paramIdx, nullptr, 2)
, IBitmapBase(bitmap)
{
  AttachIControl(this);
}

IBSwitchControl::IBSwitchControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx)
: ISwitchControlBase(bounds.GetCentredInside(static_cast<float>(bitmap.FW()), static_cast<float>(bitmap.FH())),
                     paramIdx, nullptr, 2)
, IBitmapBase(bitmap)
{
  AttachIControl(this);
}

void IBSwitchControl::OnMouseDown(float, float, const IMouseMod&)
{
  const int n = mBitmap.N();
  const double step = n >= 2 ? 1.0 / (n - 1) : 1.0;
  double value = GetValue(0) + step;
  // The tolerance lets the last frame's value through despite rounding in the sum.
  if (value > 1.001)
    value = 0.0;
  SetValue(value, 0);
  SetDirty(true);
}

} // namespace iplug::igraphics
