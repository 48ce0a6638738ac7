// The preamp chain: sound, latency, bypass, reset and bad input.
#include "EngineHarness.h"
#include "ReferenceChain.h"
#include "preamp/CorvaneEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

using namespace iplug;
using namespace corvane_test;
using E = CorvaneEngine;

namespace {

constexpr double kFs = 48000.0;

// Level of the component at hz, from a whole number of periods.
double ToneLevel(const std::vector<double>& v, size_t from, size_t n, double hz)
{
  double re = 0.0, im = 0.0;
  for (size_t i = from; i < from + n; ++i)
  {
    const double w = 2.0 * std::numbers::pi * hz * i / kFs;
    re += v[i] * std::cos(w);
    im += v[i] * std::sin(w);
  }
  return 2.0 * std::hypot(re, im) / static_cast<double>(n);
}

} // namespace

TEST(CorvaneEngine, PreampStageHasUnitySmallSignalGainAtEveryGainStep)
{
  const Stereo in = Sine(9600, 1000.0, 0.001);
  for (int os = 0; os <= 1; ++os)
    for (int mic = 0; mic <= 1; ++mic)
    {
      // Filter section in (both filters off) so preamp in and out share every
      // other stage; the comparison isolates the preamp stage.
      E bypassed;
      Configure(bypassed, {{E::kFilterBypass, 1}, {E::kPreampBypass, 0}, {E::kMicPre, mic}});
      const double ref = Rms(RunBlocks(bypassed, in, 512).l, 4800);
      for (int g = 0; g <= 12; ++g)
      {
        E e;
        Configure(e, {{E::kFilterBypass, 1}, {E::kGain, g}, {E::kOversampling, os}, {E::kMicPre, mic}});
        const Stereo out = RunBlocks(e, in, 512);
        EXPECT_NEAR(Rms(out.l, 4800) / ref, 1.0, 2e-4) << "gain " << g << " os " << os << " mic " << mic;
        EXPECT_NEAR(Rms(out.r, 4800) / ref, 1.0, 2e-4);
      }
    }
}

TEST(CorvaneEngine, GainSetsHowHardTheCurveIsDriven)
{
  // 0.5 at "40dB" drives the curve to u = 5: strong second harmonic; at
  // "-20dB" u stays at 0.005 and the output is clean.
  const Stereo in = Sine(19200, 1000.0, 0.5);
  double secondHarmonic[2];
  for (int i : {0, 1})
  {
    E e;
    Configure(e, {{E::kGain, i == 0 ? 0 : 12}});
    const Stereo out = RunBlocks(e, in, 256);
    secondHarmonic[i] = ToneLevel(out.l, 9600, 9600, 2000.0) / ToneLevel(out.l, 9600, 9600, 1000.0);
  }
  EXPECT_LT(secondHarmonic[0], 1e-3);
  EXPECT_GT(secondHarmonic[1], 0.05);
}

TEST(CorvaneEngine, ReportsLatencyOfTheEngagedSections)
{
  struct Case
  {
    int preamp, filter, lowpass, os, latency;
  };
  for (const Case c : {Case{1, 0, 0, 0, 0},
                       {1, 0, 2, 0, 0},
                       {1, 1, 2, 0, 17},
                       {1, 1, 0, 0, 0},
                       {1, 0, 0, 1, 64},
                       {1, 1, 0, 1, 64},
                       {1, 1, 4, 1, 81},
                       {0, 1, 1, 1, 17},
                       {0, 1, 0, 1, 0},
                       {0, 0, 3, 1, 0}})
  {
    E e;
    Configure(
      e,
      {{E::kPreampBypass, c.preamp}, {E::kFilterBypass, c.filter}, {E::kLowpass, c.lowpass}, {E::kOversampling, c.os}});
    EXPECT_EQ(e.Latency(), c.latency) << c.preamp << c.filter << c.lowpass << c.os;
  }
}

