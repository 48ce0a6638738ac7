#pragma once
// Mix-in of the filmstrip controls: holds the bitmap, picks the frame for the
// control's value and draws it centred in the control's rectangle.

#include "graphics/IBitmap.h"

namespace iplug::igraphics {

class IControl;
class IGraphics;

class IBitmapBase
{
public:
  explicit IBitmapBase(const IBitmap& bitmap) : mBitmap(bitmap) {}
  virtual ~IBitmapBase() = default;

  /** The control this mix-in draws for: the same object. */
  void AttachIControl(IControl* control) { mControl = control; }

  /** Draws the frame for the control's value 0, one frame in size, centred in its rectangle. */
  void DrawBitmap(IGraphics& g);
  /** Loads the bitmap again for the host's screen scale; a failed load keeps the current one. */
  void RescaleBitmap();

  const IBitmap& GetBitmap() const { return mBitmap; }

  /** 1-based frame of an `nFrames` strip for a normalised value: the nearest step, halves rounding up. */
  static int FrameForValue(double value, int nFrames);

protected:
  IBitmap mBitmap;
  IControl* mControl = nullptr;
};

} // namespace iplug::igraphics
