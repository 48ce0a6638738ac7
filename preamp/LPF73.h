#pragma once

namespace iplug {

// Second-order console low-pass in direct form I, meant to run at twice the
// audio rate. The numerator is fixed; the denominator is the bilinear
// transform (constant T) of a prototype that depends on u = 1 - r.
// Calc must run before the first Process (a0 is zero until then).
struct LPF73
{
  double x0 = 0.0, y0 = 0.0;  // last input, last output
  double x1 = 0.0, x2 = 0.0;  // delayed inputs
  double y1 = 0.0, y2 = 0.0;  // delayed outputs
  double a0 = 0.0, a1 = 0.0, a2 = 0.0;
  double b0 = 0.0, b1 = 0.0, b2 = 0.0;

  // Replaces the coefficients only; the delay state carries over.
  void Calc(double T, double r);

  double Process(double x)
  {
    const double y = (b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    x0 = x;
    y0 = y;
    return y;
  }
};

} // namespace iplug
