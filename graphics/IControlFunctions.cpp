#include "graphics/IControlFunctions.h"

#include "graphics/IGraphics.h"
#include "graphics/IVectorBase.h"

namespace iplug::igraphics {

void EmptyClickActionFunc(IControl*) {}

void DefaultClickActionFunc(IControl* caller)
{
  caller->SetAnimation(DefaultAnimationFunc, DEFAULT_ANIMATION_DURATION);
}

void SplashClickActionFunc(IControl* caller)
{
  if (auto* vector = dynamic_cast<IVectorBase*>(caller); vector && caller->GetUI())
  {
    float x = 0.f, y = 0.f;
    caller->GetUI()->GetMouseDownPoint(x, y);
    vector->SetSplashPoint(x, y);
  }
  caller->SetAnimation(SplashAnimationFunc, DEFAULT_ANIMATION_DURATION);
}

void DefaultAnimationFunc(IControl* caller)
{
  if (caller->GetAnimationProgress() > 1.0)
    caller->OnEndAnimation();
}

void SplashAnimationFunc(IControl* caller)
{
  const double progress = caller->GetAnimationProgress();
  if (progress > 1.0)
  {
    caller->OnEndAnimation();
    return;
  }
  if (auto* vector = dynamic_cast<IVectorBase*>(caller))
  {
    vector->SetSplashRadius(static_cast<float>(progress) * vector->GetMaxSplashRadius());
    caller->SetDirty(false);
  }
}

namespace {

void ShowBubble(IControl* caller, EDirection dir, const IRECT& minContent)
{
  IGraphics* ui = caller->GetUI();
  const IParam* param = caller->GetParam(0);
  if (!ui || !param)
    return;
  WDL_String display;
  param->GetDisplayWithLabel(display, true);
  const IRECT& r = caller->GetRECT();
  if (dir == EDirection::Horizontal)
    ui->ShowBubbleControl(caller, r.R, r.MH(), display.Get(), dir, minContent);
  else
    ui->ShowBubbleControl(caller, r.MW(), r.T, display.Get(), dir, minContent);
}

} // namespace

void ShowBubbleHorizontalActionFunc(IControl* caller) { ShowBubble(caller, EDirection::Horizontal, {0, 0, 50, 30}); }
void ShowBubbleVerticalActionFunc(IControl* caller) { ShowBubble(caller, EDirection::Vertical, {0, 0, 50, 30}); }
void ShowBubbleHorizontalActionFuncSTD(IControl* caller) { ShowBubble(caller, EDirection::Horizontal, {0, 0, 50, 20}); }
void ShowBubbleVerticalActionFuncSTD(IControl* caller) { ShowBubble(caller, EDirection::Vertical, {0, 0, 50, 20}); }

} // namespace iplug::igraphics
