#pragma once
// What the graphics host needs of an in-editor text field: open it for a
// parameter and say whether editing is in progress. When none is attached
// the platform's native text field is used.

#include "graphics/IControl.h"

namespace iplug::igraphics {

class ITextEntryControl : public IControl
{
public:
  ITextEntryControl() : IControl(IRECT(), kNoParameter) {}

  /** Opens the field; the result goes to IGraphics::SetControlValueAfterTextEdit. */
  virtual void CreateTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
                               const char* str) = 0;
  virtual bool EditInProgress() const = 0;
};

} // namespace iplug::igraphics
