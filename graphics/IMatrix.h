#pragma once
// 2-D affine transform. A point (x, y) maps to (xx*x + xy*y + tx, yx*x + yy*y + ty).
// Every composing operation acts in the current local coordinates: M becomes M x T.

#include <cmath>
#include <numbers>

namespace iplug::igraphics {

struct IMatrix
{
  double mXX = 1.0, mYX = 0.0, mXY = 0.0, mYY = 1.0, mTX = 0.0, mTY = 0.0;

  constexpr IMatrix() = default;
  constexpr IMatrix(double xx, double yx, double xy, double yy, double tx, double ty)
  : mXX(xx)
  , mYX(yx)
  , mXY(xy)
  , mYY(yy)
  , mTX(tx)
  , mTY(ty)
  {}

  constexpr bool operator==(const IMatrix&) const = default;

  IMatrix& Translate(double x, double y)
  {
    mTX += x * mXX + y * mXY;
    mTY += x * mYX + y * mYY;
    return *this;
  }

  IMatrix& Scale(double sx, double sy)
  {
    mXX *= sx;
    mYX *= sx;
    mXY *= sy;
    mYY *= sy;
    return *this;
  }

  IMatrix& Rotate(double degrees)
  {
    const double a = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    const double xx = c * mXX + s * mXY, yx = c * mYX + s * mYY;
    const double xy = c * mXY - s * mXX, yy = c * mYY - s * mYX;
    mXX = xx;
    mYX = yx;
    mXY = xy;
    mYY = yy;
    return *this;
  }

  /** Shears by the angles (degrees) of the x and y axes. */
  IMatrix& Skew(double xDegrees, double yDegrees)
  {
    const double k = std::numbers::pi / 180.0;
    return Transform(IMatrix(1.0, std::tan(yDegrees * k), std::tan(xDegrees * k), 1.0, 0.0, 0.0));
  }

  /** M = M x T. */
  IMatrix& Transform(const IMatrix& t)
  {
    const IMatrix m = *this;
    mXX = m.mXX * t.mXX + m.mXY * t.mYX;
    mYX = m.mYX * t.mXX + m.mYY * t.mYX;
    mXY = m.mXX * t.mXY + m.mXY * t.mYY;
    mYY = m.mYX * t.mXY + m.mYY * t.mYY;
    mTX = m.mXX * t.mTX + m.mXY * t.mTY + m.mTX;
    mTY = m.mYX * t.mTX + m.mYY * t.mTY + m.mTY;
    return *this;
  }

  void TransformPoint(double& x, double& y) const
  {
    const double px = x;
    x = mXX * px + mXY * y + mTX;
    y = mYX * px + mYY * y + mTY;
  }
};

} // namespace iplug::igraphics
