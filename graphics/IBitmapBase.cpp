#include "graphics/IBitmapBase.h"

#include <algorithm>
#include <cmath>

#include "graphics/IControl.h"
#include "graphics/IGraphics.h"

namespace iplug::igraphics {

int IBitmapBase::FrameForValue(double value, int nFrames)
{
  if (nFrames < 2)
    return 1;
  // Clamped before the conversion, so a stray value (or NaN) cannot overflow the int.
  const double t = std::trunc(static_cast<double>(nFrames - 1) * value + 0.5);
  const double step = std::isnan(t) ? 0.0 : std::clamp(t, 0.0, static_cast<double>(nFrames - 1));
  return static_cast<int>(step) + 1;
}

void IBitmapBase::DrawBitmap(IGraphics& g)
{
  if (!mControl || !mBitmap.IsValid())
    return;
  const int n = mBitmap.N();
  const int frame = FrameForValue(mControl->GetValue(0), n);

  const IRECT& r = mControl->GetRECT();
  const auto fw = static_cast<float>(mBitmap.FW());
  const auto fh = static_cast<float>(mBitmap.FH());
  const float left = (r.L + r.R) / 2.f - fw / 2.f;
  const float top = (r.T + r.B) / 2.f - fh / 2.f;
  const IRECT dest(left, top, left + fw, top + fh);

  int srcX = 0, srcY = 0;
  if (frame > 1)
  {
    if (mBitmap.GetFramesAreHorizontal())
      srcX = (frame - 1) * mBitmap.W() / n;
    else
      srcY = (frame - 1) * mBitmap.H() / n;
  }
  g.DrawBitmap(mBitmap, dest, srcX, srcY, &mControl->GetBlend());
}

void IBitmapBase::RescaleBitmap()
{
  IGraphics* ui = mControl ? mControl->GetUI() : nullptr;
  if (!ui || !mBitmap.IsValid())
    return;
  if (IBitmap scaled = ui->GetScaledBitmap(mBitmap); scaled.IsValid())
    mBitmap = scaled;
}

} // namespace iplug::igraphics
