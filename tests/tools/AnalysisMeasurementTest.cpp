// The measurements of "corvane analyze" against systems whose answers are
// known in closed form: first-order filters with exact corners, a pure delay,
// polynomial curves with exact harmonics, a gain and a clipper.

#include "tools/corvane/AnalysisReport.h"
#include "tools/corvane/UnitAnalysis.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <deque>
#include <functional>
#include <limits>
#include <numbers>

using namespace corvane::host;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

constexpr double kPi = std::numbers::pi;

// A first-order filter (bilinear, prewarped: -3 dB exactly at its corner),
// then a memoryless curve, then a pure delay reported as the latency.
class KnownSystem : public SliceProcessor
{
public:
  enum Kind
  {
    kFlat,
    kLowPass,
    kHighPass
  };
  KnownSystem(
    Kind kind, double cornerHz, double rate, int delay,
    std::function<double(double)> curve = [](double x) { return x; })
  : mCurve(std::move(curve))
  , mDelay(delay)
  {
    const double k = std::tan(kPi * cornerHz / rate);
    a1 = (k - 1.0) / (k + 1.0);
    if (kind == kLowPass)
      b0 = b1 = k / (1.0 + k);
    else if (kind == kHighPass)
      b0 = 1.0 / (1.0 + k), b1 = -b0;
    else
      b0 = 1.0, b1 = 0.0, a1 = 0.0;
  }

  void Process(const float* const* in, float* const* out, size_t frames) override
  {
    for (size_t i = 0; i < frames; ++i)
    {
      const double x = in[0][i];
      const double y = b0 * x + b1 * x1 - a1 * y1;
      x1 = x;
      y1 = y;
      line.push_back(mCurve(y));
      const double delayed = line.size() > static_cast<size_t>(mDelay) ? line.front() : 0.0;
      if (line.size() > static_cast<size_t>(mDelay))
        line.pop_front();
      out[0][i] = out[1][i] = static_cast<float>(delayed);
    }
  }
  int64_t LatencyFrames() override { return mDelay; }

  std::complex<double> Response(double hz, double rate) const
  {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * hz / rate);
    return (b0 + b1 * z1) / (1.0 + a1 * z1);
  }

private:
  double b0 = 1, b1 = 0, a1 = 0, x1 = 0, y1 = 0;
  std::function<double(double)> mCurve;
  int mDelay;
  std::deque<double> line;
};

double Db(double v) { return 20.0 * std::log10(v); }

// Where the system's response is 3 dB below its level at 1 kHz, between lo and hi.
double ExactCorner(const KnownSystem& s, double rate, double lo, double hi)
{
  const auto db = [&](double hz) { return Db(std::abs(s.Response(hz, rate))); };
  const double target = db(1000.0) - 3.0;
  const bool rising = db(hi) > db(lo);
  for (int i = 0; i < 60; ++i)
  {
    const double mid = std::sqrt(lo * hi);
    ((db(mid) > target) == rising ? hi : lo) = mid;
  }
  return std::sqrt(lo * hi);
}

} // namespace

