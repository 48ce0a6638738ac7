#pragma once
// Momentary button: a press sets the value to 1, the end of its animation
// sets it back to 0. With DefaultClickActionFunc it lights for 100 ms.

#include "graphics/IControl.h"

namespace iplug::igraphics {

class IButtonControlBase : public IControl
{
public:
  IButtonControlBase(const IRECT& bounds, IActionFunction actionFunc);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnEndAnimation() override;
};

} // namespace iplug::igraphics
