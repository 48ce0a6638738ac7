// The preamp's kernels against the C library and the plain filter sums, for
// every kind this CPU runs: the engine is only as close to the plain chain
// as they are.
#include "preamp/OSAA.h"
#include "preamp/OSEQ.h"
#include "preamp/PreampKernels.h"
#include "preamp/SaturationCurves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace iplug;

namespace {

#ifdef CORVANE_SANITIZED
constexpr int kRounds = 2;
#else
constexpr int kRounds = 8;
#endif
constexpr int kPerRound = 1 << 17; // odd-length runs below take one less

std::uint64_t Bits(double x)
{
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// The vector kinds this build and CPU run, each beside the scalar kind.
std::vector<PreampKernels> VectorKinds()
{
  std::vector<PreampKernels> kinds;
  for (PreampKernels::Kind kind : {PreampKernels::kSse2, PreampKernels::kAvx2})
  {
    const PreampKernels k = PreampKernelsOfKind(kind);
    if (k.micStage)
      kinds.push_back(k);
  }
  return kinds;
}

// Arguments that reach every path: magnitudes from subnormal to past 22,
// dense where the paths switch (2^-28, 1/4, 1, 22 for tanh; 2^-27, the
// table steps and tan(15 pi/32) for atan; u^7 near them for the mic
// curve), with random signs; a share of raw bit patterns (huge, infinite,
// NaN); and the special values.
std::vector<double> Arguments(std::mt19937_64& rng, int n)
{
  std::uniform_real_distribution<double> exponent(-62.0, 6.0);
  std::uniform_real_distribution<double> nearSwitch(-0.02, 0.02);
  static constexpr double kSwitches[] = {0x1p-28, 0.25, 1.0, 22.0, 0x1p-27, 0.0985, 0.303, 1.2, 10.15, 0.0699};
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i)
  {
    double x;
    switch (i % 8)
    {
      case 0:
      {
        const std::uint64_t b = rng();
        std::memcpy(&x, &b, sizeof x);
        break;
      }
      case 1: x = kSwitches[rng() % std::size(kSwitches)] * (1.0 + nearSwitch(rng)); break;
      default: x = std::exp2(exponent(rng));
    }
    v[i] = (rng() & 1) ? -x : x;
  }
  const double inf = std::numeric_limits<double>::infinity();
  for (double special : {0.0, -0.0, inf, -inf, std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::denorm_min(), 0x1p-28, 22.0, 1.0, -1.0})
    v[rng() % n] = special;
  return v;
}

// Units in the last place of `scale` between a and b (0 for two NaN;
// infinite for one NaN or different infinities).
double UlpsApart(double a, double b, double scale)
{
  if (std::isnan(a) || std::isnan(b))
    return std::isnan(a) && std::isnan(b) ? 0.0 : INFINITY;
  if (a == b)
    return 0.0;
  if (std::isinf(a) || std::isinf(b))
    return INFINITY;
  scale = std::fabs(scale);
  return std::fabs(a - b) / (std::nextafter(scale, INFINITY) - scale);
}

// The plain sum of the half-band filter's odd taps and centre.
double HalfbandSum(const double* now, double centre, double offset)
{
  double h = 0.0;
  for (int m = 0; m < 32; ++m)
    h += OSAA::coef(2 * m + 1) * (now[-m] + now[-63 + m]);
  h += 0.5 * centre;
  return h - offset;
}

} // namespace

TEST(PreampKernels, CurvesStayWithinAFewUlpsOfTheLibraryForMillionsOfArguments)
{
  // Kernels and library each round tanh and atan within two units; the
  // curves add terms that partly cancel, so their error is measured against
  // the largest of result and tanh(u).
  struct Case
  {
    const char* name;
    CurveRun PreampKernels::*run;
    double (*library)(double);
    double ulps;
    bool againstTanh;
  };
  const Case cases[] = {
    {"tanh", &PreampKernels::tanh, [](double x) { return std::tanh(x); }, 4.0, false},
    {"atan", &PreampKernels::atan, [](double x) { return std::atan(x); }, 4.0, false},
    {"mic", &PreampKernels::mic, MicCurve, 8.0, true},
    {"line", &PreampKernels::line, LineCurve, 8.0, true},
  };
  double worst[std::size(cases)] = {};
  std::mt19937_64 rng(2024);
  for (const PreampKernels& k : VectorKinds())
    for (int round = 0; round < kRounds; ++round)
    {
      // Odd lengths in every other round: the last value runs alone.
      const std::vector<double> args = Arguments(rng, kPerRound - round % 2);
      for (const Case& c : cases)
      {
        std::vector<double> v = args;
        (k.*c.run)(v.data(), static_cast<int>(v.size()));
        for (size_t i = 0; i < args.size(); ++i)
        {
          const double expected = c.library(args[i]);
          const double scale = c.againstTanh ? std::max(std::fabs(expected), std::fabs(std::tanh(args[i]))) : expected;
          const double apart = UlpsApart(v[i], expected, scale);
          worst[&c - cases] = std::max(worst[&c - cases], apart);
          ASSERT_LE(apart, c.ulps) << c.name << " (kind " << k.kind << ") at " << std::hexfloat << args[i] << ": "
                                   << v[i] << " against " << expected;
        }
      }
    }
  for (const Case& c : cases)
    RecordProperty(std::string("worst_ulps_") + c.name, std::to_string(worst[&c - cases]));
}

