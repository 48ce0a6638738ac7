#pragma once
// How a path is stroked: miter limit, caps, joins and dashes.

#include "graphics/IGraphicsEnums.h"

namespace iplug::igraphics {

struct IStrokeOptions
{
  /** Up to eight dash lengths and their phase; no entries draws a solid line. */
  struct DashOptions
  {
    float mArray[8] = {};
    float mOffset = 0.f;
    int mCount = 0;

    void SetDash(const float* lengths, float offset, int count)
    {
      mCount = count < 0 ? 0 : (count > 8 ? 8 : count);
      for (int i = 0; i < mCount; ++i)
        mArray[i] = lengths[i];
      mOffset = offset;
    }
  };

  float mMiterLimit = 10.f;
  bool mPreserve = false;
  ELineCap mCapOption = ELineCap::Butt;
  ELineJoin mJoinOption = ELineJoin::Miter;
  DashOptions mDash;
};

} // namespace iplug::igraphics
