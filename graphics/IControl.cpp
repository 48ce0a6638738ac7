#include "graphics/IControl.h"

#include <algorithm>
#include <cmath>

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsClock.h"
#include "graphics/IGraphicsEditorDelegate.h"
#include "graphics/IPopupMenu.h"

namespace iplug::igraphics {

IControl::IControl(const IRECT& bounds, int paramIdx, IActionFunction actionFunc)
: mRECT(bounds)
, mTargetRECT(bounds)
, mActionFunc(std::move(actionFunc))
{
  mVals.push_back({paramIdx, 0.0});
}

IControl::IControl(const IRECT& bounds, std::initializer_list<int> params, IActionFunction actionFunc)
: mRECT(bounds)
, mTargetRECT(bounds)
, mActionFunc(std::move(actionFunc))
{
  for (int p : params)
    mVals.push_back({p, 0.0});
}

IControl::IControl(const IRECT& bounds, const std::vector<int>& params, IActionFunction actionFunc)
: mRECT(bounds)
, mTargetRECT(bounds)
, mActionFunc(std::move(actionFunc))
{
  for (int p : params)
    mVals.push_back({p, 0.0});
}

IControl::IControl(const IRECT& bounds, IActionFunction actionFunc)
: IControl(bounds, kNoParameter, std::move(actionFunc))
{}

// --- values ---

double IControl::GetValue(int valIdx) const
{
  return valIdx >= 0 && valIdx < NVals() ? mVals[static_cast<size_t>(valIdx)].value : 0.0;
}

int IControl::GetParamIdx(int valIdx) const
{
  return valIdx >= 0 && valIdx < NVals() ? mVals[static_cast<size_t>(valIdx)].idx : kNoParameter;
}

void IControl::SetValue(double value, int valIdx)
{
  if (valIdx >= 0 && valIdx < NVals())
    mVals[static_cast<size_t>(valIdx)].value = value;
}

void IControl::SetParamIdx(int paramIdx, int valIdx)
{
  if (valIdx < 0 || valIdx >= NVals())
    return;
  mVals[static_cast<size_t>(valIdx)].idx = paramIdx;
  SetDirty(false);
}

int IControl::LinkedToParam(int paramIdx) const
{
  for (int i = 0; i < NVals(); ++i)
    if (mVals[static_cast<size_t>(i)].idx == paramIdx)
      return i;
  return kNoValIdx;
}

const IParam* IControl::GetParam(int valIdx) const
{
  const int paramIdx = GetParamIdx(valIdx);
  if (paramIdx < 0 || !mDelegate)
    return nullptr;
  return mDelegate->GetParam(paramIdx);
}

int IControl::GetValIdxForPos(float, float) const { return NVals() == 1 ? 0 : kNoValIdx; }

double IControl::NormalisedFromReal(const IParam& param, double v)
{
  return std::clamp(param.NormalizedFromReal(param.ConstrainValue(v)), 0.0, 1.0);
}

void IControl::SetDirty(bool triggerAction, int valIdx)
{
  if (NVals() == 1)
    valIdx = 0;

  const int first = valIdx < 0 ? 0 : valIdx;
  const int last = valIdx < 0 ? NVals() : std::min(valIdx + 1, NVals());

  for (int v = first; v < last; ++v)
    SetValue(std::clamp(GetValue(v), 0.0, 1.0), v);

  mDirty = true;

  if (!triggerAction)
    return;

  for (int v = first; v < last; ++v)
  {
    const int paramIdx = GetParamIdx(v);
    if (paramIdx <= kNoParameter)
      continue;
    if (mDelegate)
      mDelegate->SendParameterValueFromUI(paramIdx, GetValue(v));
    if (mGraphics)
      mGraphics->UpdatePeers(this, v);
  }

  if (mActionFunc)
    mActionFunc(this);
}

bool IControl::IsDirty() { return mAnimationFunc ? true : mDirty; }

void IControl::SetValueFromDelegate(double value, int valIdx)
{
  // A control the user is dragging must not jump back to the echo of its own change.
  if (mGraphics && mGraphics->ControlIsCaptured(this))
    return;
  if (GetValue(valIdx) != value)
  {
    SetValue(value, valIdx);
    SetDirty(false);
  }
}

void IControl::SetValueFromUserInput(double value, int valIdx)
{
  if (GetValue(valIdx) != value)
  {
    SetValue(value, valIdx);
    SetDirty(true, valIdx);
  }
}

void IControl::SetValueToDefault(int valIdx)
{
  if (NVals() == 1)
    valIdx = 0;
  const int first = valIdx < 0 ? 0 : valIdx;
  const int last = valIdx < 0 ? NVals() : std::min(valIdx + 1, NVals());
  for (int v = first; v < last; ++v)
    if (const IParam* param = GetParam(v))
      SetValue(NormalisedFromReal(*param, param->GetDefault()), v);
  SetDirty(true, valIdx);
}

void IControl::SnapToMouse(float x, float y, EDirection direction, const IRECT& bounds, int valIdx, double minClip,
                           double maxClip)
{
  x = std::clamp(x, bounds.L, bounds.R);
  y = std::clamp(y, bounds.T, bounds.B);
  double v = direction == EDirection::Horizontal ? (x - bounds.L) / bounds.W() : 1.0 - (y - bounds.T) / bounds.H();
  if (!std::isfinite(v)) // a zero-sized track has no position to snap to
    v = 0.0;
  v = std::round(v / 0.001) * 0.001;
  v = std::clamp(v, minClip, maxClip);
  if (valIdx < 0)
    for (int i = 0; i < NVals(); ++i)
      SetValue(v, i);
  else
    SetValue(v, valIdx);
  SetDirty(true, valIdx);
}

// --- geometry and state ---

void IControl::SetPosition(float x, float y)
{
  x = std::max(x, 0.f);
  y = std::max(y, 0.f);
  const float dx = x - mRECT.L, dy = y - mRECT.T;
  mRECT = mRECT.GetTranslated(dx, dy);
  mMouseIsOver = false;
  OnResize();
  mTargetRECT = mTargetRECT.GetTranslated(dx, dy);
}

void IControl::SetSize(float w, float h)
{
  w = std::max(w, 0.f);
  h = std::max(h, 0.f);
  mRECT = mTargetRECT = IRECT(mRECT.L, mRECT.T, mRECT.L + w, mRECT.T + h);
  mMouseIsOver = false;
  OnResize();
}

void IControl::Hide(bool hide)
{
  mHide = hide;
  SetDirty(false);
}

void IControl::SetDisabled(bool disable)
{
  mBlend.mWeight = disable ? 0.25f : 1.f;
  mDisabled = disable;
  SetDirty(false);
}

// --- default event handling ---

void IControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (mod.R)
    PromptUserInput(GetValIdxForPos(x, y));
}

