#include "tools/corvane/ResponseMeasurement.h"

#include "tools/corvane/RealFFT.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace corvane::host {
namespace {

constexpr double kPi = std::numbers::pi;

// The sweep starts two octaves below the lowest point and is faded in over its
// first octave; it ends just short of the Nyquist frequency, faded out above
// 0.47 x rate. The harmonics the unit adds to it land before the impulse in
// time (0.3 s before it for the second), where the window leaves them out.
constexpr double kSweepStartHz = 2.5;
constexpr double kSweepEndOfRate = 0.49;
constexpr double kFadeOutOfRate = 0.47;
constexpr double kSweepSeconds = 4.0;
// The impulse response kept: all of it up to 1 s, faded out by 1.5 s (the
// slowest of the unit's filters has decayed by over 100 dB by then), and 5 ms
// before its start for the ringing of the top band limit.
constexpr double kImpulseFlatSeconds = 1.0;
constexpr double kImpulseSeconds = 1.5;
constexpr double kImpulseLeadSeconds = 0.005;

// Below the sweep's range the deconvolution has nothing to divide by, so the
// response is rolled off there. A zero-phase roll-off would spread a slow
// ripple to both sides of the impulse, which the window would cut; this one is
// a minimum-phase high-pass (fourth-order Butterworth at 4 Hz), whose ripple
// follows the impulse and is kept, and which is divided out again at every
// point read. Above 0.47 x rate the response is faded to zero at 0.49 x rate;
// that ripple is short and lies within the lead the window keeps.
constexpr double kRollOffHz = 4.0;

std::complex<double> RollOff(double hz)
{
  const std::complex<double> s(0.0, hz / kRollOffHz); // normalised to the corner
  std::complex<double> h = 1.0;
  for (double q : {0.54119610014619698, 1.3065629648763766}) // Butterworth Qs, 4th order
    h *= s * s / (s * s + s / q + 1.0);
  return h;
}

double TopFade(double hz, double rate)
{
  const double fadeFrom = kFadeOutOfRate * rate, end = kSweepEndOfRate * rate;
  return hz <= fadeFrom ? 1.0 : HalfHann((end - hz) / (end - fadeFrom));
}

std::vector<float> Sweep(int frames, int total, double rate)
{
  const double amplitude = SineAmplitude(kResponseLevelDbfs);
  const double f1 = kSweepStartHz, f2 = kSweepEndOfRate * rate;
  const double seconds = frames / rate;
  const double k = seconds / std::log(f2 / f1); // time per e-fold of frequency
  const double fadeIn = k * std::log(2.0);
  const double fadeOut = k * std::log(kSweepEndOfRate / kFadeOutOfRate);
  std::vector<float> x(static_cast<size_t>(total), 0.0f);
  for (int n = 0; n < frames; ++n)
  {
    const double t = n / rate;
    const double envelope = HalfHann(t / fadeIn) * HalfHann((seconds - t) / fadeOut);
    x[static_cast<size_t>(n)] =
      static_cast<float>(amplitude * envelope * std::sin(2.0 * kPi * f1 * k * std::expm1(t / k)));
  }
  return x;
}

// The impulse response from the sweep and what came out: the output's spectrum
// divided by the sweep's, regularised where the sweep carried next to nothing.
std::vector<float> Deconvolve(const RealFFT& fft, const std::vector<float>& in, const std::vector<float>& out,
                              double rate)
{
  const std::vector<std::complex<float>> x = fft.Forward(in);
  std::vector<std::complex<float>> y = fft.Forward(out);
  double peak = 0.0;
  for (const std::complex<float>& v : x)
    peak = std::max(peak, std::norm(std::complex<double>(v)));
  const double floor = 1e-12 * peak; // 120 dB below the sweep's strongest bin
  for (size_t k = 0; k < y.size(); ++k)
  {
    const double hz = static_cast<double>(k) * rate / fft.Size();
    const std::complex<double> xk(x[k]);
    const std::complex<double> h = std::complex<double>(y[k]) * std::conj(xk) / (std::norm(xk) + floor);
    y[k] = std::complex<float>(h * RollOff(hz) * TopFade(hz, rate));
  }
  return fft.Inverse(y);
}

void WindowImpulse(std::vector<float>& h, double rate)
{
  const size_t n = h.size();
  const double flat = kImpulseFlatSeconds * rate, end = kImpulseSeconds * rate, lead = kImpulseLeadSeconds * rate;
  for (size_t i = 0; i < n; ++i)
  {
    const double t = static_cast<double>(i), before = static_cast<double>(n - i);
    double w = 0.0;
    if (t < flat)
      w = 1.0;
    else if (t < end)
      w = HalfHann((end - t) / (end - flat));
    else if (before <= lead)
      w = HalfHann((lead - before) / lead);
    h[i] = static_cast<float>(h[i] * w);
  }
}

// The response at a frequency between the bins, with the roll-off divided out.
std::complex<double> At(const std::vector<std::complex<float>>& spectrum, double hz, double rate, int size)
{
  const double bin = std::clamp(hz * size / rate, 0.0, static_cast<double>(spectrum.size() - 1));
  const size_t below = std::min(static_cast<size_t>(bin), spectrum.size() - 2);
  const double t = bin - static_cast<double>(below);
  return ((1.0 - t) * std::complex<double>(spectrum[below]) + t * std::complex<double>(spectrum[below + 1])) /
         RollOff(hz);
}

double Db(const std::complex<double>& v)
{
  const double m = std::abs(v);
  return m > 0.0 ? 20.0 * std::log10(m) : -std::numeric_limits<double>::infinity();
}

double WrappedDegrees(double degrees)
{
  double d = std::remainder(degrees, 360.0); // in [-180, 180]
  return d <= -180.0 ? d + 360.0 : d;
}

double CrossingHz(double f0, double db0, double f1, double db1, double target)
{
  if (!std::isfinite(db1) || db1 == db0)
    return f1;
  const double t = std::clamp((target - db0) / (db1 - db0), 0.0, 1.0);
  return f0 * std::pow(f1 / f0, t);
}

} // namespace

