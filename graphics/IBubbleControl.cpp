#include "graphics/IBubbleControl.h"

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

namespace {

void BubbleAnimation(IControl* control) { static_cast<IBubbleControl*>(control)->OnAnimationFrame(); }

} // namespace

IBubbleControl::IBubbleControl(const IText& text, const IColor& fillColor, const IColor& strokeColor, float roundness)
: IControl(IRECT(), kNoParameter)
, mRoundness(roundness)
, mFillColor(fillColor)
, mStrokeColor(strokeColor)
{
  mText = text;
  mHide = true;
  mIgnoreMouse = true;
  mBlend = IBlend(EBlend::SrcOver, 0.f);

  // Every dirty-with-action starts a fade; the end of the fade-in starts the hold.
  SetActionFunction([](IControl* c) { c->SetAnimation(BubbleAnimation, kFadeMs); });
  SetAnimationEndActionFunction([](IControl* c) {
    if (static_cast<IBubbleControl*>(c)->GetState() == EState::Shown)
      c->SetAnimation(BubbleAnimation, kHoldMs);
  });
}

void IBubbleControl::OnAnimationFrame()
{
  const double progress = GetAnimationProgress();
  if (progress <= 1.0)
  {
    switch (mState)
    {
      case EState::FadingIn: mBlend.mWeight = static_cast<float>(progress) * mMaxOpacity; break;
      case EState::Shown: mBlend.mWeight = mMaxOpacity; break;
      case EState::FadingOut: mBlend.mWeight = static_cast<float>(1.0 - progress) * mMaxOpacity; break;
      case EState::Hidden: break;
    }
    return;
  }

  switch (mState)
  {
    case EState::FadingIn:
      mBlend.mWeight = mMaxOpacity;
      mState = EState::Shown;
      OnEndAnimation(); // its end function starts the hold
      break;
    case EState::Shown:
      if (mCaller && GetUI() && GetUI()->ControlIsCaptured(mCaller))
      {
        SetDirty(true); // still held: look again after another fade period
      }
      else
      {
        mBlend.mWeight = mMaxOpacity;
        mState = EState::FadingOut;
        SetDirty(true);
      }
      break;
    case EState::FadingOut:
      mBlend.mWeight = 0.f;
      Hide(true);
      mState = EState::Hidden;
      mTouchID = 0;
      SetDirty(false);
      OnEndAnimation();
      break;
    case EState::Hidden: OnEndAnimation(); break;
  }
}

void IBubbleControl::MeasureText(const char* str, IRECT& contentBounds) const
{
  if (GetUI())
    GetUI()->MeasureText(mText, str, contentBounds);
}

void IBubbleControl::ShowBubble(IControl* caller, float x, float y, const char* str, EDirection dir,
                                IRECT minimumContentBounds, ITouchID touchID)
{
  IGraphics* ui = GetUI();
  if (!ui)
    return;

  if (mMaxBounds.W() == 0.f)
    mMaxBounds = ui->GetBounds();

  mDirection = dir;
  mTouchID = touchID;
  mStr.Set(str ? str : "");

  IRECT content;
  MeasureText(mStr.Get(), content);
  if (!minimumContentBounds.Empty())
  {
    if (content.W() < minimumContentBounds.W())
      content.R = content.L + minimumContentBounds.W();
    if (content.H() < minimumContentBounds.H())
      content.B = content.T + minimumContentBounds.H();
  }

  const float pad = mHorizontalPadding;
  const float shadow = mDropShadowSize;
  content = IRECT(content.L - pad - shadow, content.T - shadow, content.R + pad + shadow, content.B + shadow);
  const float w = content.W();
  const float h = content.H();

  IRECT bubble;
  if (dir == EDirection::Horizontal)
  {
    bubble = IRECT(x, y - h / 2.f, x + w, y + h / 2.f);
    if (bubble.R > mMaxBounds.R - pad - shadow)
    {
      // No room to the right: put it to the left of the caller, arrow pointing right.
      const float left = (caller ? caller->GetRECT().L : x) - w;
      bubble = IRECT(left, bubble.T, left + w, bubble.B);
      mArrowDir = kArrowRight;
    }
    else
      mArrowDir = kArrowLeft;
  }
  else
  {
    bubble = IRECT(x - w / 2.f, y - h, x + w / 2.f, y);
    if (bubble.T < mMaxBounds.T)
    {
      // No room above: below the caller, arrow pointing up.
      const float down = (caller ? caller->GetRECT().H() : 0.f) + h;
      bubble = IRECT(bubble.L, bubble.T + down, bubble.R, bubble.B + down);
      mArrowDir = kArrowUp;
    }
    else
      mArrowDir = kArrowDown;
  }
  mBubbleBounds = bubble;

  // Covers the old and the new place, so both are redrawn.
  SetRECT(mRECT.Union(mBubbleBounds));
  OnResize();

  if (mState == EState::Hidden)
  {
    Hide(false);
    mState = EState::FadingIn;
    SetDirty(true);
  }

  if (caller != mCaller)
  {
    SetRECT(mBubbleBounds);
    ui->SetAllControlsDirty();
  }
  mCaller = caller;
}

