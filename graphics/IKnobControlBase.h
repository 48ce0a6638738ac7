#pragma once
// Knob interaction: relative drag along one axis, fine control with Shift or
// Control, wheel steps; stepped parameters move in whole steps.

#include "graphics/IControl.h"

namespace iplug::igraphics {

class IKnobControlBase : public IControl
{
public:
  IKnobControlBase(const IRECT& bounds, int paramIdx = kNoParameter, EDirection direction = EDirection::Vertical,
                   double gearing = DEFAULT_GEARING);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override;

  /** The rectangle whose height (or width) the gearing is measured in. */
  virtual IRECT GetKnobDragBounds() { return mTargetRECT; }

  bool IsFineControl(const IMouseMod& mod) const { return mod.S || mod.C; }
  void SetGearing(double gearing) { mGearing = gearing; }
  double GetGearing() const { return mGearing; }
  void SetHideCursorOnDrag(bool hide) { mHideCursorOnDrag = hide; }
  bool GetMouseDown() const { return mMouseDown; }
  double GetDragValue() const { return mMouseDragValue; }

protected:
  bool mHideCursorOnDrag = true;
  EDirection mDirection;
  double mGearing;
  bool mMouseDown = false;
  double mMouseDragValue = 0.0;
};

/** Shared by knobs and sliders: the value a drag or wheel step should land on. */
double ConstrainToStep(const IControl& control, double normalised);
/** `dragValue` moved by a drag of (dX, dY) over `bounds` in `direction`, with the
 *  whole range taking `gearing` times the bounds' extent; clamped to 0..1. A
 *  zero-sized area gives no movement rather than NaN. */
double DragValue(double dragValue, float dX, float dY, const IRECT& bounds, EDirection direction, double gearing);
/** One wheel movement of `d` applied to `value`: a whole step for stepped parameters, else 1 % (0.1 % fine). */
double WheelValue(const IControl& control, double value, float d, bool fine);

} // namespace iplug::igraphics
