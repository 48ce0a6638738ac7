#include "graphics/IKnobControlBase.h"

#include <algorithm>
#include <cmath>

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

namespace {

const IParam* SteppedParam(const IControl& control)
{
  const IParam* param = control.GetParam(0);
  return param && param->GetStepped() && param->GetStep() > 0.0 ? param : nullptr;
}

} // namespace

double ConstrainToStep(const IControl& control, double normalised)
{
  const IParam* param = SteppedParam(control);
  if (!param)
    return normalised;
  const double real = param->ConstrainValue(param->RealFromNormalized(normalised));
  return std::clamp(param->NormalizedFromReal(real), 0.0, 1.0);
}

double DragValue(double dragValue, float dX, float dY, const IRECT& bounds, EDirection direction, double gearing)
{
  const double delta = direction == EDirection::Vertical
                         ? static_cast<double>(dY) / static_cast<double>(bounds.T - bounds.B) / gearing
                         : static_cast<double>(dX) / static_cast<double>(bounds.R - bounds.L) / gearing;
  if (std::isfinite(delta))
    dragValue += delta;
  return std::clamp(dragValue, 0.0, 1.0);
}

double WheelValue(const IControl& control, double value, float d, bool fine)
{
  if (const IParam* param = SteppedParam(control))
  {
    if (d == 0.f)
      return value;
    double real = param->ConstrainValue(param->RealFromNormalized(value));
    real += d > 0.f ? param->GetStep() : -param->GetStep();
    real = param->ConstrainValue(real);
    return std::clamp(param->NormalizedFromReal(real), 0.0, 1.0);
  }
  return value + d * (fine ? 0.001 : 0.01);
}

IKnobControlBase::IKnobControlBase(const IRECT& bounds, int paramIdx, EDirection direction, double gearing)
: IControl(bounds, paramIdx)
, mDirection(direction)
, mGearing(gearing)
{}

void IKnobControlBase::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseDown = true;
  mMouseDragValue = GetValue();
  if (mHideCursorOnDrag && GetUI())
    GetUI()->HideMouseCursor(true, true);
  if (mod.R)
    IControl::OnMouseDown(x, y, mod);
}

void IKnobControlBase::OnMouseUp(float, float, const IMouseMod&)
{
  if (mHideCursorOnDrag && GetUI())
    GetUI()->HideMouseCursor(false, true);
  mMouseDown = false;
  SetDirty(false);
}

void IKnobControlBase::OnMouseDrag(float, float, float dX, float dY, const IMouseMod& mod)
{
  const double gearing = IsFineControl(mod) ? mGearing * 10.0 : mGearing;
  mMouseDragValue = DragValue(mMouseDragValue, dX, dY, GetKnobDragBounds(), mDirection, gearing);
  SetValue(ConstrainToStep(*this, mMouseDragValue));
  SetDirty(true);
}

void IKnobControlBase::OnMouseWheel(float, float, const IMouseMod& mod, float d)
{
  SetValue(WheelValue(*this, GetValue(), d, IsFineControl(mod)));
  SetDirty(true);
}

} // namespace iplug::igraphics
