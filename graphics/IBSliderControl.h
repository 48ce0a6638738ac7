#pragma once
// A slider drawn from bitmaps: an optional track picture and a handle that
// travels along it.

#include "graphics/IBitmapBase.h"
#include "graphics/ISliderControlBase.h"

namespace iplug::igraphics {

class IBSliderControl : public ISliderControlBase, public IBitmapBase
{
public:
  /** A track of `trackLength` points from (x, y) along `direction`, as thick as the handle. */
  IBSliderControl(float x, float y, float trackLength, const IBitmap& handleBitmap, const IBitmap& trackBitmap,
                  int paramIdx = kNoParameter, EDirection direction = EDirection::Vertical,
                  double gearing = DEFAULT_GEARING);
  IBSliderControl(const IRECT& bounds, const IBitmap& handleBitmap, const IBitmap& trackBitmap,
                  int paramIdx = kNoParameter, EDirection direction = EDirection::Vertical,
                  double gearing = DEFAULT_GEARING);

  void Draw(IGraphics& g) override;
  void OnResize() override;
  void OnRescale() override;

  /** Where the handle's first frame is drawn for value `v`. */
  IRECT GetHandleBounds(double v) const;

private:
  IBitmap mTrackBitmap;
};

} // namespace iplug::igraphics
