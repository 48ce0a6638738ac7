#pragma once

namespace iplug {

// Third-order console high-pass in direct form I. Its coefficients are the
// bilinear transform (constant T) of an analog prototype whose terms are
// quadratics in u = 1 - r, where r stands for the filter switch position.
// Calc must run before the first Process (a0 is zero until then).
struct HPF73
{
  double x0 = 0.0, y0 = 0.0;            // last input, last output
  double x1 = 0.0, x2 = 0.0, x3 = 0.0;  // delayed inputs
  double y1 = 0.0, y2 = 0.0, y3 = 0.0;  // delayed outputs
  double a0 = 0.0, a1 = 0.0, a2 = 0.0, a3 = 0.0;
  double b0 = 0.0, b1 = 0.0, b2 = 0.0, b3 = 0.0;

  // Replaces the coefficients only; the delay state carries over.
  void Calc(double T, double r);

  double Process(double x)
  {
    const double y = (b0 * x + b1 * x1 + b2 * x2 + b3 * x3 - a1 * y1 - a2 * y2 - a3 * y3) / a0;
    x3 = x2;
    x2 = x1;
    x1 = x;
    y3 = y2;
    y2 = y1;
    y1 = y;
    x0 = x;
    y0 = y;
    return y;
  }
};

} // namespace iplug
