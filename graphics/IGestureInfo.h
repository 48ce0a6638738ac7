#pragma once
// A recognised touch gesture delivered to a control's gesture handler.

#include "graphics/IGraphicsEnums.h"

namespace iplug::igraphics {

struct IGestureInfo
{
  float x = 0.f;
  float y = 0.f;
  float scale = 0.f;
  float velocity = 0.f;
  float angle = 0.f;
  EGestureType type = EGestureType::Unknown;
};

} // namespace iplug::igraphics