TEST(AnalysisMeasurement, ResponseMatchesKnownFiltersWithTheLatencyTakenOutOfThePhase)
{
  const struct
  {
    const char* name;
    KnownSystem::Kind kind;
    double corner;
    int rate;
    int delay;
    double gain;
    bool low, high; // a corner expected
  } cases[] = {
    {"flat, 81 samples late, -6 dB", KnownSystem::kFlat, 0, 48000, 81, 0.5, false, false},
    {"high-pass 100 Hz", KnownSystem::kHighPass, 100, 48000, 0, 1.0, true, false},
    {"high-pass 28 Hz at 44.1 kHz", KnownSystem::kHighPass, 28, 44100, 64, 1.0, true, false},
    {"low-pass 5 kHz, 17 samples late", KnownSystem::kLowPass, 5000, 48000, 17, 1.0, false, true},
    {"low-pass 30 kHz at 96 kHz", KnownSystem::kLowPass, 30000, 96000, 0, 2.0, false, true},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.name);
    MeasureSetup setup;
    setup.sampleRate = c.rate;
    const double gain = c.gain;
    KnownSystem unit(c.kind, c.corner, c.rate, c.delay, [gain](double x) { return gain * x; });
    const FrequencyResponse r = MeasureResponse(unit, setup);
    EXPECT_EQ(r.latency, c.delay);
    ASSERT_EQ(r.hz.size(), r.db.size());
    EXPECT_DOUBLE_EQ(r.hz.front(), 10.0);
    EXPECT_DOUBLE_EQ(r.hz.back(), 0.45 * c.rate);
    for (size_t i = 0; i < r.hz.size(); ++i)
    {
      const std::complex<double> want = c.gain * unit.Response(r.hz[i], c.rate);
      if (Db(std::abs(want)) < -60.0)
        continue;
      EXPECT_NEAR(r.db[i], Db(std::abs(want)), 0.01) << r.hz[i] << " Hz";
      EXPECT_NEAR(r.phaseDeg[i], std::arg(want) * 180.0 / kPi, 0.1) << r.hz[i] << " Hz";
    }
    const Corners corners = FindCorners(r);
    ASSERT_EQ(corners.lowHz.has_value(), c.low);
    ASSERT_EQ(corners.highHz.has_value(), c.high);
    if (c.low)
    {
      const double exact = ExactCorner(unit, c.rate, 10.0, 1000.0);
      EXPECT_NEAR(*corners.lowHz, exact, 0.002 * exact);
    }
    if (c.high)
    {
      const double exact = ExactCorner(unit, c.rate, 1000.0, 0.45 * c.rate);
      EXPECT_NEAR(*corners.highHz, exact, 0.002 * exact);
    }
  }
}

TEST(AnalysisMeasurement, HarmonicsOfPolynomialCurvesComeOutAsTheAlgebraSays)
{
  // y = x + a x^2 + b x^3 with x = A sin: H2 = a A^2 / 2, H3 = b A^3 / 4,
  // fundamental A + 3 b A^3 / 4.
  const struct
  {
    double a, b, levelDbfs, hz;
    int rate;
    double measuredHz;
    size_t harmonics; // below Nyquist
  } cases[] = {
    {0.1, 0.0, -12, 1000, 48000, 1000, 9}, {0.0, 0.2, -6, 1000.3, 48000, 1000, 9}, {0.05, 0.3, 0, 440, 44100, 440, 9},
    {0.1, 0.1, -12, 5000, 48000, 5000, 3}, {0.0, 0.0, -12, 1000, 48000, 1000, 9},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << "a " << c.a << ", b " << c.b << " at " << c.hz << " Hz");
    MeasureSetup setup;
    setup.sampleRate = c.rate;
    KnownSystem unit(KnownSystem::kFlat, 0, c.rate, 0, [&](double x) { return x + c.a * x * x + c.b * x * x * x; });
    const HarmonicAnalysis h = MeasureHarmonics(unit, setup, c.hz, c.levelDbfs);
    EXPECT_NEAR(h.frequencyHz, c.measuredHz, 1e-9);
    EXPECT_EQ(h.levelDbfs, c.levelDbfs);
    ASSERT_EQ(h.dbc.size(), c.harmonics);
    const double amp = std::pow(10.0, c.levelDbfs / 20.0);
    const double f = amp + 0.75 * c.b * amp * amp * amp, h2 = c.a * amp * amp / 2, h3 = c.b * amp * amp * amp / 4;
    EXPECT_NEAR(h.dbc[0], c.a > 0 ? Db(h2 / f) : kHarmonicFloorDbc, c.a > 0 ? 0.05 : 40.0);
    EXPECT_NEAR(h.dbc[1], c.b > 0 ? Db(h3 / f) : kHarmonicFloorDbc, c.b > 0 ? 0.05 : 40.0);
    if (c.a == 0)
    {
      EXPECT_LT(h.dbc[0], kHarmonicFloorDbc);
    }
    if (c.b == 0)
    {
      EXPECT_LT(h.dbc[1], kHarmonicFloorDbc);
    }
    for (size_t i = 2; i < h.dbc.size(); ++i)
      EXPECT_LT(h.dbc[i], kHarmonicFloorDbc) << "H" << i + 2;
    EXPECT_NEAR(h.thdPercent, 100.0 * std::hypot(h2, h3) / f, 0.005 * 100.0 * std::hypot(h2, h3) / f + 1e-5);
  }
}