TEST(PreampKernels, EachValueComesOutTheSameWhateverItsNeighbours)
{
  // A vector whose lanes share a range takes a shorter path; the result of
  // a lane must not depend on which one, or mono and stereo would differ.
  std::mt19937_64 rng(7);
  const std::vector<double> args = Arguments(rng, 4096);
  for (const PreampKernels& k : VectorKinds())
    for (CurveRun run : {k.tanh, k.atan, k.mic, k.line})
    {
      std::vector<double> together = args;
      run(together.data(), static_cast<int>(together.size()));
      for (size_t i = 0; i < args.size(); ++i)
      {
        double alone = args[i];
        run(&alone, 1);
        ASSERT_EQ(Bits(alone), Bits(together[i])) << "kind " << k.kind << " at " << std::hexfloat << args[i];
      }
    }
}

TEST(PreampKernels, StageIsTheCurveBetweenGainAndDrive)
{
  // Per-value and constant gains, with runs that end in every lane.
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> sample(-1.2, 1.2), gain(1.0, 1000.0), drive(0.009, 0.011);
  for (const PreampKernels& k : VectorKinds())
    for (int n : {0, 1, 2, 3, 5, 64, 67})
      for (int stride : {0, 1})
        for (bool mic : {false, true})
        {
          std::vector<double> x(n), y(n, -7.0), d(n + 1), gi(n + 1), go(n + 1);
          for (int i = 0; i < n; ++i)
            x[i] = sample(rng);
          for (int i = 0; i <= n; ++i)
            d[i] = drive(rng), gi[i] = gain(rng), go[i] = gain(rng);
          (mic ? k.micStage : k.lineStage)({x.data(), y.data(), n, 2.0, d.data(), gi.data(), go.data(), stride});
          for (int i = 0; i < n; ++i)
          {
            const int at = i * stride;
            const double u = 2.0 * x[i] * d[at] * gi[at];
            const double expected = (mic ? MicCurve(u) : LineCurve(u)) / go[at] / d[at];
            ASSERT_NEAR(y[i], expected, 1e-14 * std::max(1.0, std::fabs(u)) / (go[at] * d[at]))
              << "kind " << k.kind << " n " << n << " stride " << stride << " mic " << mic << " at " << i;
          }
        }
}

TEST(PreampKernels, FilterSumsAreThoseOfThePlainFilters)
{
  // Bit for bit: the FIR kernels keep every product and the order of the
  // sums, for runs of every length.
  std::mt19937_64 rng(13);
  std::uniform_real_distribution<double> sample(-1.0, 1.0);
  std::vector<double> x(64 + 300), centre(300), a(16 + 300);
  for (double& v : x)
    v = sample(rng);
  for (double& v : centre)
    v = sample(rng);
  for (double& v : a)
    v = sample(rng);
  const double offset = 1e-15;
  std::vector<PreampKernels> kinds = VectorKinds();
  kinds.push_back(PreampKernelsOfKind(PreampKernels::kScalar));
  for (const PreampKernels& k : kinds)
    for (int n : {1, 3, 4, 7, 64, 300})
    {
      const double* now = x.data() + 64;
      std::vector<double> y(n), z(n);
      k.halfband(now, centre.data(), 1, offset, y.data(), n);
      k.decimator(a.data() + 16, now, z.data(), n);
      for (int j = 0; j < n; ++j)
      {
        ASSERT_EQ(Bits(y[j]), Bits(HalfbandSum(now + j, centre[j], offset)))
          << "kind " << k.kind << " n " << n << " at " << j;
        double d = 0.5 * a[16 + j - 16];
        for (int m = 1; m <= 16; ++m)
          d += OSEQ::coef(2 * m - 1) * (now[j - m] + now[j - 33 + m]);
        ASSERT_EQ(Bits(z[j]), Bits(2.0 * d)) << "kind " << k.kind << " n " << n << " at " << j;
      }
      // A constant centre needs no array.
      std::vector<double> w(n);
      k.halfband(now, &offset, 0, offset, w.data(), n);
      for (int j = 0; j < n; ++j)
        ASSERT_EQ(Bits(w[j]), Bits(HalfbandSum(now + j, offset, offset))) << j;
    }
}

TEST(PreampKernels, RunsTouchOnlyTheirCount)
{
  // A run of one or zero writes nothing past its values.
  for (const PreampKernels& k : VectorKinds())
    for (CurveRun run : {k.tanh, k.atan, k.line, k.mic})
    {
      double v[3] = {0.5, 0.25, 0.125};
      run(v, 0);
      EXPECT_EQ(v[0], 0.5);
      run(v, 1);
      EXPECT_EQ(v[1], 0.25);
      EXPECT_EQ(v[2], 0.125);
    }
}

TEST(PreampKernels, SystemKernelsAreTheWidestThisCpuRuns)
{
  const PreampKernels& system = SystemPreampKernels();
  ASSERT_NE(system.micStage, nullptr);
  const std::vector<PreampKernels> kinds = VectorKinds();
  EXPECT_EQ(system.kind, kinds.empty() ? PreampKernels::kScalar : kinds.back().kind);
  RecordProperty("kind", system.kind);
}
