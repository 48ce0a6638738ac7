#pragma once

#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <vector>

namespace corvane_test {

// Magnitude response measured from a recorded impulse response: the DTFT of
// the samples at frequency f (Hz), in dB.
inline double ResponseDb(const std::vector<double>& h, double f, double fs)
{
  const double w = 2.0 * std::numbers::pi * f / fs;
  std::complex<double> sum = 0.0;
  for (size_t n = 0; n < h.size(); ++n)
    sum += h[n] * std::polar(1.0, -w * static_cast<double>(n));
  return 20.0 * std::log10(std::abs(sum));
}

// Records n samples of the response of `step` to a unit impulse.
inline std::vector<double> ImpulseResponse(const std::function<double(double)>& step, size_t n)
{
  std::vector<double> h(n);
  for (size_t i = 0; i < n; ++i)
    h[i] = step(i == 0 ? 1.0 : 0.0);
  return h;
}

// Frequency between lo and hi where the response crosses `levelDb`, found by
// bisection (the response must be monotonic there).
inline double CrossingHz(const std::vector<double>& h, double fs, double levelDb, double lo, double hi)
{
  const bool risingWithF = ResponseDb(h, hi, fs) > ResponseDb(h, lo, fs);
  for (int i = 0; i < 50; ++i)
  {
    const double mid = std::sqrt(lo * hi);
    const bool above = ResponseDb(h, mid, fs) > levelDb;
    if (above == risingWithF)
      hi = mid;
    else
      lo = mid;
  }
  return std::sqrt(lo * hi);
}

} // namespace corvane_test