void IBubbleControl::Draw(IGraphics& g)
{
  const IRECT inner = mBubbleBounds.GetPadded(-mDropShadowSize);
  g.DrawFastDropShadow(inner, mBubbleBounds, 2.f, mRoundness, 10.f, &mBlend);
  DrawBubble(g, inner);
  DrawContent(g, inner);
}

void IBubbleControl::DrawContent(IGraphics& g, const IRECT& r)
{
  if (mStr.GetLength() > 0)
    g.DrawText(mText, mStr.Get(), r, &mBlend);
}

void IBubbleControl::DrawBubble(IGraphics& g, const IRECT& r)
{
  const float rad = mRoundness;
  const float a = mArrowSize;
  const float cx = r.MW();
  const float cy = r.MH();
  const auto topRight = [&] { g.PathArc(r.R - rad, r.T + rad, rad, 0.f, 90.f); };
  const auto bottomRight = [&] { g.PathArc(r.R - rad, r.B - rad, rad, 90.f, 180.f); };
  const auto bottomLeft = [&] { g.PathArc(r.L + rad, r.B - rad, rad, 180.f, 270.f); };

  g.PathClear();
  g.PathMoveTo(r.L, r.T + rad);
  g.PathArc(r.L + rad, r.T + rad, rad, 270.f, 360.f);
  switch (mArrowDir)
  {
    case kArrowUp:
      g.PathLineTo(cx - a / 2.f, r.T);
      g.PathLineTo(cx, r.T - a);
      g.PathLineTo(cx + a / 2.f, r.T);
      topRight();
      bottomRight();
      bottomLeft();
      break;
    case kArrowRight:
      topRight();
      g.PathLineTo(r.R, cy - a / 2.f);
      g.PathLineTo(r.R + a, cy);
      g.PathLineTo(r.R, cy + a / 2.f);
      bottomRight();
      bottomLeft();
      break;
    case kArrowDown:
      topRight();
      bottomRight();
      g.PathLineTo(cx + a / 2.f, r.B);
      g.PathLineTo(cx, r.B + a);
      g.PathLineTo(cx - a / 2.f, r.B);
      bottomLeft();
      break;
    default:
      topRight();
      bottomRight();
      bottomLeft();
      g.PathLineTo(r.L, cy + a / 2.f);
      g.PathLineTo(r.L - a, cy);
      g.PathLineTo(r.L, cy - a / 2.f);
      break;
  }
  g.PathClose();
  g.PathFill(mFillColor, IFillOptions(true), &mBlend);
  IStrokeOptions stroke;
  stroke.mMiterLimit = 10.f;
  g.PathStroke(mStrokeColor, mStrokeThickness, stroke, &mBlend);
}

} // namespace iplug::igraphics