TEST(CorvaneEngine, LatencyMatchesTheMeasuredDelay)
{
  // A click through the engaged chain peaks where the reported latency says.
  for (auto [lowpass, os] : {std::pair{0, 0}, {2, 0}, {0, 1}, {1, 1}})
  {
    E e;
    Configure(e, {{E::kFilterBypass, 1}, {E::kLowpass, lowpass}, {E::kOversampling, os}});
    Stereo in(400);
    in.l[100] = in.r[100] = 0.01;
    const Stereo out = RunBlocks(e, in, 64);
    size_t peak = 0;
    for (size_t i = 0; i < out.size(); ++i)
      if (std::fabs(out.l[i]) > std::fabs(out.l[peak]))
        peak = i;
    EXPECT_NEAR(static_cast<double>(peak) - 100.0, e.Latency(), 1.0) << lowpass << os;
  }
}

TEST(CorvaneEngine, BothSwitchesOutPassTheInput)
{
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  Stereo in(5000);
  for (size_t i = 0; i < in.size(); ++i)
    in.l[i] = dist(rng), in.r[i] = dist(rng);
  for (int os = 0; os <= 1; ++os)
  {
    E e;
    Configure(e, {{E::kPreampBypass, 0},
                  {E::kFilterBypass, 0},
                  {E::kGain, 12},
                  {E::kHighpass, 4},
                  {E::kLowpass, 4},
                  {E::kPhase, 1},
                  {E::kOutput, -24.0},
                  {E::kOversampling, os}});
    const Stereo out = RunBlocks(e, in, 333);
    for (size_t i = 0; i < in.size(); ++i)
    {
      // The output is the input plus the 1e-15 anti-denormal offset.
      ASSERT_NEAR(out.l[i], in.l[i], 1.001e-15) << i;
      ASSERT_NEAR(out.r[i], in.r[i], 1.001e-15) << i;
    }
  }
}

TEST(CorvaneEngine, PhaseInvertsTheOutputWithFiltersInAndOut)
{
  const Stereo in = Sine(4000, 440.0, 0.3);
  for (int filter = 0; filter <= 1; ++filter)
  {
    E normal, inverted;
    Configure(normal, {{E::kFilterBypass, filter}, {E::kGain, 10}, {E::kLowpass, 2}});
    Configure(inverted, {{E::kFilterBypass, filter}, {E::kGain, 10}, {E::kLowpass, 2}, {E::kPhase, 1}});
    const Stereo a = RunBlocks(normal, in, 128), b = RunBlocks(inverted, in, 128);
    double peak = 0.0;
    for (size_t i = 0; i < in.size(); ++i)
    {
      ASSERT_NEAR(b.l[i], -a.l[i], 1e-14) << i;
      peak = std::max(peak, std::fabs(a.l[i]));
    }
    EXPECT_GT(peak, 0.1);
  }
}

TEST(CorvaneEngine, ResetPutsSmoothersOnTargetAndKeepsRecursiveState)
{
  E e;
  Configure(e, {});
  const Stereo in = Sine(2000, 300.0, 0.5);
  RunBlocks(e, in, 500);
  e.OnParamChange(E::kGain, 12);
  e.OnParamChange(E::kOutput, -24.0);
  e.OnParamChange(E::kHighpass, 3);
  e.OnParamChange(E::kLowpass, 4);
  e.Reset();
  const E::Smoothers& s = e.GetSmoothers();
  EXPECT_EQ(s.gain.z, 1000.0);
  EXPECT_EQ(s.output.z, std::pow(10.0, -1.2));
  EXPECT_EQ(s.hpf.z, 0.9);
  EXPECT_EQ(s.lpf.z, 0.97);
  EXPECT_EQ(s.drive.z, 0.01);

  // The biquads and console filters were not cleared: silence after the
  // reset still rings out of them.
  const Stereo out = RunBlocks(e, Stereo(64), 64);
  EXPECT_GT(std::fabs(out.l[0]), 1e-6);
}

