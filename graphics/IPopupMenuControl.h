#pragma once
// What the graphics host needs of an in-editor popup menu: show a menu and
// say whether one is showing. When none is attached the platform's native
// menu is used.

#include "graphics/IControl.h"

namespace iplug::igraphics {

class IPopupMenuControl : public IControl
{
public:
  IPopupMenuControl() : IControl(IRECT(), kNoParameter) {}

  /** Shows `menu` at `bounds`; the choice goes to IGraphics::SetControlValueAfterPopupMenu. */
  virtual void CreatePopupMenu(IPopupMenu& menu, const IRECT& bounds) = 0;
  /** Whether a menu is showing. */
  virtual bool GetExpanded() const = 0;
};

} // namespace iplug::igraphics
