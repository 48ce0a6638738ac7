#include "tools/corvane/HarmonicMeasurement.h"

#include "tools/corvane/RealFFT.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace corvane::host {
namespace {

constexpr double kPi = std::numbers::pi;

// A tone is faded in and measured only after the unit's slowest filter (the
// band-pass near 2 Hz that removes DC) has settled. The spectrum is the power
// average of four half-overlapping Blackman-Harris blocks of one second each.
constexpr double kFadeInSeconds = 0.02;
constexpr double kSettleSeconds = 1.0;
constexpr double kBlockSeconds = 1.0;
constexpr int kBlocks = 4;

// The transfer curve steps the level every 0.3 s: a 5 ms ramp, settling, then
// 0.1 s measured.
constexpr double kStepSeconds = 0.3;
constexpr double kRampSeconds = 0.005;
constexpr double kMeasureSeconds = 0.1;
constexpr double kLatencyRoomSeconds = 0.05;

// Power of the tone on `bin`: its bin and the window's main lobe around it.
double TonePower(const std::vector<double>& power, int bin)
{
  double sum = 0.0;
  const int last = static_cast<int>(power.size()) - 1;
  for (int k = std::max(bin - kBlackmanHarrisHalfWidth, 1); k <= std::min(bin + kBlackmanHarrisHalfWidth, last); ++k)
    sum += power[static_cast<size_t>(k)];
  return sum;
}

// The averaged power spectrum of `blocks` half-overlapping windowed blocks from `from` on.
std::vector<double> AveragedPower(const std::vector<float>& signal, size_t from, const RealFFT& fft, int blocks)
{
  const std::vector<double> window = BlackmanHarris(fft.Size());
  std::vector<double> power(static_cast<size_t>(fft.Bins()), 0.0);
  std::vector<float> block(static_cast<size_t>(fft.Size()));
  for (int b = 0; b < blocks; ++b)
  {
    const size_t start = from + static_cast<size_t>(b) * block.size() / 2;
    for (size_t i = 0; i < block.size(); ++i)
      block[i] = static_cast<float>(signal[start + i] * window[i]);
    const std::vector<std::complex<float>> spectrum = fft.Forward(block);
    for (size_t k = 0; k < power.size(); ++k)
      power[k] += std::norm(std::complex<double>(spectrum[k])) / blocks;
  }
  return power;
}

double Dbc(double power, double fundamental)
{
  if (!(power > 0.0))
    return -std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(power / fundamental);
}

} // namespace

HarmonicAnalysis MeasureHarmonics(SliceProcessor& unit, const MeasureSetup& setup, double hz, double levelDbfs)
{
  const double rate = setup.sampleRate;
  const RealFFT fft(CoherentBlock(setup.sampleRate, kBlockSeconds));
  HarmonicAnalysis result;
  result.frequencyHz = OnBin(hz, setup.sampleRate, fft.Size());
  result.levelDbfs = levelDbfs;

  const size_t settle = static_cast<size_t>(std::lround(kSettleSeconds * rate));
  const size_t length = settle + static_cast<size_t>(fft.Size()) * (kBlocks + 1) / 2;
  const double amplitude = SineAmplitude(levelDbfs), fade = kFadeInSeconds * rate;
  const double step = 2.0 * kPi * result.frequencyHz / rate;
  std::vector<float> tone(length);
  for (size_t n = 0; n < length; ++n)
    tone[n] = static_cast<float>(amplitude * HalfHann(static_cast<double>(n) / fade) *
                                 std::sin(step * static_cast<double>(n % static_cast<size_t>(fft.Size()))));
  const SignalRun run = RunSignal(unit, setup, tone);

  const std::vector<double> power = AveragedPower(run.output, settle, fft, kBlocks);
  const int bin = static_cast<int>(std::lround(result.frequencyHz * fft.Size() / rate));
  const double fundamental = TonePower(power, bin);
  double harmonics = 0.0;
  int counted = 0;
  for (int h = 2; h <= kHighestHarmonic && h * result.frequencyHz < rate / 2.0; ++h)
  {
    const double p = TonePower(power, h * bin);
    result.dbc.push_back(fundamental > 0.0 ? Dbc(p, fundamental) : std::numeric_limits<double>::quiet_NaN());
    harmonics += p;
    ++counted;
  }
  result.thdPercent = counted > 0 && fundamental > 0.0 ? 100.0 * std::sqrt(harmonics / fundamental)
                                                       : std::numeric_limits<double>::quiet_NaN();
  return result;
}

TransferCurve MeasureTransfer(SliceProcessor& unit, const MeasureSetup& setup)
{
  const double rate = setup.sampleRate;
  // Whole periods of the tone in every measured stretch.
  const int measured = CoherentBlock(setup.sampleRate, kMeasureSeconds);
  const double hz = OnBin(kTransferHz, setup.sampleRate, measured);
  const size_t step = static_cast<size_t>(std::lround(kStepSeconds * rate));
  const size_t settle = static_cast<size_t>(std::lround(kSettleSeconds * rate));
  const double ramp = kRampSeconds * rate;

  TransferCurve curve;
  for (double db = kTransferLowestDbfs; db <= kTransferHighestDbfs + 1e-9; db += kTransferStepDb)
    curve.inDbfs.push_back(db);
  // The first level is held for the settling time, each further one for a
  // step, which starts right after the level before it was measured.
  const size_t measuredFrames = static_cast<size_t>(measured), last = curve.inDbfs.size() - 1;
  const auto measureStart = [&](size_t i) { return settle + i * step; };
  const auto levelAt = [&](size_t n) {
    const size_t firstEnd = settle + measuredFrames;
    return n < firstEnd ? size_t{0} : std::min(1 + (n - firstEnd) / step, last);
  };
  // Room for the latency after the last stretch.
  const size_t length =
    measureStart(last) + measuredFrames + static_cast<size_t>(std::lround(kLatencyRoomSeconds * rate));
  std::vector<float> tone(length);
  const double phaseStep = 2.0 * kPi * hz / rate;
  for (size_t n = 0; n < length; ++n)
  {
    const size_t i = levelAt(n);
    double amplitude = SineAmplitude(curve.inDbfs[i]);
    if (i == 0)
      amplitude *= HalfHann(static_cast<double>(n) / (kFadeInSeconds * rate));
    else
    {
      const double since = static_cast<double>(n - (measureStart(i - 1) + measuredFrames));
      const double previous = SineAmplitude(curve.inDbfs[i - 1]);
      amplitude = previous + (amplitude - previous) * HalfHann(since / ramp);
    }
    tone[n] = static_cast<float>(amplitude * std::sin(phaseStep * static_cast<double>(n % measuredFrames)));
  }
  const SignalRun run = RunSignal(unit, setup, tone);

  for (size_t i = 0; i < curve.inDbfs.size(); ++i)
  {
    // Aligned with the input by the unit's latency; DC that is still draining
    // from the last step is left out.
    const size_t from = measureStart(i) + static_cast<size_t>(std::max<int64_t>(run.latency, 0));
    const size_t count = std::min(measuredFrames, run.output.size() - std::min(from, run.output.size()));
    double mean = 0.0, squares = 0.0;
    for (size_t n = from; n < from + count; ++n)
      mean += run.output[n];
    mean /= std::max<size_t>(count, 1);
    for (size_t n = from; n < from + count; ++n)
      squares += (run.output[n] - mean) * (run.output[n] - mean);
    curve.outDbfs.push_back(SineRmsToDbfs(std::sqrt(squares / std::max<size_t>(count, 1))));
  }
  return curve;
}

} // namespace corvane::host