TEST(AnalysisMeasurement, TransferCurveFollowsGainAndFlattensAtAClipper)
{
  MeasureSetup setup;
  KnownSystem doubled(KnownSystem::kFlat, 0, 48000, 17, [](double x) { return 2.0 * x; });
  const TransferCurve gain = MeasureTransfer(doubled, setup);
  ASSERT_EQ(gain.inDbfs.size(), 23u);
  EXPECT_EQ(gain.inDbfs.front(), -60.0);
  EXPECT_EQ(gain.inDbfs.back(), 6.0);
  for (size_t i = 0; i < gain.inDbfs.size(); ++i)
    EXPECT_NEAR(gain.outDbfs[i], gain.inDbfs[i] + Db(2.0), 0.01) << gain.inDbfs[i];

  // Clipped at 0.5: a sine's level up to -6 dBFS, then towards a square wave's (-3 dBFS).
  KnownSystem clipper(KnownSystem::kFlat, 0, 48000, 0, [](double x) { return std::clamp(x, -0.5, 0.5); });
  const TransferCurve clipped = MeasureTransfer(clipper, setup);
  for (size_t i = 0; i < clipped.inDbfs.size(); ++i)
  {
    if (clipped.inDbfs[i] <= -6.5)
    {
      EXPECT_NEAR(clipped.outDbfs[i], clipped.inDbfs[i], 0.01) << clipped.inDbfs[i];
    }
    if (i > 0)
    {
      EXPECT_GT(clipped.outDbfs[i], clipped.outDbfs[i - 1]) << clipped.inDbfs[i];
    }
  }
  EXPECT_GT(clipped.outDbfs.back(), Db(0.5));
  EXPECT_LT(clipped.outDbfs.back(), Db(0.5 * std::numbers::sqrt2));
}

TEST(AnalysisReport, JsonHasEveryFieldAndNullForWhatWasNotMeasured)
{
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  UnitAnalysis a;
  a.sampleRate = 48000;
  a.latency = 81;
  a.settings = {{"Gain", "25dB", false}, {"Name \"quoted\"", "a\\b", true}};
  a.response.hz = {10, 20};
  a.response.db = {-inf, -3.25};
  a.response.phaseDeg = {nan, 12.5};
  a.corners.highHz = 8279.87;
  a.harmonics = {1000, -12, nan, {-35.5, -inf}};
  a.transfer = {{-60, -57}, {-59.58, inf}};
  const std::string json = FormatAnalysisJson(a);
  for (const char* expected :
       {"\"sample_rate\": 48000", "\"latency_samples\": 81",
        "\"settings\": {\"Gain\": \"25dB\", "
        "\"Name \\\"quoted\\\"\": \"a\\\\b\"}",
        "\"hz\": [10, 20]", "\"db\": [null, -3.25]", "\"phase_deg\": [null, 12.5]", "\"minus3db_low_hz\": null",
        "\"minus3db_high_hz\": 8279.87", "\"thd_percent\": null", "\"dbc\": [-35.5, null]", "\"level_dbfs\": -12",
        "\"frequency_hz\": 1000", "\"in_dbfs\": [-60, -57]", "\"out_dbfs\": [-59.58, null]"})
    EXPECT_THAT(json, HasSubstr(expected));
  for (const char* never : {"nan", "inf", "NaN", "Inf"})
    EXPECT_THAT(json, Not(HasSubstr(never)));
}
