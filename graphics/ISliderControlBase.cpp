#include "graphics/ISliderControlBase.h"

#include <algorithm>
#include <cmath>

#include "graphics/IGraphics.h"
#include "graphics/IKnobControlBase.h"

namespace iplug::igraphics {

ISliderControlBase::ISliderControlBase(const IRECT& bounds, int paramIdx, EDirection dir, double gearing,
                                       float handleSize)
: IControl(bounds, paramIdx)
, mDirection(dir)
, mHandleSize(handleSize)
, mGearing(gearing)
{}

ISliderControlBase::ISliderControlBase(const IRECT& bounds, IActionFunction actionFunc, EDirection dir, double gearing,
                                       float handleSize)
: IControl(bounds, std::move(actionFunc))
, mDirection(dir)
, mHandleSize(handleSize)
, mGearing(gearing)
{}

bool ISliderControlBase::IsStepped() const
{
  const IParam* param = GetParam(0);
  return param && param->GetStepped();
}

void ISliderControlBase::OnResize()
{
  SetTargetRECT(mRECT);
  mTrackBounds = mRECT;
  SetDirty(false);
}

void ISliderControlBase::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseDown = true;
  if (!IsStepped())
    SnapToMouse(x, y, mDirection, mTrackBounds, kNoValIdx, 0.0, 1.0);
  mMouseDragValue = GetValue();
  if (mHideCursorOnDrag && GetUI())
    GetUI()->HideMouseCursor(true, true);
  if (mod.R)
    IControl::OnMouseDown(x, y, mod);
}

void ISliderControlBase::OnMouseUp(float, float, const IMouseMod&)
{
  if (mHideCursorOnDrag && GetUI())
    GetUI()->HideMouseCursor(false, true);
  mMouseDown = false;
  SetDirty(false);
}

void ISliderControlBase::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  if ((mod.IsTouch() || !mHideCursorOnDrag) && !IsStepped())
  {
    SnapToMouse(x, y, mDirection, mTrackBounds, kNoValIdx, 0.0, 1.0);
    return;
  }
  const double gearing = IsFineControl(mod) ? mGearing * 10.0 : mGearing;
  mMouseDragValue = DragValue(mMouseDragValue, dX, dY, mTrackBounds, mDirection, gearing);
  SetValue(ConstrainToStep(*this, mMouseDragValue));
  SetDirty(true);
}

void ISliderControlBase::OnMouseWheel(float, float, const IMouseMod& mod, float d)
{
  SetValue(WheelValue(*this, GetValue(), d, IsFineControl(mod)));
  SetDirty(true);
}

} // namespace iplug::igraphics
