#include "tools/corvane/MeasurementSignals.h"

#include "tools/corvane/RealFFT.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace corvane::host {

SignalRun RunSignal(SliceProcessor& unit, const MeasureSetup& setup, const std::vector<float>& input)
{
  const size_t block = static_cast<size_t>(std::max(setup.blockSize, 1));
  const size_t channels = static_cast<size_t>(std::max(setup.channels, 1));
  std::vector<std::vector<float>> out(channels, std::vector<float>(block));
  std::vector<const float*> inputs(channels);
  std::vector<float*> outputs(channels);
  SignalRun run;
  run.output.resize(input.size());
  for (size_t at = 0; at < input.size(); at += block)
  {
    const size_t frames = std::min(block, input.size() - at);
    std::fill(inputs.begin(), inputs.end(), input.data() + at);
    for (size_t c = 0; c < channels; ++c)
      outputs[c] = out[c].data();
    unit.Process(inputs.data(), outputs.data(), frames);
    std::copy_n(out[0].begin(), frames, run.output.begin() + static_cast<std::ptrdiff_t>(at));
    if (at == 0)
      run.latency = unit.LatencyFrames();
  }
  return run;
}

namespace {

bool HasOnlySmallFactors(int n)
{
  for (int p : {2, 3, 5, 7})
    while (n % p == 0)
      n /= p;
  return n == 1;
}

} // namespace

int CoherentBlock(int sampleRate, double seconds)
{
  const double exact = sampleRate * seconds;
  const int wanted = std::max(2, static_cast<int>(std::lround(exact)));
  // Exactly `seconds` long, the bins fall on multiples of 1 / `seconds` hertz,
  // so round frequencies are measured as asked.
  const bool exactLength = std::abs(exact - wanted) < 1e-6 && wanted % 2 == 0;
  if (exactLength && HasOnlySmallFactors(wanted / 2))
    return wanted;
  return RealFFT::FastSize(wanted);
}

double OnBin(double hz, int sampleRate, int block)
{
  const double bin = static_cast<double>(sampleRate) / block;
  return std::max(1.0, std::round(hz / bin)) * bin;
}

double HalfHann(double x)
{
  x = std::clamp(x, 0.0, 1.0);
  return 0.5 - 0.5 * std::cos(std::numbers::pi * x);
}

std::vector<double> BlackmanHarris(int n)
{
  std::vector<double> w(static_cast<size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i)
  {
    const double x = 2.0 * std::numbers::pi * i / n;
    w[static_cast<size_t>(i)] =
      0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2.0 * x) - 0.01168 * std::cos(3.0 * x);
  }
  return w;
}

double SineAmplitude(double dbfs) { return std::pow(10.0, dbfs / 20.0); }

double SineRmsToDbfs(double rms)
{
  if (!(rms > 0.0))
    return -std::numeric_limits<double>::infinity();
  return 20.0 * std::log10(rms * std::numbers::sqrt2);
}

} // namespace corvane::host
