#pragma once
// Mix-in of vector-drawn controls: their colour set and the splash of the
// click animation (origin and growing radius).

#include <algorithm>

#include "graphics/IVColorSet.h"

namespace iplug::igraphics {

class IVectorBase
{
public:
  explicit IVectorBase(const IVColorSet& colors = {}) : mColors(colors) {}
  virtual ~IVectorBase() = default;

  const IColor& GetColor(EVColor c) const { return mColors.Get(c); }
  void SetColor(EVColor c, const IColor& color) { mColors.Set(c, color); }
  const IVColorSet& GetColors() const { return mColors; }

  void SetSplashPoint(float x, float y)
  {
    mSplashX = x;
    mSplashY = y;
  }
  float GetSplashX() const { return mSplashX; }
  float GetSplashY() const { return mSplashY; }
  void SetSplashRadius(float radius) { mSplashRadius = radius; }
  float GetSplashRadius() const { return mSplashRadius; }
  void SetMaxSplashRadius(float radius) { mMaxSplashRadius = radius; }
  float GetMaxSplashRadius() const { return mMaxSplashRadius; }

protected:
  IVColorSet mColors;
  float mSplashX = 0.f;
  float mSplashY = 0.f;
  float mSplashRadius = 0.f;
  float mMaxSplashRadius = 50.f;
};

} // namespace iplug::igraphics
