#pragma once
// The triangle in the editor's bottom-right corner: dragging it resizes (or
// rescales) the editor, a double click restores the size it was attached at.
// It keeps the same size on screen at every draw scale.

#include "graphics/IControl.h"

namespace iplug::igraphics {

class ICornerResizerControl : public IControl
{
public:
  ICornerResizerControl(const IRECT& rect, float size, const IColor& color = COLOR_TRANSLUCENT,
                        const IColor& mouseOverColor = COLOR_BLACK, const IColor& dragColor = COLOR_BLACK);

  void Draw(IGraphics& g) override;
  void OnRescale() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;

  float GetSize() const { return mSize; }

private:
  float mSize;
  bool mMouseOver = false;
  ECursor mPrevCursor = ECursor::ARROW;
  IRECT mInitialGraphicsBounds;
  IColor mColor;
  IColor mMouseOverColor;
  IColor mDragColor;
};

} // namespace iplug::igraphics
