#pragma once
// What a path is stroked or filled with: a solid colour or a gradient of up to
// 16 stops, with a transform from user space to pattern space.

#include "graphics/IColor.h"
#include "graphics/IGraphicsEnums.h"
#include "graphics/IMatrix.h"

namespace iplug::igraphics {

struct IColorStop
{
  IColor mColor;
  float mOffset = 0.f;
};

struct IPattern
{
  static constexpr int kMaxStops = 16;

  EPatternType mType = EPatternType::Solid;
  EPatternExtend mExtend = EPatternExtend::Pad;
  IColorStop mStops[kMaxStops] = {};
  int mNStops = 0;
  IMatrix mTransform;

  IPattern() = default;

  /** A solid pattern: one stop holding the colour, identity transform. */
  IPattern(const IColor& color)
  {
    mStops[0] = {color, 0.f};
    mNStops = 1;
  }

  explicit IPattern(EPatternType type) : mType(type) {}

  /** Appends a stop; ignored when all 16 are in use. */
  void AddStop(const IColor& color, float offset)
  {
    if (mNStops < kMaxStops)
      mStops[mNStops++] = {color, offset};
  }

  const IColorStop& GetStop(int i) const { return mStops[i < 0 ? 0 : (i >= kMaxStops ? kMaxStops - 1 : i)]; }
};

} // namespace iplug::igraphics
