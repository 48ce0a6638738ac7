#pragma once

#include "preamp/StereoSample.h"

namespace iplug {

// Second-order console low-pass in direct form I, meant to run at twice the
// audio rate. The numerator is fixed; the denominator is the bilinear
// transform (constant T) of a prototype that depends on u = 1 - r.
// Calc must run before the first Process (a0 is zero until then).
// S is double for one channel or StereoSample for a left/right pair.
template <typename S>
struct BasicLPF73
{
  S x0{}, y0{}; // last input, last output
  S x1{}, x2{}; // delayed inputs
  S y1{}, y2{}; // delayed outputs
  S a0{}, a1{}, a2{};
  S b0{}, b1{}, b2{};

  // Replaces the coefficients only; the delay state carries over.
  void Calc(double T, S r)
  {
    const S u = 1.0 - r;
    const S uu = u * u;
    const double T2 = T * T;

    const double D0 = 0.000293230378280438;
    const S D1 = 5.4893801785915e-09 + 7.03766689563012e-07 * u;
    const S D2 = 1.00618368250242e-13 + 2.5799581602626e-11 * u + 1.65381933350167e-09 * uu;
    const S D2x2 = 2.01236736500483e-13 + 5.1599163205252e-11 * u + 3.30763866700334e-09 * uu;

    // The numerator and the constant of a1 are the console model's own
    // values: they leave a finite floor at Nyquist instead of a double zero.
    b0 = S{} + 0.000293227446005978;
    b1 = S{} + 0.000186454892011955;
    b2 = S{} + 0.000293227446005978;

    a0 = D0 + D1 * T + D2 * T2;
    a1 = 0.000186460756560875 - D2x2 * T2;
    a2 = D0 - D1 * T + D2 * T2;
  }

  S Process(S x)
  {
    const S y = (b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    x0 = x;
    y0 = y;
    return y;
  }

  void ClearState() { x0 = y0 = x1 = x2 = y1 = y2 = S{}; }
};

using LPF73 = BasicLPF73<double>;

} // namespace iplug
