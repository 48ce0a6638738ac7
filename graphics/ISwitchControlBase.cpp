#include "graphics/ISwitchControlBase.h"

#include <cmath>
#include <limits>

namespace iplug::igraphics {

ISwitchControlBase::ISwitchControlBase(const IRECT& bounds, int paramIdx, IActionFunction actionFunc, int numStates)
: IControl(bounds, paramIdx, std::move(actionFunc))
, mNumStates(numStates)
, mDisabledState(static_cast<size_t>(numStates > 0 ? numStates : 0), false)
{
  mDblAsSingleClick = true;
}

void ISwitchControlBase::OnInit()
{
  if (const IParam* param = GetParam(0))
  {
    mNumStates = static_cast<int>(param->GetMax() - param->GetMin()) + 1;
    mDisabledState.assign(static_cast<size_t>(mNumStates > 0 ? mNumStates : 0), false);
  }
}

void ISwitchControlBase::OnMouseDown(float, float, const IMouseMod&)
{
  const double v = GetValue();
  double next;
  if (mNumStates == 2)
    next = v == 0.0 ? 1.0 : 0.0;
  else
  {
    next = v + 1.0 / (mNumStates - 1);
    // Wrap only past the double just above 1, so the last state is reached despite rounding.
    if (!(next <= 1.0 + std::numeric_limits<double>::epsilon()))
      next = 0.0;
  }
  SetValue(next);
  mMouseDown = true;
  SetDirty(true);
}

void ISwitchControlBase::OnMouseUp(float, float, const IMouseMod&)
{
  mMouseDown = false;
  SetDirty(false);
}

void ISwitchControlBase::SetStateDisabled(int stateIdx, bool disabled)
{
  if (stateIdx >= 0 && stateIdx < static_cast<int>(mDisabledState.size()))
    mDisabledState[static_cast<size_t>(stateIdx)] = disabled;
  SetDirty(false);
}

void ISwitchControlBase::SetAllStatesDisabled(bool disabled)
{
  mDisabledState.assign(mDisabledState.size(), disabled);
  SetDirty(false);
}

bool ISwitchControlBase::GetStateDisabled(int stateIdx) const
{
  return stateIdx >= 0 && stateIdx < static_cast<int>(mDisabledState.size()) &&
         mDisabledState[static_cast<size_t>(stateIdx)];
}

} // namespace iplug::igraphics