std::vector<double> ResponseFrequencies(int sampleRate)
{
  const double top = kResponseTopOfRate * sampleRate;
  std::vector<double> hz;
  for (int i = 0;; ++i)
  {
    const double f = kResponseLowestHz * std::exp2(i / 24.0);
    if (f > top * (1.0 - 1e-9))
      break;
    hz.push_back(f);
  }
  hz.push_back(top);
  return hz;
}

FrequencyResponse MeasureResponse(SliceProcessor& unit, const MeasureSetup& setup)
{
  const double rate = setup.sampleRate;
  const int sweepFrames = static_cast<int>(std::lround(kSweepSeconds * rate));
  const RealFFT fft(RealFFT::FastSize(sweepFrames + static_cast<int>(std::lround((kImpulseSeconds + 0.5) * rate))));
  const std::vector<float> sweep = Sweep(sweepFrames, fft.Size(), rate);
  const SignalRun run = RunSignal(unit, setup, sweep);

  std::vector<float> impulse = Deconvolve(fft, sweep, run.output, rate);
  WindowImpulse(impulse, rate);
  const std::vector<std::complex<float>> spectrum = fft.Forward(impulse);

  FrequencyResponse r;
  r.latency = run.latency;
  r.hz = ResponseFrequencies(setup.sampleRate);
  for (double f : r.hz)
  {
    const std::complex<double> h = At(spectrum, f, rate, fft.Size());
    r.db.push_back(Db(h));
    const double degrees = std::arg(h) * 180.0 / kPi + 360.0 * f * static_cast<double>(run.latency) / rate;
    r.phaseDeg.push_back(std::abs(h) > 0.0 ? WrappedDegrees(degrees) : std::numeric_limits<double>::quiet_NaN());
  }
  r.referenceDb = Db(At(spectrum, kReferenceHz, rate, fft.Size()));
  return r;
}

Corners FindCorners(const FrequencyResponse& r)
{
  Corners corners;
  const double target = r.referenceDb - 3.0;
  if (!std::isfinite(target))
    return corners;
  const auto below = [&](size_t i) { return !(r.db[i] > target); };
  // Going down from 1 kHz.
  const size_t above1k = static_cast<size_t>(std::lower_bound(r.hz.begin(), r.hz.end(), kReferenceHz) - r.hz.begin());
  double f = kReferenceHz, db = r.referenceDb;
  for (size_t i = above1k; i-- > 0;)
  {
    if (below(i))
    {
      corners.lowHz = CrossingHz(f, db, r.hz[i], r.db[i], target);
      break;
    }
    f = r.hz[i];
    db = r.db[i];
  }
  // Going up from 1 kHz.
  f = kReferenceHz;
  db = r.referenceDb;
  for (size_t i = above1k; i < r.hz.size(); ++i)
  {
    if (r.hz[i] == kReferenceHz)
      continue;
    if (below(i))
    {
      corners.highHz = CrossingHz(f, db, r.hz[i], r.db[i], target);
      break;
    }
    f = r.hz[i];
    db = r.db[i];
  }
  return corners;
}

} // namespace corvane::host
