#include "graphics/IBSliderControl.h"

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

namespace {

IRECT TrackRECT(float x, float y, float length, const IBitmap& handle, EDirection direction)
{
  if (direction == EDirection::Vertical)
    return IRECT(x, y, x + static_cast<float>(handle.FW()), y + length);
  return IRECT(x, y, x + length, y + static_cast<float>(handle.FH()));
}

} // namespace

IBSliderControl::IBSliderControl(float x, float y, float trackLength, const IBitmap& handleBitmap,
                                 const IBitmap& trackBitmap, int paramIdx, EDirection direction, double gearing)
: IBSliderControl(TrackRECT(x, y, trackLength, handleBitmap, direction), handleBitmap, trackBitmap, paramIdx, direction,
                  gearing)
{}

IBSliderControl::IBSliderControl(const IRECT& bounds, const IBitmap& handleBitmap, const IBitmap& trackBitmap,
                                 int paramIdx, EDirection direction, double gearing)
: ISliderControlBase(bounds, paramIdx, direction, gearing,
                     static_cast<float>(direction == EDirection::Vertical ? handleBitmap.FH() : handleBitmap.FW()))
, IBitmapBase(handleBitmap)
, mTrackBitmap(trackBitmap)
{
  AttachIControl(this);
}

void IBSliderControl::OnResize()
{
  ISliderControlBase::OnResize();
  if (mTrackBitmap.IsValid())
    mTrackBounds = mRECT.GetCentredInside(static_cast<float>(mTrackBitmap.FW()), static_cast<float>(mTrackBitmap.FH()));
  else if (mDirection == EDirection::Vertical)
    mTrackBounds = mRECT.GetCentredInside(static_cast<float>(mBitmap.FW()), mRECT.H());
  else
    mTrackBounds = mRECT.GetCentredInside(mRECT.W(), static_cast<float>(mBitmap.FH()));
}

void IBSliderControl::OnRescale()
{
  RescaleBitmap();
  if (IGraphics* ui = GetUI(); ui && mTrackBitmap.IsValid())
    if (IBitmap scaled = ui->GetScaledBitmap(mTrackBitmap); scaled.IsValid())
      mTrackBitmap = scaled;
}

IRECT IBSliderControl::GetHandleBounds(double v) const
{
  const auto hw = static_cast<float>(mBitmap.FW());
  const auto hh = static_cast<float>(mBitmap.FH());
  const auto fv = static_cast<float>(v);
  if (mDirection == EDirection::Horizontal)
  {
    const float left = mTrackBounds.L + (mTrackBounds.W() - hw) * fv;
    const float top = mTrackBounds.MH() - hh / 2.f;
    return IRECT(left, top, left + hw, top + hh);
  }
  const float top = mTrackBounds.T + (mTrackBounds.H() - hh) * (1.f - fv);
  const float left = mTrackBounds.MW() - hw / 2.f;
  return IRECT(left, top, left + hw, top + hh);
}

void IBSliderControl::Draw(IGraphics& g)
{
  if (mTrackBitmap.IsValid())
    g.DrawBitmap(mTrackBitmap,
                 mRECT.GetCentredInside(static_cast<float>(mTrackBitmap.FW()), static_cast<float>(mTrackBitmap.FH())),
                 1, &mBlend);
  if (mBitmap.IsValid())
    g.DrawBitmap(mBitmap, GetHandleBounds(GetValue()), 1, &mBlend);
}

} // namespace iplug::igraphics
