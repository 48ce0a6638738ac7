// Console high-pass and low-pass: responses measured from impulse responses.
#include "FrequencyResponse.h"
#include "preamp/HPF73.h"
#include "preamp/LPF73.h"

#include <gtest/gtest.h>

using namespace iplug;
using corvane_test::CrossingHz;
using corvane_test::ImpulseResponse;
using corvane_test::ResponseDb;

namespace {

constexpr double kBase = 48000.0;
constexpr double kTwice = 96000.0;

std::vector<double> HighpassImpulse(double r)
{
  HPF73 f;
  f.Calc(kTwice, r);
  return ImpulseResponse([&](double x) { return f.Process(x); }, 1 << 16);
}

std::vector<double> LowpassImpulse(double r)
{
  LPF73 f;
  f.Calc(kTwice, r);
  return ImpulseResponse([&](double x) { return f.Process(x); }, 1 << 13);
}

} // namespace

TEST(HPF73, CornerAndPassBandForEverySwitchPosition)
{
  struct Case
  {
    double r, cornerHz;
  };
  for (const Case c : {Case{0.0, 11.0}, {0.6, 28.0}, {0.75, 44.0}, {0.9, 105.0}, {0.95, 195.0}})
  {
    SCOPED_TRACE(c.r);
    const auto h = HighpassImpulse(c.r);
    const double corner = CrossingHz(h, kBase, -3.0, 2.0, 2000.0);
    EXPECT_NEAR(corner, c.cornerHz, 0.06 * c.cornerHz);
    double passDb = -100.0; // top of the pass band
    for (double f = 300.0; f < 5000.0; f *= 1.05)
      passDb = std::max(passDb, ResponseDb(h, f, kBase));
    EXPECT_LT(passDb, c.r == 0.0 ? 0.0 : -0.003);
    EXPECT_GT(passDb, c.r == 0.0 ? -0.01 : -0.035);
  }
}

TEST(HPF73, TwelveDbPerOctaveWellBelowTheCorner)
{
  const auto h = HighpassImpulse(0.9);
  // The s^2 numerator leaves 12 dB per octave well below the corner.
  EXPECT_NEAR(ResponseDb(h, 10.0, kBase) - ResponseDb(h, 20.0, kBase), -12.0, 0.3);
}

TEST(HPF73, ConstantInputDecaysToZero)
{
  for (double r : {0.0, 0.95})
  {
    HPF73 f;
    f.Calc(kTwice, r);
    double y = 0.0;
    for (int i = 0; i < 48000; ++i)
      y = f.Process(0.5);
    EXPECT_LT(std::fabs(y), 1e-6) << r;
  }
}

TEST(LPF73, ResponseAtTwiceTheRate)
{
  struct Case
  {
    double r, cornerHz, nyquistDb;
  };
  for (const Case c :
       {Case{0.9992, 12200.0, -22.0}, {0.9943, 8400.0, -29.0}, {0.988, 6000.0, -36.0}, {0.97, 3200.0, -47.0}})
  {
    SCOPED_TRACE(c.r);
    const auto h = LowpassImpulse(c.r);
    EXPECT_NEAR(ResponseDb(h, 0.0, kTwice), -0.0001, 0.0002);

    double bump = -100.0, bumpHz = 0.0;
    for (double f = 10.0; f < c.cornerHz; f *= 1.01)
      if (const double db = ResponseDb(h, f, kTwice); db > bump)
        bump = db, bumpHz = f;
    EXPECT_NEAR(bump, 0.2, 0.1) << bumpHz;

    const double corner = CrossingHz(h, kTwice, -3.0, bumpHz, 47000.0);
    EXPECT_NEAR(corner, c.cornerHz, 0.04 * c.cornerHz);

    // Finite floor at Nyquist: the numerator has no double zero there.
    EXPECT_NEAR(ResponseDb(h, 48000.0, kTwice), c.nyquistDb, 1.0);
  }
}
