// The curve runs against the C library, argument by argument: the engine is
// only as exact as they are.
#include "preamp/CurveRuns.h"
#include "preamp/SaturationCurves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace iplug;

namespace {

#ifdef CORVANE_SANITIZED
constexpr int kRounds = 4;
#else
constexpr int kRounds = 32;
#endif
constexpr int kPerRound = 1 << 17; // odd-length runs below take one less

std::uint64_t Bits(double x)
{
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// Arguments that reach every path: magnitudes from subnormal to past 22,
// dense where the paths switch (2^-55, 0.173, 1, 22) and where the mic
// curve's atan term switches (u^7 near 2^-27), with random signs; a share of
// raw bit patterns (huge, infinite, NaN); and the special values.
std::vector<double> Arguments(std::mt19937_64& rng, int n)
{
  std::uniform_real_distribution<double> exponent(-62.0, 6.0);
  std::uniform_real_distribution<double> nearSwitch(-0.02, 0.02);
  static constexpr double kSwitches[] = {0x1p-55, 0x1.62e43p-3, 1.0, 22.0, 0.06897};
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
      case 1: x = kSwitches[rng() % 5] * (1.0 + nearSwitch(rng)); break;
      default: x = std::exp2(exponent(rng));
    }
    v[i] = (rng() & 1) ? -x : x;
  }
  const double inf = std::numeric_limits<double>::infinity();
  for (double special : {0.0, -0.0, inf, -inf, std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::denorm_min(), 0x1p-55, 22.0, 1.0, -1.0})
    v[rng() % n] = special;
  return v;
}

// Counts the arguments where run differs from f in any bit (NaN matches NaN).
template <typename F>
int Mismatches(CurveRun run, F f, const std::vector<double>& args, double* firstBad)
{
  std::vector<double> v = args;
  run(v.data(), static_cast<int>(v.size()));
  int bad = 0;
  for (size_t i = 0; i < args.size(); ++i)
  {
    const double expected = f(args[i]);
    if (Bits(v[i]) != Bits(expected) && !(std::isnan(v[i]) && std::isnan(expected)))
      if (bad++ == 0)
        *firstBad = args[i];
  }
  return bad;
}

} // namespace

TEST(CurveRuns, SystemRunsGiveTheLibrarysBitsForMillionsOfArguments)
{
  // Whichever runs were chosen, they must give the library's bits.
  const CurveRuns& runs = SystemCurveRuns();
  RecordProperty("kind", runs.kind);
  std::mt19937_64 rng(2024);
  for (int round = 0; round < kRounds; ++round)
  {
    // Odd lengths in every other round: the last value runs alone.
    const std::vector<double> args = Arguments(rng, kPerRound - round % 2);
    double bad = 0.0;
    ASSERT_EQ(Mismatches(
                runs.tanh, [](double x) { return std::tanh(x); }, args, &bad),
              0)
      << "tanh, first at " << std::hexfloat << bad;
    ASSERT_EQ(Mismatches(runs.line, LineCurve, args, &bad), 0) << "line, first at " << std::hexfloat << bad;
    ASSERT_EQ(Mismatches(runs.mic, MicCurve, args, &bad), 0) << "mic, first at " << std::hexfloat << bad;
  }
}

TEST(CurveRuns, FallBackToLibraryCallsWhenNoTwoLaneTanhFollowsTheLibrary)
{
  // A C library whose tanh differs from every kernel's: its own calls are the only exact runs.
  const auto otherTanh = [](double x) { return std::nextafter(std::tanh(x), 2.0); };
  EXPECT_EQ(SelectCurveRuns(otherTanh).kind, CurveRuns::kLibrary);
  EXPECT_EQ(SelectCurveRuns([](double x) { return std::tanh(x); }).kind, SystemCurveRuns().kind);
}

TEST(CurveRuns, RunsTouchOnlyTheirCount)
{
  // A run of one or zero writes nothing past its values.
  const CurveRuns& runs = SystemCurveRuns();
  for (CurveRun run : {runs.tanh, runs.line, runs.mic})
  {
    double v[3] = {0.5, 0.25, 0.125};
    run(v, 0);
    EXPECT_EQ(v[0], 0.5);
    run(v, 1);
    EXPECT_EQ(v[1], 0.25);
    EXPECT_EQ(v[2], 0.125);
  }
}