TEST(CorvaneEngine, EmptyBlockStillAdvancesFilterControlsAndLatency)
{
  E e;
  Configure(e, {});
  e.OnParamChange(E::kFilterBypass, 1);
  e.OnParamChange(E::kLowpass, 3);
  e.OnParamChange(E::kHighpass, 4);
  EXPECT_EQ(e.GetSmoothers().lpf.z, 1.0);
  double* none[2] = {nullptr, nullptr};
  e.ProcessBlock(none, none, 0);
  EXPECT_LT(e.GetSmoothers().lpf.z, 1.0);
  EXPECT_GT(e.GetSmoothers().hpf.z, 0.0);
  EXPECT_EQ(e.Latency(), 17);
  e.ProcessBlock(none, none, -5);
}

TEST(CorvaneEngine, IgnoresValuesOutsideTheParameterSteps)
{
  E e;
  const E::Settings before = e.GetSettings();
  for (int idx = -1; idx <= 9; ++idx)
    for (double v :
         {-1.0, 13.0, 1e300, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
      if (idx != E::kOutput || !std::isfinite(v) || v > 24.0)
        e.OnParamChange(idx, v);
  const E::Settings after = e.GetSettings();
  EXPECT_EQ(after.gainFactor, before.gainFactor);
  EXPECT_EQ(after.outputGain, before.outputGain);
  EXPECT_EQ(after.hpfPosition, before.hpfPosition);
  EXPECT_EQ(after.lpfPosition, before.lpfPosition);
  EXPECT_EQ(after.filterOn, before.filterOn);
  EXPECT_EQ(after.preampOn, before.preampOn);
  EXPECT_EQ(after.micPre, before.micPre);
  EXPECT_EQ(after.oversampling, before.oversampling);
  EXPECT_EQ(after.osLatency, before.osLatency);
}

// Runs the engine on one channel in blocks of blockSize.
std::vector<double> RunMono(E& e, const std::vector<double>& in, int blockSize)
{
  std::vector<double> out(in.size());
  for (size_t pos = 0; pos < in.size(); pos += blockSize)
  {
    double* ins[1] = {const_cast<double*>(in.data() + pos)};
    double* outs[1] = {out.data() + pos};
    e.ProcessBlock(ins, outs, static_cast<int>(std::min<size_t>(blockSize, in.size() - pos)), 1);
  }
  return out;
}

TEST(CorvaneEngine, MonoIsTheLeftChainAlone)
{
  // The right chain shares nothing with the left but the smoothers, which
  // step the same way with one channel: whatever the right input, the left
  // output is the mono output, in every mode.
  std::mt19937 rng(23);
  std::uniform_real_distribution<double> noise(-0.9, 0.9);
  Stereo in(3000);
  for (size_t i = 0; i < in.size(); ++i)
    in.l[i] = 0.5 * std::sin(0.09 * static_cast<double>(i)) + 0.3 * noise(rng), in.r[i] = noise(rng);
  for (int os = 0; os <= 1; ++os)
    for (int preamp = 0; preamp <= 1; ++preamp)
      for (int filter = 0; filter <= 1; ++filter)
        for (int lowpass : {0, 3})
        {
          const std::initializer_list<std::pair<int, double>> settings = {
            {E::kOversampling, os}, {E::kPreampBypass, preamp}, {E::kFilterBypass, filter},
            {E::kLowpass, lowpass}, {E::kHighpass, 2},          {E::kGain, 9}};
          E mono, stereo;
          Configure(mono, settings);
          Configure(stereo, settings);
          // Gliding smoothers as well: a setting moves after the reset.
          mono.OnParamChange(E::kGain, 11);
          stereo.OnParamChange(E::kGain, 11);
          EXPECT_EQ(RunMono(mono, in.l, 200), RunBlocks(stereo, in, 200).l)
            << "os " << os << " preamp " << preamp << " filter " << filter << " low-pass " << lowpass;
        }
}

TEST(CorvaneEngine, RightChainStartsFromSilenceWhenMonoTurnsStereo)
{
  // After running mono the right chain has not run; when a second channel
  // comes, it starts as silence would have left it, not from what it held
  // before.
  const Stereo loud = Sine(4000, 300.0, 0.8);
  const Stereo quiet = Sine(2000, 300.0, 0.001);
  for (int os = 0; os <= 1; ++os)
  {
    E e, fresh;
    Configure(e, {{E::kOversampling, os}, {E::kFilterBypass, 1}, {E::kLowpass, 2}});
    Configure(fresh, {{E::kOversampling, os}, {E::kFilterBypass, 1}, {E::kLowpass, 2}});
    RunBlocks(e, loud, 256); // the right chain rings with the sine
    RunMono(e, Stereo(20000).l, 256);
    RunBlocks(fresh, Stereo(24000), 256);
    const Stereo a = RunBlocks(e, quiet, 256), b = RunBlocks(fresh, quiet, 256);
    for (size_t i = 0; i < quiet.size(); ++i)
      ASSERT_NEAR(a.r[i], b.r[i], 1e-9) << "os " << os << " at " << i;
  }
}

// The engine against the plain chain over a long signal with the settings,
// block sizes and resets changing along the way.
TEST(CorvaneEngine, FollowsThePlainChainSampleBySample)
{
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  E engine;
  ReferenceChain ref;
  engine.SetSampleRate(kFs);
  ref.fs = kFs;

  const int ranges[9] = {12, 48, 4, 4, 1, 1, 1, 1, 1};
  double phase = 0.0, maxDiff = 0.0;
  size_t samples = 0;
  for (int block = 0; block < 900; ++block)
  {
    // Every few blocks one or two parameters move; now and then a reset.
    if (block % 7 == 0)
    {
      for (int k = 0; k < 2; ++k)
      {
        const int idx = std::uniform_int_distribution<int>(0, 8)(rng);
        const double v = idx == E::kOutput ? std::uniform_real_distribution<double>(-24.0, 24.0)(rng)
                                           : std::uniform_int_distribution<int>(0, ranges[idx])(rng);
        engine.OnParamChange(idx, v);
        ref.OnParamChange(idx, v);
      }
    }
    if (block % 97 == 50)
    {
      // A reset, sometimes at a new sample rate.
      const double fs = (block / 97) % 3 == 1 ? 96000.0 : (block / 97) % 3 == 2 ? 44100.0 : kFs;
      engine.Reset(fs);
      ref.fs = fs;
      ref.OnReset();
    }

    const int n = std::uniform_int_distribution<int>(0, 700)(rng);
    Stereo in(n);
    const double hz = 30.0 + 40.0 * (block % 50);
    for (int i = 0; i < n; ++i, phase += 2.0 * std::numbers::pi * hz / 48000.0)
    {
      in.l[i] = 0.8 * std::sin(phase) + 0.2 * noise(rng);
      in.r[i] = 0.5 * std::sin(1.3 * phase) + (block % 3 == 0 ? 0.4 * noise(rng) : 0.0);
    }
    const Stereo a = RunBlocks(engine, in, std::max(n, 1));
    const Stereo b = RunBlocks(ref, in, std::max(n, 1));
    if (n == 0)
    {
      double* none[2] = {nullptr, nullptr};
      engine.ProcessBlock(none, none, 0);
      ref.ProcessBlock(none, none, 0);
    }
    // The output gain lifts the signal up to +24 dB, where a rounding of
    // the single-precision sections that went the other way moves it by
    // more than 1e-7: the bound is a few such units at the output's level.
    for (int i = 0; i < n; ++i)
    {
      const double unitL = 0x1p-23 * std::max(1.0, std::fabs(b.l[i]));
      const double unitR = 0x1p-23 * std::max(1.0, std::fabs(b.r[i]));
      maxDiff = std::max({maxDiff, std::fabs(a.l[i] - b.l[i]) / unitL, std::fabs(a.r[i] - b.r[i]) / unitR});
      ASSERT_NEAR(a.l[i], b.l[i], 4.0 * unitL) << "block " << block << " sample " << i;
      ASSERT_NEAR(a.r[i], b.r[i], 4.0 * unitR) << "block " << block << " sample " << i;
    }
    ASSERT_EQ(engine.Latency(), ref.latency) << block;
    samples += n;
  }
  EXPECT_GT(samples, 250000u);
  RecordProperty("max_difference_in_units", std::to_string(maxDiff));
}

// The engine's curves and filter loops may round differently from the plain
// chain in the last bits of a double. The single-precision sections turn
// that into, at most, a rare step of one single-precision unit: never more
// than 1e-7 while the output stays within +/-1.
TEST(CorvaneEngine, StaysWithinATenMillionthOfThePlainChain)
{
  struct Mode
  {
    const char* name;
    int os, preamp, filter, gain, mic, highpass, lowpass, phase;
  };
  const Mode modes[] = {
    {"preamp and filters", 0, 1, 1, 4, 0, 2, 2, 0},
    {"preamp only", 0, 1, 0, 4, 0, 2, 2, 0},
    {"filters only", 0, 0, 1, 4, 0, 2, 2, 0},
    {"both out", 0, 0, 0, 4, 0, 2, 2, 0},
    {"oversampled, preamp and filters", 1, 1, 1, 4, 0, 2, 2, 0},
    {"oversampled, preamp only", 1, 1, 0, 4, 0, 2, 2, 0},
    {"oversampled, filters only", 1, 0, 1, 4, 0, 2, 2, 0},
    {"oversampled, both out", 1, 0, 0, 4, 0, 2, 2, 0},
    {"hot line", 0, 1, 1, 12, 0, 2, 2, 0},
    {"hot mic", 0, 1, 1, 12, 1, 2, 2, 0},
    {"oversampled, hot line", 1, 1, 1, 12, 0, 2, 2, 0},
    {"oversampled, hot mic", 1, 1, 1, 12, 1, 2, 2, 0},
    {"quiet mic, extreme filters, phase", 0, 1, 1, 0, 1, 4, 4, 1},
    {"oversampled mic, no low-pass", 1, 1, 1, 8, 1, 0, 0, 0},
  };
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> noise(-0.1, 0.1);
  double worst = 0.0;
  std::vector<PreampKernels> kinds;
  for (PreampKernels::Kind kind : {PreampKernels::kScalar, PreampKernels::kSse2, PreampKernels::kAvx2})
    if (const PreampKernels k = PreampKernelsOfKind(kind); k.micStage)
      kinds.push_back(k);
  for (const PreampKernels& kernels : kinds)
    for (double fs : {44100.0, 48000.0, 96000.0, 192000.0})
    {
      Stereo in(4096);
      for (size_t i = 0; i < in.size(); ++i)
      {
        const double t = static_cast<double>(i) / fs;
        in.l[i] = 0.8 * std::sin(2.0 * std::numbers::pi * 220.0 * t) + noise(rng);
        in.r[i] = 0.6 * std::sin(2.0 * std::numbers::pi * 3300.0 * t) + noise(rng) + (i % 1000 == 0 ? 0.3 : 0.0);
      }
      for (const Mode& m : modes)
      {
        E engine(kernels);
        ReferenceChain ref;
        for (auto [idx, v] : {std::pair{E::kGain, m.gain},
                              {E::kMicPre, m.mic},
                              {E::kHighpass, m.highpass},
                              {E::kLowpass, m.lowpass},
                              {E::kFilterBypass, m.filter},
                              {E::kPreampBypass, m.preamp},
                              {E::kPhase, m.phase},
                              {E::kOversampling, m.os}})
        {
          engine.OnParamChange(idx, v);
          ref.OnParamChange(idx, v);
        }
        engine.OnParamChange(E::kOutput, -3.0);
        ref.OnParamChange(E::kOutput, -3.0);
        engine.Reset(fs);
        ref.fs = fs;
        ref.OnReset();
        // Blocks of 512 and a ragged end.
        const Stereo a = RunBlocks(engine, in, 500), b = RunBlocks(ref, in, 500);
        double diff = 0.0, peak = 0.0;
        for (size_t i = 0; i < in.size(); ++i)
        {
          diff = std::max({diff, std::fabs(a.l[i] - b.l[i]), std::fabs(a.r[i] - b.r[i])});
          peak = std::max({peak, std::fabs(b.l[i]), std::fabs(b.r[i])});
        }
        ASSERT_LT(peak, 1.0) << m.name << " at " << fs << " Hz: the bound holds within +/-1";
        EXPECT_LE(diff, 1e-7) << m.name << " at " << fs << " Hz, kernels of kind " << kernels.kind;
        worst = std::max(worst, diff);
      }
    }
  RecordProperty("max_difference", std::to_string(worst));
}

TEST(CorvaneEngine, BadSamplesDoNotPoisonTheChain)
{
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (int os = 0; os <= 1; ++os)
  {
    // Non-finite samples are taken as silence: the rest of the stream is
    // exactly what it would have been with zeros in their place.
    Stereo in = Sine(6000, 500.0, 0.5), zeros = in;
    for (size_t i : {100u, 101u, 2000u, 2999u})
    {
      in.l[i] = i % 2 ? nan : inf;
      in.r[i] = -inf;
      zeros.l[i] = zeros.r[i] = 0.0;
    }
    E dirty, clean;
    Configure(dirty, {{E::kFilterBypass, 1}, {E::kLowpass, 2}, {E::kOversampling, os}});
    Configure(clean, {{E::kFilterBypass, 1}, {E::kLowpass, 2}, {E::kOversampling, os}});
    EXPECT_EQ(RunBlocks(dirty, in, 512).l, RunBlocks(clean, zeros, 512).l);

    // A sample too large for the single-precision sections overflows them;
    // the chain starts afresh instead of staying NaN.
    Stereo huge = Sine(6000, 500.0, 0.5);
    huge.l[700] = 1e300;
    huge.r[701] = -3e39;
    E e, mono;
    Configure(e, {{E::kFilterBypass, 1}, {E::kLowpass, 2}, {E::kOversampling, os}});
    Configure(mono, {{E::kFilterBypass, 1}, {E::kLowpass, 2}, {E::kOversampling, os}});
    const Stereo out = RunBlocks(e, huge, 512);
    const std::vector<double> monoOut = RunMono(mono, huge.l, 512);
    for (size_t i = 0; i < out.size(); ++i)
    {
      ASSERT_TRUE(std::isfinite(out.l[i])) << i;
      ASSERT_TRUE(std::isfinite(out.r[i])) << i;
      ASSERT_TRUE(std::isfinite(monoOut[i])) << i;
    }
    EXPECT_GT(Rms(out.l, 5000), 0.1);
    EXPECT_GT(Rms(monoOut, 5000), 0.1);
  }
}

TEST(CorvaneEngine, OutputStaysFiniteAndBoundedAtEverySampleRate)
{
  // The hardest drive with both filters at their extremes, at rates where
  // the fixed sections would sit at or above the Nyquist frequency and at
  // the usual ones.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  for (double fs : {8000.0, 9600.0, 11025.0, 16000.0, 22050.0, 44100.0, 96000.0, 192000.0, 384000.0})
  {
    const size_t n = static_cast<size_t>(fs / 2);
    Stereo white(n);
    for (size_t i = 0; i < n; ++i)
      white.l[i] = white.r[i] = noise(rng);
    const struct
    {
      const char* name;
      Stereo in;
    } signals[] = {{"silence", Stereo(n)}, {"full-scale sine", Sine(n, 1000.0, 1.0, fs)}, {"white noise", white}};
    for (const auto& signal : signals)
    {
      for (int extreme : {1, 4}) // the lowest and the highest filter positions
      {
        E e;
        Configure(e,
                  {{E::kGain, 12},
                   {E::kHighpass, extreme},
                   {E::kLowpass, extreme},
                   {E::kFilterBypass, 1},
                   {E::kOversampling, 1}},
                  fs);
        const Stereo out = RunBlocks(e, signal.in, 512);
        double peak = 0.0;
        for (size_t i = 0; i < n; ++i)
          peak = std::max({peak, std::fabs(out.l[i]), std::fabs(out.r[i])});
        // +40 dBFS; NaN fails too.
        EXPECT_LT(peak, 100.0) << signal.name << " at " << fs << " Hz, filters at " << extreme;
      }
    }
  }
}