void IControl::OnMouseDblClick(float x, float y, const IMouseMod&) { SetValueToDefault(GetValIdxForPos(x, y)); }

void IControl::OnMouseOver(float, float, const IMouseMod&)
{
  const bool was = mMouseIsOver;
  mMouseIsOver = true;
  if (!was)
    SetDirty(false);
}

void IControl::OnMouseOut()
{
  const bool was = mMouseIsOver;
  mMouseIsOver = false;
  if (was)
    SetDirty(false);
}

void IControl::OnPopupMenuSelection(IPopupMenu* selectedMenu, int valIdx)
{
  if (!selectedMenu || valIdx < 0 || GetParamIdx(valIdx) <= kNoParameter || mPromptDisabled)
    return;
  const IParam* param = GetParam(0); // the menu lists the first value's parameter
  if (!param)
    return;
  SetValueFromUserInput(NormalisedFromReal(*param, selectedMenu->GetChosenItemIdx()), valIdx);
}

bool IControl::OnGesture(const IGestureInfo& info)
{
  auto it = mGestureFuncs.find(info.type);
  if (it == mGestureFuncs.end())
    return false;
  mLastGesture = info.type;
  it->second(this, info);
  return true;
}

void IControl::AttachGestureRecognizer(EGestureType type, IGestureFunc func) { mGestureFuncs[type] = std::move(func); }

// --- prompts ---

void IControl::PromptUserInput(int valIdx)
{
  if (valIdx < 0 || GetParamIdx(valIdx) <= kNoParameter || mPromptDisabled)
    return;
  const IParam* param = GetParam(valIdx);
  if (!param)
    return;
  const IRECT bounds = param->NDisplayTexts() ? mRECT : mRECT.GetCentredInside(40.f, 16.f);
  if (mGraphics)
    mGraphics->PromptUserInput(*this, bounds, valIdx);
  SetDirty(false);
}

void IControl::PromptUserInput(const IRECT& bounds, int valIdx)
{
  if (valIdx < 0 || GetParamIdx(valIdx) <= kNoParameter || mPromptDisabled)
    return;
  if (mGraphics)
    mGraphics->PromptUserInput(*this, bounds, valIdx);
}

// --- animation ---

double IControl::AnimationTimeMs() const
{
  // The host's clock, which tests may replace; a control not attached yet uses the monotonic one.
  return mGraphics ? mGraphics->GetAnimationTimeMs() : MonotonicMs();
}

void IControl::StartAnimation(double durationMs)
{
  mAnimationStartTime = AnimationTimeMs();
  mAnimationDuration = durationMs;
}

double IControl::GetAnimationProgress() const
{
  if (!mAnimationFunc)
    return 0.0;
  const double elapsed = AnimationTimeMs() - mAnimationStartTime;
  if (mAnimationDuration <= 0.0) // a zero-length animation is over at once
    return elapsed >= 0.0 ? 1.0 + 1e-9 : 0.0;
  return elapsed / mAnimationDuration;
}

void IControl::OnEndAnimation()
{
  mAnimationFunc = nullptr;
  SetDirty(false);
  if (mAnimationEndActionFunc)
    mAnimationEndActionFunc(this);
}

} // namespace iplug::igraphics
