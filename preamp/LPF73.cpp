#include "preamp/LPF73.h"

namespace iplug {

void LPF73::Calc(double T, double r)
{
  const double u = 1.0 - r;
  const double uu = u * u;
  const double T2 = T * T;

  const double D0 = 0.000293230378280438;
  const double D1 = 5.4893801785915e-09 + 7.03766689563012e-07 * u;
  const double D2 = 1.00618368250242e-13 + 2.5799581602626e-11 * u + 1.65381933350167e-09 * uu;
  const double D2x2 = 2.01236736500483e-13 + 5.1599163205252e-11 * u + 3.30763866700334e-09 * uu;

  // The numerator and the constant of a1 are the console model's own values:
  // they leave a finite floor at Nyquist instead of a double zero.
  b0 = 0.000293227446005978;
  b1 = 0.000186454892011955;
  b2 = 0.000293227446005978;

  a0 = D0 + D1 * T + D2 * T2;
  a1 = 0.000186460756560875 - D2x2 * T2;
  a2 = D0 - D1 * T + D2 * T2;
}

} // namespace iplug
