#pragma once

#include <cmath>

namespace iplug {

// The preamp's two transfer curves. Both carry even-order terms, so they are
// asymmetric: they add even harmonics and a DC component that the high-pass
// filters and the band-pass downstream remove. Powers are plain products.

// Microphone input: tanh(u) - 0.05 tanh(u^2) - 0.7 tanh(u^3) + 0.6 atan(u^7).
inline double MicCurve(double u)
{
  const double u2 = u * u;
  const double u3 = u * u * u;
  const double u7 = u3 * u * u * u * u;
  return std::tanh(u) - 0.05 * std::tanh(u2) - 0.7 * std::tanh(u3) + 0.6 * std::atan(u7);
}

// Line input: tanh(u) - 0.1 tanh(u^3) + 0.6 tanh(u^4).
inline double LineCurve(double u)
{
  const double u3 = u * u * u;
  const double u4 = u * u * u * u;
  return std::tanh(u) - 0.1 * std::tanh(u3) + 0.6 * std::tanh(u4);
}

} // namespace iplug
