#pragma once
// Diagnostic overlay: a graph of the last 100 frame intervals and their
// average as frames per second, milliseconds or a percentage. The graphics
// host feeds it one interval per frame and draws it above ordinary controls.

#include "core/WDL_String.h"
#include "graphics/IControl.h"
#include "graphics/IVectorBase.h"

namespace iplug::igraphics {

class IFPSDisplayControl : public IControl, public IVectorBase
{
public:
  enum EStyle
  {
    kFPS = 0,
    kMS = 1,
    kPercentage = 2
  };

  static constexpr int kNumSamples = 100;

  IFPSDisplayControl(const IRECT& bounds, EStyle style = kFPS, const char* label = "Frame Time");

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  bool IsDirty() override { return true; }
  void Draw(IGraphics& g) override;

  /** Stores a new frame interval (seconds) at the next position of the ring. */
  void Update(float interval);

  EStyle GetStyle() const { return mStyle; }
  /** Sample `i` positions after the newest, wrapping (0 is the newest). */
  float GetSample(int i) const { return mHistory[(i + mWritePos) % kNumSamples]; }
  /** Mean of the 100 stored intervals, in seconds. */
  float GetMean() const;

private:
  EStyle mStyle;
  WDL_String mLabel;
  float mHistory[kNumSamples] = {};
  int mWritePos = 0;
  IText mAPIText;
  IText mMainValueText;
  IText mSecondaryValueText;
};

} // namespace iplug::igraphics
