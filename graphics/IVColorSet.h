#pragma once
// The colour set of vector-drawn controls.

#include "graphics/IColor.h"

namespace iplug::igraphics {

enum class EVColor : int
{
  Background = 0,
  Foreground,
  Pressed,
  Frame,
  Highlight,
  Shadow,
  Extra1,
  Extra2,
  Extra3,
  NumColors
};

struct IVColorSet
{
  IColor mColors[static_cast<int>(EVColor::NumColors)] = {
    DEFAULT_BGCOLOR, DEFAULT_FGCOLOR, DEFAULT_PRCOLOR, DEFAULT_FRCOLOR, DEFAULT_HLCOLOR,
    DEFAULT_SHCOLOR, DEFAULT_X1COLOR, DEFAULT_X2COLOR, DEFAULT_X3COLOR,
  };

  const IColor& Get(EVColor c) const { return mColors[static_cast<int>(c)]; }
  void Set(EVColor c, const IColor& color) { mColors[static_cast<int>(c)] = color; }
};

} // namespace iplug::igraphics
