#include "tools/corvane/DemoSignal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace corvane::host {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

struct Pluck
{
  double frequency;
  double amplitude;
  double pan; // -1 left .. 1 right
};

// A bass line and a melody; every other note loud enough to saturate.
constexpr Pluck kPlucks[] = {
  {110.00, 0.08, -0.3}, {110.00, 0.70, -0.3}, {164.81, 0.08, 0.3},  {164.81, 0.70, 0.3}, {220.00, 0.08, -0.1},
  {277.18, 0.70, 0.1},  {329.63, 0.08, 0.2},  {440.00, 0.70, -0.2}, {82.41, 0.80, 0.0},
};
constexpr double kPluckSeconds = 0.4;
constexpr double kSweepStart = 3.8, kSweepSeconds = 3.0;
constexpr double kNoiseStart = 7.0, kBurstSeconds = 0.15, kBurstSpacing = 0.3;
constexpr int kBursts = 4;
constexpr double kTotalSeconds = 8.4;

// Small deterministic generator (xorshift) so the demo is identical everywhere.
class Noise
{
public:
  explicit Noise(uint32_t seed) : mState(seed) {}
  double Next()
  {
    mState ^= mState << 13;
    mState ^= mState >> 17;
    mState ^= mState << 5;
    return static_cast<double>(mState) / 2147483648.0 - 1.0;
  }

private:
  uint32_t mState;
};

void AddPluck(std::vector<std::vector<float>>& out, int rate, size_t start, const Pluck& p)
{
  const size_t length = static_cast<size_t>(kPluckSeconds * rate);
  const double left = std::sqrt(0.5 * (1.0 - p.pan)), right = std::sqrt(0.5 * (1.0 + p.pan));
  for (size_t i = 0; i < length && start + i < out[0].size(); ++i)
  {
    const double t = static_cast<double>(i) / rate;
    const double attack = std::min(1.0, t / 0.002);
    double s = 0.0;
    // Harmonics fade faster the higher they are, like a plucked string.
    for (int k = 1; k <= 10; ++k)
    {
      const double f = p.frequency * k;
      if (f >= 0.45 * rate)
        break;
      s += std::sin(kTwoPi * f * t) * std::exp(-t * (3.0 + 2.5 * k)) / k;
    }
    s *= p.amplitude * attack * 0.75;
    out[0][start + i] += static_cast<float>(s * left);
    out[1][start + i] += static_cast<float>(s * right);
  }
}

void AddSweep(std::vector<std::vector<float>>& out, int rate)
{
  const double f0 = 20.0, f1 = std::min(20000.0, 0.45 * rate);
  const double k = std::log(f1 / f0);
  const size_t start = static_cast<size_t>(kSweepStart * rate);
  const size_t length = static_cast<size_t>(kSweepSeconds * rate);
  const double fade = 0.02 * rate;
  for (size_t i = 0; i < length; ++i)
  {
    const double t = static_cast<double>(i) / rate;
    // Exponential sweep: phase is the integral of f0 * exp(k t / T).
    const double phase = kTwoPi * f0 * kSweepSeconds / k * (std::exp(k * t / kSweepSeconds) - 1.0);
    const double envelope = std::min({1.0, i / fade, (length - i) / fade});
    const float s = static_cast<float>(0.35 * envelope * std::sin(phase));
    out[0][start + i] += s;
    out[1][start + i] += s;
  }
}

void AddNoiseBursts(std::vector<std::vector<float>>& out, int rate)
{
  Noise noise(0x2545F491u);
  const size_t length = static_cast<size_t>(kBurstSeconds * rate);
  for (int b = 0; b < kBursts; ++b)
  {
    const size_t start = static_cast<size_t>((kNoiseStart + b * kBurstSpacing) * rate);
    const double level = 0.15 + 0.15 * b; // each burst louder than the last
    for (size_t i = 0; i < length; ++i)
    {
      const double t = static_cast<double>(i) / rate;
      const double envelope = level * std::min(1.0, t / 0.001) * std::exp(-t * 12.0);
      out[0][start + i] += static_cast<float>(envelope * noise.Next());
      out[1][start + i] += static_cast<float>(envelope * noise.Next());
    }
  }
}

} // namespace

MemorySource MakeDemoSignal(int sampleRate)
{
  const size_t frames = static_cast<size_t>(kTotalSeconds * sampleRate);
  std::vector<std::vector<float>> out(kDemoChannels, std::vector<float>(frames, 0.0f));
  size_t start = static_cast<size_t>(0.1 * sampleRate);
  for (const Pluck& p : kPlucks)
  {
    AddPluck(out, sampleRate, start, p);
    start += static_cast<size_t>(kPluckSeconds * sampleRate);
  }
  AddSweep(out, sampleRate);
  AddNoiseBursts(out, sampleRate);
  return MemorySource(sampleRate, std::move(out));
}

} // namespace corvane::host
