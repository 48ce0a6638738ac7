#include "graphics/ICornerResizerControl.h"

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

ICornerResizerControl::ICornerResizerControl(const IRECT& rect, float size, const IColor& color,
                                             const IColor& mouseOverColor, const IColor& dragColor)
: IControl(rect)
, mSize(size)
, mColor(color)
, mMouseOverColor(mouseOverColor)
, mDragColor(dragColor)
{}

void ICornerResizerControl::OnRescale()
{
  IGraphics* ui = GetUI();
  if (!ui)
    return;
  if (mInitialGraphicsBounds.Empty())
    mInitialGraphicsBounds = ui->GetBounds(); // the size a double click comes back to
  const auto w = static_cast<float>(ui->Width());
  const auto h = static_cast<float>(ui->Height());
  const float s = mSize / ui->GetDrawScale();
  SetTargetAndDrawRECTs(IRECT(w - s, h - s, w, h));
  OnResize();
}

void ICornerResizerControl::Draw(IGraphics& g)
{
  const IColor& color = g.GetResizingInProgress() ? mDragColor : (mMouseOver ? mMouseOverColor : mColor);
  g.FillTriangle(color, mRECT.L, mRECT.B, mRECT.R, mRECT.T, mRECT.R, mRECT.B);
}

void ICornerResizerControl::OnMouseDown(float, float, const IMouseMod&)
{
  if (IGraphics* ui = GetUI())
    ui->StartDragResize();
}

void ICornerResizerControl::OnMouseDblClick(float, float, const IMouseMod&)
{
  if (IGraphics* ui = GetUI())
    ui->Resize(static_cast<int>(mInitialGraphicsBounds.W()), static_cast<int>(mInitialGraphicsBounds.H()), 1.f, true);
}

void ICornerResizerControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  if (!mMouseOver)
  {
    if (IGraphics* ui = GetUI())
      mPrevCursor = ui->SetMouseCursor(ECursor::SIZENWSE);
  }
  mMouseOver = true;
  IControl::OnMouseOver(x, y, mod);
}

void ICornerResizerControl::OnMouseOut()
{
  if (mMouseOver)
  {
    if (IGraphics* ui = GetUI())
      ui->SetMouseCursor(mPrevCursor);
  }
  mMouseOver = false;
  IControl::OnMouseOut();
}

} // namespace iplug::igraphics
