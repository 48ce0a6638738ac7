#pragma once
// Pointer events as the platform view delivers them, in editor points.

#include <cstdint>
#include <vector>

namespace iplug::igraphics {

/** Identifies one pointer: 0 for the mouse, a platform value per touch. */
using ITouchID = uintptr_t;

/** Buttons and modifier keys held during a pointer event. */
struct IMouseMod
{
  bool L = false;
  bool R = false;
  bool S = false;
  bool C = false;
  bool A = false;
  ITouchID touchID = 0;
  float touchRadius = 0.f;

  constexpr IMouseMod(bool l = false, bool r = false, bool s = false, bool c = false, bool a = false,
                      ITouchID touch = 0)
  : L(l)
  , R(r)
  , S(s)
  , C(c)
  , A(a)
  , touchID(touch)
  {}

  constexpr bool IsTouch() const { return touchID != 0; }
};

/** One pointer of an event: position, movement since the previous event, modifiers. */
struct IMouseInfo
{
  float x = 0.f;
  float y = 0.f;
  float dX = 0.f;
  float dY = 0.f;
  IMouseMod ms;
};

using IMouseInfos = std::vector<IMouseInfo>;

} // namespace iplug::igraphics
