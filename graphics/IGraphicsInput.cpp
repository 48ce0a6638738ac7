// Pointer, wheel, key and drop dispatch of IGraphics: hit testing from the
// top down, capture per pointer until release, hover tracking, context menus
// on right presses, and begin/end gesture notifications to the delegate.

#include <algorithm>

#include "graphics/IBubbleControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/IGraphics.h"
#include "graphics/IGraphicsEditorDelegate.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"

namespace iplug::igraphics {

int IGraphics::GetMouseControlIdx(float x, float y, bool mouseOver)
{
  if (mouseOver && !mEnableMouseOver)
    return -1;

  // The background (index 0) never receives hover.
  const int lowest = mouseOver ? 1 : 0;
  for (int i = mControls.GetSize() - 1; i >= lowest; --i)
  {
    IControl* c = mControls.Get(i);
    if (c->IsHidden() || c->GetIgnoreMouse())
      continue;
    if (c->IsDisabled() && !(mouseOver ? c->GetMouseOverWhenDisabled() : c->GetMouseEventsWhenDisabled()))
      continue;
    if (c->IsHit(x, y))
      return i;
  }
  return -1;
}

IControl* IGraphics::GetMouseControl(float x, float y, bool capture, bool mouseOver, ITouchID touchID)
{
  if (auto it = mCapturedMap.find(touchID); it != mCapturedMap.end())
    return it->second;

  IControl* control = nullptr;
  int idx = -1;

  if (mPopupControl && mPopupControl->GetExpanded())
    control = mPopupControl.get();
  else if (mTextEntryControl && mTextEntryControl->EditInProgress())
    control = mTextEntryControl.get();
  else if (mCornerResizer && mCornerResizer->GetRECT().Contains(x, y))
    control = mCornerResizer.get();
  else if (mPerfDisplay && mPerfDisplay->GetRECT().Contains(x, y))
    control = mPerfDisplay.get();
  else
  {
    idx = GetMouseControlIdx(x, y, mouseOver);
    if (idx < 0)
    {
      if (mouseOver)
        mMouseOverIdx = -1;
      return nullptr;
    }
    control = mControls.Get(idx);
  }

  if (capture)
  {
    if (mEnableMultiTouch && !control->GetWantsMultiTouch() && ControlIsCaptured(control))
      return nullptr;
    mCapturedMap.emplace(touchID, control); // keeps an existing entry for this touch
  }

  if (mouseOver)
    mMouseOverIdx = idx;

  return control;
}

bool IGraphics::IsAttached(const IControl* control) const
{
  bool found = false;
  ForAllControlsFunc([&](IControl* c) { found |= c == control; });
  return found;
}

bool IGraphics::ControlIsCaptured(const IControl* control) const
{
  return std::any_of(mCapturedMap.begin(), mCapturedMap.end(),
                     [control](const auto& e) { return e.second == control; });
}

void IGraphics::GetTouches(const IControl* control, std::vector<ITouchID>& touches) const
{
  for (const auto& [touch, c] : mCapturedMap)
    if (c == control)
      touches.push_back(touch);
}

void IGraphics::ReleaseMouseCapture()
{
  mCapturedMap.clear();
  if (mCursorHidden)
    HideMouseCursor(false, true);
}

void IGraphics::EndMouseCapture()
{
  const auto captured = std::move(mCapturedMap);
  mCapturedMap.clear();
  for (const auto& [touch, control] : captured)
  {
    // An earlier release may have removed this control.
    if (!IsAttached(control))
      continue;
    IMouseMod mod;
    mod.touchID = touch;
    control->OnMouseUp(mLastMouseX, mLastMouseY, mod);
    if (IsAttached(control))
      for (int v = 0; v < control->NVals(); ++v)
        if (const int p = control->GetParamIdx(v); p > kNoParameter)
          mDelegate->EndInformHostOfParamChangeFromUI(p);
  }
  ReleaseMouseCapture();
}

void IGraphics::OnMouseDownPoint(const IMouseInfo& point, bool& stop)
{
  IControl* control = GetMouseControl(point.x, point.y, true, false, point.ms.touchID);
  if (!control)
    return;

  const int valIdx = control->GetValIdxForPos(point.x, point.y);
  const int paramIdx = control->GetParamIdx(valIdx > kNoValIdx ? valIdx : 0);

  if (point.ms.R && paramIdx > kNoParameter)
  {
    ReleaseMouseCapture();
    mPromptPopupMenu.Clear();
    mPromptPopupMenu.SetRootTitle("");
    mPromptPopupMenu.SetChosenItemIdx(-1);
    control->CreateContextMenu(mPromptPopupMenu);
    if (mPromptPopupMenu.NItems() > 0)
      DoCreatePopupMenu(*control, mPromptPopupMenu, IRECT(point.x, point.y, point.x, point.y), kNoValIdx, true);
    stop = true;
    return;
  }

  for (int v = 0; v < control->NVals(); ++v)
    if (const int p = control->GetParamIdx(v); p > kNoParameter)
      mDelegate->BeginInformHostOfParamChangeFromUI(p);

  control->OnMouseDown(point.x, point.y, point.ms);
}

void IGraphics::OnMouseDown(const IMouseInfos& points)
{
  if (points.size() == 1)
  {
    mMouseDownX = points.front().x;
    mMouseDownY = points.front().y;
  }
  for (const IMouseInfo& point : points)
  {
    mLastMouseX = point.x;
    mLastMouseY = point.y;
    bool stop = false;
    OnMouseDownPoint(point, stop);
    if (stop)
      break;
  }
}

void IGraphics::OnMouseUp(const IMouseInfos& points)
{
  if (!mCapturedMap.empty())
  {
    for (const IMouseInfo& point : points)
    {
      auto it = mCapturedMap.find(point.ms.touchID);
      if (it == mCapturedMap.end())
        continue;
      IControl* control = it->second;
      control->OnMouseUp(point.x, point.y, point.ms);
      // The handler may have removed the control; a deleted control reports nothing.
      if (IsAttached(control))
        for (int v = 0; v < control->NVals(); ++v)
          if (const int p = control->GetParamIdx(v); p > kNoParameter)
            mDelegate->EndInformHostOfParamChangeFromUI(p);
      mCapturedMap.erase(point.ms.touchID);
    }
  }

  if (mResizingInProgress)
    EndDragResize();

  if (points.size() == 1 && points.front().ms.touchID == 0)
    OnMouseOver(points.front().x, points.front().y, points.front().ms);
}

void IGraphics::OnMouseDrag(const IMouseInfos& points)
{
  if (mResizingInProgress && points.size() == 1)
  {
    OnDragResize(points.front().x, points.front().y);
    return;
  }
  if (mCapturedMap.empty())
    return;

  for (const IMouseInfo& point : points)
  {
    mLastMouseX = point.x;
    mLastMouseY = point.y;
    auto it = mCapturedMap.find(point.ms.touchID);
    if (it == mCapturedMap.end())
      continue;
    IControl* control = it->second;
    // While a text field is open only the in-editor field itself may take drags.
    if (mInTextEntry && control != mTextEntryControl.get())
      continue;
    if (point.dX != 0.f || point.dY != 0.f)
      control->OnMouseDrag(point.x, point.y, point.dX, point.dY, point.ms);
  }
}

void IGraphics::OnTouchCancelled(const IMouseInfos& points)
{
  for (const IMouseInfo& point : points)
  {
    auto it = mCapturedMap.find(point.ms.touchID);
    if (it == mCapturedMap.end())
      continue;
    IControl* control = it->second;
    mCapturedMap.erase(it);
    control->OnTouchCancelled(point.x, point.y, point.ms);
  }
}

bool IGraphics::OnMouseDblClick(float x, float y, const IMouseMod& mod)
{
  IControl* control = GetMouseControl(x, y, true, false, mod.touchID);
  if (!control)
    return false;
  if (control->GetMouseDblAsSingleClick())
  {
    OnMouseDown({IMouseInfo{x, y, 0.f, 0.f, mod}});
  }
  else
  {
    control->OnMouseDblClick(x, y, mod);
    ReleaseMouseCapture();
  }
  return true;
}

bool IGraphics::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  mLastMouseX = x;
  mLastMouseY = y;
  IControl* control = GetMouseControl(x, y, false, true);
  if (control != mMouseOver)
  {
    if (mMouseOver)
      mMouseOver->OnMouseOut();
    mMouseOver = control;
  }
  if (control)
    control->OnMouseOver(x, y, mod);
  return control != nullptr;
}

