// The preamp's kernels against the C library and the plain filter sums, for
// every kind this CPU runs: the engine is only as close to the plain chain
// as they are.
#include "preamp/Biquad.h"
#include "preamp/HPF73.h"
#include "preamp/LPF73.h"
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
// acc + c p, rounded once where the kernels fuse their taps (AVX2).
double AddTap(double acc, double c, double p, bool fused) { return fused ? std::fma(c, p, acc) : acc + c * p; }

// The plain sums of the half-band filters' odd taps and centre, and of the
// decimator.
double HalfbandSum(const double* now, double centre, double offset, bool fused)
{
  double h = OSAA::coef(1) * (now[0] + now[-63]);
  for (int m = 1; m < 32; ++m)
    h = AddTap(h, OSAA::coef(2 * m + 1), now[-m] + now[-63 + m], fused);
  return AddTap(h, 0.5, centre, fused) - offset;
}

double DecimatorSum(const double* a, const double* b, bool fused)
{
  double d = 0.5 * a[-16];
  for (int m = 1; m <= 16; ++m)
    d = AddTap(d, OSEQ::coef(2 * m - 1), b[-m] + b[-33 + m], fused);
  return 2.0 * d;
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
  // sums (each tap fused with the sum in the AVX2 kernels), for runs of
  // every length.
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
      const bool fused = k.kind == PreampKernels::kAvx2;
      const double* now = x.data() + 64;
      std::vector<double> y(n), z(n), w(n);
      k.halfband(now, centre.data(), 1, offset, y.data(), n);
      k.decimator(a.data() + 16, now, z.data(), n);
      // A constant centre needs no array.
      k.halfband(now, &offset, 0, offset, w.data(), n);
      for (int j = 0; j < n; ++j)
      {
        ASSERT_EQ(Bits(y[j]), Bits(HalfbandSum(now + j, centre[j], offset, fused)))
          << "kind " << k.kind << " n " << n << " at " << j;
        ASSERT_EQ(Bits(z[j]), Bits(DecimatorSum(a.data() + 16 + j, now + j, fused)))
          << "kind " << k.kind << " n " << n << " at " << j;
        ASSERT_EQ(Bits(w[j]), Bits(HalfbandSum(now + j, offset, offset, fused))) << j;
      }
    }
}

namespace {

// Emphasis sections of real designs, one row per lane.
struct Emphasis
{
  std::vector<Biquad> sections;
  CascadeCoefficients coefficients;

  explicit Emphasis(std::initializer_list<Biquad> designs) : sections(designs)
  {
    int k = 0;
    for (const Biquad& b : sections)
    {
      coefficients.a0[k] = b.a0;
      coefficients.a1[k] = b.a1;
      coefficients.a2[k] = b.a2;
      coefficients.b1[k] = b.b1;
      coefficients.b2[k] = b.b2;
      ++k;
    }
  }

  // One sample through the sections one after another.
  double Process(double x)
  {
    float v = static_cast<float>(x);
    for (Biquad& b : sections)
      v = b.process(v);
    return v;
  }
};

const double kFsK = 48000.0;

Emphasis PreEmphasis()
{
  return Emphasis{Biquad(Biquad::kLowshelf, 100.0 / kFsK, 0.8, -3.0), Biquad(Biquad::kPeak, 850.0 / kFsK, 0.28, 2.0),
                  Biquad(Biquad::kHighshelf, 4030.0 / kFsK, 0.28, -1.5)};
}

Emphasis DeEmphasis()
{
  return Emphasis{Biquad(Biquad::kLowshelf, 110.0 / kFsK, 0.8, 3.1), Biquad(Biquad::kPeak, 830.0 / kFsK, 0.28, -1.7),
                  Biquad(Biquad::kHighshelf, 4000.0 / kFsK, 0.28, 1.7),
                  Biquad(Biquad::kBandpass, 5000.0 / kFsK, 0.0004, 0.0)};
}

std::vector<PreampKernels> AllKinds()
{
  std::vector<PreampKernels> kinds = VectorKinds();
  kinds.push_back(PreampKernelsOfKind(PreampKernels::kScalar));
  return kinds;
}

// Runs of every length, from shorter than the wavefront's depth up.
constexpr int kRunLengths[] = {1, 2, 3, 5, 7, 64, 1, 128, 4};

} // namespace

TEST(PreampKernels, PreEmphasisIsTheSectionsOneAfterAnother)
{
  // Bit for bit, for one and two channels, with the state carried from run
  // to run; bad samples count as zero and the offset alternates.
  std::mt19937_64 rng(17);
  std::uniform_real_distribution<double> sample(-1.0, 1.0);
  for (const PreampKernels& k : AllKinds())
    for (int channels : {1, 2})
    {
      Emphasis plain[2] = {PreEmphasis(), PreEmphasis()};
      const Emphasis design = PreEmphasis();
      CascadeState state[2];
      double offset = 1e-15;
      for (int n : kRunLengths)
      {
        std::vector<double> in[2], out[2];
        for (int c = 0; c < 2; ++c)
        {
          in[c].resize(n);
          out[c].resize(n);
          for (double& v : in[c])
            v = sample(rng);
        }
        in[0][n / 2] = std::numeric_limits<double>::quiet_NaN();
        k.preEmphasis({&design.coefficients,
                       {&state[0], &state[1]},
                       {in[0].data(), in[1].data()},
                       {out[0].data(), out[1].data()},
                       channels,
                       n,
                       offset});
        for (int c = 0; c < channels; ++c)
          for (int i = 0; i < n; ++i)
          {
            const double x = std::isfinite(in[c][i]) ? in[c][i] : 0.0;
            const double expected = plain[c].Process(x - (i % 2 ? -offset : offset));
            ASSERT_EQ(Bits(out[c][i]), Bits(expected))
              << "kind " << k.kind << " channels " << channels << " run " << n << " channel " << c << " at " << i;
          }
        if (n % 2)
          offset = -offset;
      }
    }
}

