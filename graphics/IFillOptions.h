#pragma once
// How a path is filled: fill rule and whether the path survives the fill.

#include "graphics/IGraphicsEnums.h"

namespace iplug::igraphics {

struct IFillOptions
{
  EFillRule mFillRule = EFillRule::Winding;
  bool mPreserve = false;

  constexpr IFillOptions() = default;
  constexpr IFillOptions(bool preserve, EFillRule rule = EFillRule::Winding) : mFillRule(rule), mPreserve(preserve) {}
};

} // namespace iplug::igraphics