void IGraphics::OnMouseOut()
{
  SetMouseCursor(ECursor::ARROW);
  ForAllControls(&IControl::OnMouseOut);
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
}

void IGraphics::OnMouseWheel(float x, float y, const IMouseMod& mod, float delta)
{
  if (IControl* control = GetMouseControl(x, y, false))
    control->OnMouseWheel(x, y, mod, delta);
}

bool IGraphics::OnKeyDown(float x, float y, const IKeyPress& key)
{
  IControl* control = GetMouseControl(x, y, false);
  if (control && control != mControls.Get(0) && control->OnKeyDown(x, y, key))
    return true;
  return mKeyHandlerFunc ? mKeyHandlerFunc(key, false) : false;
}

bool IGraphics::OnKeyUp(float x, float y, const IKeyPress& key)
{
  IControl* control = GetMouseControl(x, y, false);
  if (control && control != mControls.Get(0) && control->OnKeyUp(x, y, key))
    return true;
  return mKeyHandlerFunc ? mKeyHandlerFunc(key, true) : false;
}

void IGraphics::OnDrop(const char* str, float x, float y)
{
  if (IControl* control = GetMouseControl(x, y, false))
    control->OnDrop(str);
}

int IGraphics::GetParamIdxForPTAutomation(float x, float y)
{
  IControl* control = GetMouseControl(x, y, false);
  mLastClickedParam = control ? control->GetParamIdx(0) : kNoParameter;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation()
{
  const int param = mLastClickedParam;
  mLastClickedParam = kNoParameter;
  return param;
}

} // namespace iplug::igraphics