TEST(PreampKernels, SectionsAreTheFiltersOneAfterAnother)
{
  // Subsonic and user high-pass, output gain and de-emphasis, bit for bit
  // against the filter classes, with the section in and out and polarity;
  // with the low-pass, within a few units of its division form.
  std::mt19937_64 rng(19);
  std::uniform_real_distribution<double> sample(-1.0, 1.0);
  for (const PreampKernels& k : AllKinds())
    for (int channels : {1, 2})
      for (bool lowpass : {false, true})
        for (bool filterOn : {false, true})
        {
          HPF73 sub[2], hpf[2], plainSub[2], plainHpf[2];
          LPF73 lpf[2], plainLpf[2];
          double lowpassOverA0[2][5];
          for (int c = 0; c < 2; ++c)
          {
            for (HPF73* h : {&sub[c], &plainSub[c]})
              h->Calc(2.0 * kFsK, 0.0);
            for (HPF73* h : {&hpf[c], &plainHpf[c]})
              h->Calc(2.0 * kFsK, c ? 0.75 : 0.9);
            for (LPF73* l : {&lpf[c], &plainLpf[c]})
              l->Calc(2.0 * kFsK, c ? 0.988 : 0.9943);
            const LPF73& l = lpf[c];
            const double over[5] = {l.b0 / l.a0, l.b1 / l.a0, l.b2 / l.a0, l.a1 / l.a0, l.a2 / l.a0};
            std::copy(over, over + 5, lowpassOverA0[c]);
          }
          Emphasis plain[2] = {DeEmphasis(), DeEmphasis()};
          const Emphasis design = DeEmphasis();
          CascadeState state[2];
          std::vector<double> first[2], second[2];
          for (int c = 0; c < 2; ++c)
            first[c].assign(32, 0.0), second[c].assign(32, 0.0);
          double offset = -1e-15;
          bool invert = false;
          for (int n : kRunLengths)
          {
            std::vector<double> source[2], out[2], scratch[2], gain(n);
            for (double& g : gain)
              g = 0.5 + 0.5 * sample(rng);
            SectionsRun run{};
            for (int c = 0; c < 2; ++c)
            {
              source[c].resize(n);
              out[c].resize(n);
              scratch[c].resize(n);
              for (double& v : source[c])
                v = sample(rng);
              first[c].resize(first[c].size() + n);
              second[c].resize(second[c].size() + n);
              run.channel[c] = {source[c].data(),
                                source[c].data(),
                                out[c].data(),
                                gain.data(),
                                &sub[c],
                                &hpf[c],
                                &lpf[c],
                                lowpassOverA0[c],
                                first[c].data() + first[c].size() - n,
                                second[c].data() + second[c].size() - n,
                                scratch[c].data(),
                                &state[c]};
            }
            run.channels = channels;
            run.n = n;
            run.gainStride = 1;
            run.offset = offset;
            run.invert = invert;
            run.fullBypass = false;
            run.coefficients = &design.coefficients;
            k.sections[lowpass][filterOn](run);
            for (int c = 0; c < channels; ++c)
            {
              const double* firstNow = first[c].data() + first[c].size() - n;
              const double* secondNow = second[c].data() + second[c].size() - n;
              for (int i = 0; i < n; ++i)
              {
                const double x = invert ? -source[c][i] : source[c][i];
                const double f = filterOn ? x : plainSub[c].Process(x);
                const double h = plainHpf[c].Process(f);
                if (lowpass)
                {
                  // The low-pass multiplies where the class divides; the
                  // decimator after it is checked on its own.
                  const double a = plainLpf[c].Process(h);
                  const double z = plainLpf[c].Process(0.0);
                  ASSERT_NEAR(firstNow[i], a, 1e-13 * std::max(1.0, std::fabs(a)));
                  ASSERT_NEAR(secondNow[i], z, 1e-13 * std::max(1.0, std::fabs(z)));
                  if (filterOn)
                    continue;
                }
                const double o = filterOn ? h : f;
                const double expected = plain[c].Process(o * gain[i]) - (i % 2 ? offset : -offset);
                ASSERT_EQ(Bits(out[c][i]), Bits(expected))
                  << "kind " << k.kind << " channels " << channels << " low-pass " << lowpass << " section " << filterOn
                  << " run " << n << " channel " << c << " at " << i;
              }
              // The state ends where the filters' does.
              if (!filterOn)
              {
                ASSERT_EQ(Bits(sub[c].y1), Bits(plainSub[c].y1));
              }
              ASSERT_EQ(Bits(hpf[c].y1), Bits(plainHpf[c].y1));
            }
            if (n % 2)
              offset = -offset;
            invert = !invert;
          }
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
