#include "preamp/HPF73.h"

namespace iplug {

void HPF73::Calc(double T, double r)
{
  const double u = 1.0 - r;
  const double uu = u * u;
  const double T2 = T * T;
  const double T3 = T * T * T;

  const double N2 = 9.30159168995765e-14 + 2.38502351024556e-11 * u + 1.52886122451638e-09 * uu;
  const double N3 = 9.30159168995765e-20 + 2.38502351024556e-17 * u + 1.52886122451638e-15 * uu;
  const double N3x3 = 2.7904775069873e-19 + 7.15507053073666e-17 * u + 4.58658367354914e-15 * uu;
  const double D0 = 1.52890709065889e-05;
  const double D1 = 1.22317306769902e-09 + 1.5289682457194197e-07 * u;
  const double D2 = 9.77888736680688e-14 + 2.44625103927891e-11 * u + 1.52890709065889e-09 * uu;
  const double D3 = 1.86035554454432e-19 + 4.77014242190852e-17 * u + 3.05778360378751e-15 * uu;
  const double D3x3 = 5.58106663363297e-19 + 1.431042726572556e-16 * u + 9.17335081136254e-15 * uu;

  b0 = N2 * T2 + N3 * T3;
  b1 = -N2 * T2 - N3x3 * T3;
  b2 = -N2 * T2 + N3x3 * T3;
  b3 = N2 * T2 - N3 * T3;

  // The constant of a1 and a2 is the console model's own value, not 3 * D0.
  a0 = D0 + D1 * T + D2 * T2 + D3 * T3;
  a1 = 1.58672127197666e-05 + D1 * T - D2 * T2 - D3x3 * T3;
  a2 = 1.58672127197666e-05 - D1 * T - D2 * T2 + D3x3 * T3;
  a3 = D0 - D1 * T + D2 * T2 - D3 * T3;
}

} // namespace iplug
