#pragma once

#include "preamp/StereoSample.h"

namespace iplug {

// Third-order console high-pass in direct form I. Its coefficients are the
// bilinear transform (constant T) of an analog prototype whose terms are
// quadratics in u = 1 - r, where r stands for the filter switch position.
// Calc must run before the first Process (a0 is zero until then).
// S is double for one channel or StereoSample for a left/right pair.
template <typename S>
struct BasicHPF73
{
  S x0{}, y0{};       // last input, last output
  S x1{}, x2{}, x3{}; // delayed inputs
  S y1{}, y2{}, y3{}; // delayed outputs
  S a0{}, a1{}, a2{}, a3{};
  S b0{}, b1{}, b2{}, b3{};

  // Replaces the coefficients only; the delay state carries over.
  void Calc(double T, S r)
  {
    const S u = 1.0 - r;
    const S uu = u * u;
    const double T2 = T * T;
    const double T3 = T * T * T;

    const S N2 = 9.30159168995765e-14 + 2.38502351024556e-11 * u + 1.52886122451638e-09 * uu;
    const S N3 = 9.30159168995765e-20 + 2.38502351024556e-17 * u + 1.52886122451638e-15 * uu;
    const S N3x3 = 2.7904775069873e-19 + 7.15507053073666e-17 * u + 4.58658367354914e-15 * uu;
    const double D0 = 1.52890709065889e-05;
    const S D1 = 1.22317306769902e-09 + 1.5289682457194197e-07 * u;
    const S D2 = 9.77888736680688e-14 + 2.44625103927891e-11 * u + 1.52890709065889e-09 * uu;
    const S D3 = 1.86035554454432e-19 + 4.77014242190852e-17 * u + 3.05778360378751e-15 * uu;
    const S D3x3 = 5.58106663363297e-19 + 1.431042726572556e-16 * u + 9.17335081136254e-15 * uu;

    b0 = N2 * T2 + N3 * T3;
    b1 = -N2 * T2 - N3x3 * T3;
    b2 = -N2 * T2 + N3x3 * T3;
    b3 = N2 * T2 - N3 * T3;

    // The constant of a1 and a2 is the console model's own value, not 3 D0.
    a0 = D0 + D1 * T + D2 * T2 + D3 * T3;
    a1 = 1.58672127197666e-05 + D1 * T - D2 * T2 - D3x3 * T3;
    a2 = 1.58672127197666e-05 - D1 * T - D2 * T2 + D3x3 * T3;
    a3 = D0 - D1 * T + D2 * T2 - D3 * T3;
  }

  S Process(S x)
  {
    const S y = (b0 * x + b1 * x1 + b2 * x2 + b3 * x3 - a1 * y1 - a2 * y2 - a3 * y3) / a0;
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

  void ClearState() { x0 = y0 = x1 = x2 = x3 = y1 = y2 = y3 = S{}; }
};

using HPF73 = BasicHPF73<double>;

} // namespace iplug
