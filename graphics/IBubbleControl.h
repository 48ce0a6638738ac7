#pragma once
// The value bubble: a rounded, shadowed speech bubble with an arrow that
// shows a parameter's display text beside the control being edited. It fades
// in over 200 ms, holds for 1000 ms and for as long as the control is held,
// then fades out over 200 ms. The graphics host owns it as an overlay.

#include "core/WDL_String.h"
#include "graphics/IControl.h"

namespace iplug::igraphics {

class IBubbleControl : public IControl
{
public:
  enum class EState : int
  {
    Hidden = 0,
    FadingIn,
    Shown,
    FadingOut
  };
  /** Which edge the arrow sits on, pointing outwards. */
  enum EArrowDir : int
  {
    kArrowUp = 0,
    kArrowRight,
    kArrowDown,
    kArrowLeft
  };

  static constexpr double kFadeMs = 200.0;
  static constexpr double kHoldMs = 1000.0;

  IBubbleControl(const IText& text = DEFAULT_TEXT, const IColor& fillColor = COLOR_WHITE,
                 const IColor& strokeColor = COLOR_BLACK, float roundness = 0.f);

  void Draw(IGraphics& g) override;
  virtual void DrawContent(IGraphics& g, const IRECT& r);
  virtual void DrawBubble(IGraphics& g, const IRECT& r);
  /** The text's bounds in the bubble's text style. */
  virtual void MeasureText(const char* str, IRECT& contentBounds) const;

  /** Shows `str` for `caller` anchored at (x, y): beside it (horizontal) or above it (vertical),
      flipped to the other side where the editor's edge is in the way. */
  virtual void ShowBubble(IControl* caller, float x, float y, const char* str, EDirection dir,
                          IRECT minimumContentBounds, ITouchID touchID = 0);

  ITouchID GetTouchID() const { return mTouchID; }
  EState GetState() const { return mState; }
  int GetArrowDir() const { return mArrowDir; }
  const IRECT& GetBubbleBounds() const { return mBubbleBounds; }
  const IRECT& GetMaxBounds() const { return mMaxBounds; }
  IControl* GetCaller() const { return mCaller; }
  const char* GetStr() const { return mStr.Get(); }
  float GetOpacity() const { return mBlend.mWeight; }

  /** One animation frame: the opacity of the running fade and the step to the next state. */
  void OnAnimationFrame();

protected:
  ITouchID mTouchID = 0;
  EDirection mDirection = EDirection::Horizontal;
  IRECT mMaxBounds;
  IRECT mBubbleBounds;
  IControl* mCaller = nullptr;
  int mArrowDir = kArrowLeft;
  WDL_String mStr;
  float mRoundness;
  float mDropShadowSize = 10.f;
  float mArrowSize = 10.f;
  float mMaxOpacity = 0.95f;
  float mStrokeThickness = 2.f;
  float mHorizontalPadding = 5.f;
  IColor mFillColor;
  IColor mStrokeColor;
  EState mState = EState::Hidden;
};

} // namespace iplug::igraphics
