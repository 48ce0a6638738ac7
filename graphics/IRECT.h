#pragma once
// Rectangle in editor points. All four fields zero is the empty rectangle.
// Point containment is half-open on the right and bottom edges.

#include <algorithm>
#include <cmath>

#include "graphics/IBitmap.h"

namespace iplug::igraphics {

struct IRECT
{
  float L = 0.f;
  float T = 0.f;
  float R = 0.f;
  float B = 0.f;

  constexpr IRECT() = default;
  constexpr IRECT(float l, float t, float r, float b) : L(l), T(t), R(r), B(b) {}
  /** The rectangle of one frame of `bitmap` with its top-left at (x, y). */
  IRECT(float x, float y, const IBitmap& bitmap)
  : L(x)
  , T(y)
  , R(x + static_cast<float>(bitmap.FW()))
  , B(y + static_cast<float>(bitmap.FH()))
  {}

  constexpr bool operator==(const IRECT&) const = default;

  constexpr bool Empty() const { return L == 0.f && T == 0.f && R == 0.f && B == 0.f; }
  constexpr float W() const { return R - L; }
  constexpr float H() const { return B - T; }
  constexpr float MW() const { return 0.5f * (L + R); }
  constexpr float MH() const { return 0.5f * (T + B); }
  constexpr float Area() const { return W() * H(); }

  constexpr bool Contains(float x, float y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }

  constexpr bool Contains(const IRECT& r) const
  {
    return !Empty() && !r.Empty() && r.L >= L && r.R <= R && r.T >= T && r.B <= B;
  }

  constexpr bool Intersects(const IRECT& r) const
  {
    return !Empty() && !r.Empty() && R >= r.L && L < r.R && B >= r.T && T < r.B;
  }

  constexpr IRECT Intersect(const IRECT& r) const
  {
    if (!Intersects(r))
      return {};
    return {std::max(L, r.L), std::max(T, r.T), std::min(R, r.R), std::min(B, r.B)};
  }

  constexpr IRECT Union(const IRECT& r) const
  {
    if (Empty())
      return r;
    if (r.Empty())
      return *this;
    return {std::min(L, r.L), std::min(T, r.T), std::max(R, r.R), std::max(B, r.B)};
  }

  /** Whether the two can be replaced by their union without covering extra area. */
  constexpr bool Mergeable(const IRECT& r) const
  {
    if (Empty() || r.Empty())
      return true;
    if (L == r.L && R == r.R && ((T >= r.T && T <= r.B) || (r.T >= T && r.T <= B)))
      return true;
    return T == r.T && B == r.B && ((L >= r.L && L <= r.R) || (r.L >= L && r.L <= R));
  }

  constexpr IRECT GetPadded(float p) const { return {L - p, T - p, R + p, B + p}; }
  constexpr IRECT GetScaled(float s) const { return {L * s, T * s, R * s, B * s}; }
  constexpr IRECT GetTranslated(float x, float y) const { return {L + x, T + y, R + x, B + y}; }

  /** Grows outwards to whole device pixels at `scale`. */
  IRECT GetPixelAligned(float scale) const
  {
    IRECT r = GetScaled(scale);
    r = {std::floor(r.L), std::floor(r.T), std::ceil(r.R), std::ceil(r.B)};
    return r.GetScaled(1.f / scale);
  }
  void PixelAlign(float scale) { *this = GetPixelAligned(scale); }

  /** Centre-anchored rectangle of the given size. */
  constexpr IRECT GetCentredInside(float w, float h) const
  {
    return {MW() - 0.5f * w, MH() - 0.5f * h, MW() + 0.5f * w, MH() + 0.5f * h};
  }
};

} // namespace iplug::igraphics
