#pragma once
// The X11 cursor shown for each ECursor: a themed cursor by name (Xcursor),
// else the matching shape of the core cursor font, which every server has.

#include <array>

#include "graphics/IGraphicsEnums.h"

namespace iplug::igraphics::x11 {

struct CursorChoice
{
  /** Theme names to try in order: the freedesktop name first, then older aliases. */
  std::array<const char*, 3> names;
  /** Core cursor-font shape (X11/cursorfont.h) used when the theme has none of the names. */
  unsigned fontShape;
};

/** The shape for `cursor`; unknown values get the arrow. */
const CursorChoice& CursorShapeFor(ECursor cursor);

} // namespace iplug::igraphics::x11
