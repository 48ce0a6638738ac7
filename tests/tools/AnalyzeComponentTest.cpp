// "corvane analyze" measuring the real component of this build, in process:
// a bypassed unit is flat and clean, every filter position's corners match
// the plain chain's impulse response, harmonics grow with the drive, and
// the transfer curve never turns back.

#include "preamp/FrequencyResponse.h"
#include "preamp/ReferenceChain.h"
#include "tools/corvane/ComponentLocator.h"
#include "tools/corvane/HostedAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

using namespace corvane::host;

namespace {

class AnalyzeComponent : public ::testing::Test
{
protected:
  void SetUp() override
  {
    bundle = ProgramFolder() + "/Corvane.component";
    ASSERT_TRUE(std::filesystem::exists(bundle + "/Contents/Linux/Corvane.so")) << bundle;
  }

  UnitSetup Setup(const std::vector<std::string>& params) const
  {
    UnitOptions options;
    options.component = bundle;
    options.params = params;
    return UnitSetup(options);
  }

  std::string bundle;
  MeasureSetup measure;
};

// The plain chain's -3 dB point from its impulse response, searched between lo and hi.
double ReferenceCorner(int param, int position, double lo, double hi)
{
  corvane_test::ReferenceChain chain;
  chain.fs = 48000.0;
  chain.OnParamChange(5, 0); // preamp out
  chain.OnParamChange(4, 1); // filter section in
  chain.OnParamChange(param, position);
  chain.OnReset();
  std::vector<double> inL(48000), inR(48000), h(48000), outR(48000);
  inL[0] = inR[0] = 1.0;
  double* ins[2] = {inL.data(), inR.data()};
  double* outs[2] = {h.data(), outR.data()};
  chain.ProcessBlock(ins, outs, static_cast<int>(h.size()));
  const double level = corvane_test::ResponseDb(h, 1000.0, chain.fs) - 3.0;
  return corvane_test::CrossingHz(h, chain.fs, level, lo, hi);
}

} // namespace

TEST_F(AnalyzeComponent, WithPreampAndFiltersOutTheUnitIsFlatAndClean)
{
  const UnitSetup setup = Setup({"Preamp Bypass=0", "Filter Bypass=0", "Gain=40dB", "Mic Pre=1"});
  const UnitAnalysis a = AnalyzeUnit(HostedUnitFactory(setup, measure), AnalysisRequest{measure, 1000.0, -12.0});
  EXPECT_EQ(a.latency, 0);
  for (size_t i = 0; i < a.response.hz.size(); ++i)
    EXPECT_NEAR(a.response.db[i], 0.0, 0.01) << a.response.hz[i] << " Hz";
  EXPECT_FALSE(a.corners.lowHz);
  EXPECT_FALSE(a.corners.highHz);
  EXPECT_LT(a.harmonics.thdPercent, 0.001);
  for (size_t i = 0; i < a.transfer.inDbfs.size(); ++i)
    EXPECT_NEAR(a.transfer.outDbfs[i], a.transfer.inDbfs[i], 0.01);
}

TEST_F(AnalyzeComponent, CornersOfEveryFilterPositionMatchThePlainChain)
{
  const struct
  {
    const char* setting;
    int param, position;
    bool low;
  } cases[] = {
    {"Highpass Filter=45Hz", 2, 1, true},  {"Highpass Filter=70Hz", 2, 2, true}, {"Highpass Filter=160Hz", 2, 3, true},
    {"Highpass Filter=360Hz", 2, 4, true}, {"Lowpass Filter=8kHz", 3, 1, false}, {"Lowpass Filter=6kHz", 3, 2, false},
    {"Lowpass Filter=4kHz", 3, 3, false},  {"Lowpass Filter=2kHz", 3, 4, false},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.setting);
    const UnitSetup setup = Setup({"Preamp Bypass=0", "Filter Bypass=1", c.setting});
    const FrequencyResponse r = MeasureResponse(*HostedUnitFactory(setup, measure)(), measure);
    EXPECT_EQ(r.latency, c.low ? 0 : 17);
    const Corners corners = FindCorners(r);
    const std::optional<double>& measured = c.low ? corners.lowHz : corners.highHz;
    ASSERT_TRUE(measured);
    const double reference = c.low ? ReferenceCorner(c.param, c.position, 10.0, 999.0)
                                   : ReferenceCorner(c.param, c.position, 1001.0, 0.45 * measure.sampleRate);
    EXPECT_NEAR(*measured, reference, 0.01 * reference);
  }
}

TEST_F(AnalyzeComponent, HarmonicDistortionRisesWithGain)
{
  for (const char* curve : {"Mic Pre=1", "Mic Pre=0"})
  {
    double before = 0.0;
    for (const char* gain : {"Gain=-20dB", "Gain=0dB", "Gain=10dB", "Gain=25dB", "Gain=40dB"})
    {
      const UnitSetup setup = Setup({curve, gain});
      const HarmonicAnalysis h = MeasureHarmonics(*HostedUnitFactory(setup, measure)(), measure, 1000.0, -12.0);
      EXPECT_GT(h.thdPercent, before) << curve << ", " << gain;
      before = h.thdPercent;
    }
  }
}

TEST_F(AnalyzeComponent, TransferCurveRisesAllTheWay)
{
  for (const std::vector<std::string>& settings : std::vector<std::vector<std::string>>{
         {},
         {"Gain=40dB", "Mic Pre=1"},
         {"Gain=40dB", "Mic Pre=0"},
         {"Gain=25dB", "Mic Pre=1", "Oversampling=on", "Filter Bypass=1", "Lowpass Filter=8kHz"},
       })
  {
    const UnitSetup setup = Setup(settings);
    const TransferCurve t = MeasureTransfer(*HostedUnitFactory(setup, measure)(), measure);
    for (size_t i = 1; i < t.outDbfs.size(); ++i)
      EXPECT_GT(t.outDbfs[i], t.outDbfs[i - 1]) << settings.size() << " settings, at " << t.inDbfs[i] << " dBFS";
  }
}
