#pragma once
// Slider interaction along a track: a press jumps to the pointer, drags are
// relative (like a knob) while the cursor is hidden, absolute for touches.

#include "graphics/IControl.h"

namespace iplug::igraphics {

class ISliderControlBase : public IControl
{
public:
  ISliderControlBase(const IRECT& bounds, int paramIdx = kNoParameter, EDirection dir = EDirection::Vertical,
                     double gearing = DEFAULT_GEARING, float handleSize = 0.f);
  ISliderControlBase(const IRECT& bounds, IActionFunction actionFunc, EDirection dir = EDirection::Vertical,
                     double gearing = DEFAULT_GEARING, float handleSize = 0.f);

  void OnResize() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override;

  bool IsFineControl(const IMouseMod& mod) const { return mod.S || mod.C; }
  const IRECT& GetTrackBounds() const { return mTrackBounds; }
  void SetHideCursorOnDrag(bool hide) { mHideCursorOnDrag = hide; }
  bool GetMouseDown() const { return mMouseDown; }

protected:
  bool IsStepped() const;

  bool mHideCursorOnDrag = true;
  EDirection mDirection;
  IRECT mTrackBounds;
  float mHandleSize;
  double mGearing;
  bool mMouseDown = false;
  double mMouseDragValue = 0.0;
};

} // namespace iplug::igraphics
