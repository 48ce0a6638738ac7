#include "preamp/CorvaneEngine.h"

#include "preamp/SaturationCurves.h"

#include <cmath>
#include <numbers>

namespace iplug {

namespace {

constexpr int kGainFactors[13] = {1, 1, 3, 5, 10, 17, 31, 56, 100, 177, 316, 562, 1000};
constexpr double kHpfPositions[5] = {0.0, 0.6, 0.75, 0.9, 0.95};
constexpr double kLpfPositions[5] = {1.0, 0.9992, 0.9943, 0.988, 0.97};
constexpr double kDrive = 0.01;

constexpr auto relaxed = std::memory_order_relaxed;

using Pair = StereoSample;
using PairBiquad = BasicBiquad<StereoSample>;

// Emphasis sections take and return single-precision samples.
inline Pair PreEmphasis(PairBiquad& low, PairBiquad& peak, PairBiquad& high, Pair x)
{
  return Widen(high.process(peak.process(low.process(Narrow(x)))));
}

inline Pair DeEmphasis(PairBiquad& low, PairBiquad& peak, PairBiquad& high, PairBiquad& band, Pair x)
{
  return Widen(band.process(high.process(peak.process(low.process(Narrow(x))))));
}

// A smoother seen through one block, in which its target stays fixed. Once a
// step leaves the state unchanged, every further step returns that same
// value, so the steps need not be computed: the glide is bit-for-bit what
// stepping every time would give.
class BlockGlide
{
public:
  BlockGlide(Smoother& smoother, double target) : mSmoother(smoother), mTarget(target)
  {
    Smoother probe = smoother;
    mSettled = probe.Process(target) == smoother.z;
  }

  double Next() { return mSettled ? mSmoother.z : mSmoother.Process(mTarget); }

  // Four steps whose values are not needed.
  void Skip4()
  {
    if (!mSettled)
      for (int i = 0; i < 4; ++i)
        mSmoother.Process(mTarget);
  }

private:
  Smoother& mSmoother;
  double mTarget;
  bool mSettled;
};

inline double Sanitized(double x) { return std::isfinite(x) ? x : 0.0; }

} // namespace

void CorvaneEngine::OnParamChange(int paramIdx, double value)
{
  // Also keeps NaN and huge values away from the conversion to int.
  if (!(value > -1000.0 && value < 1000.0))
    return;
  const int v = static_cast<int>(value);
  AtomicSettings& s = mSettings;
  switch (paramIdx)
  {
    case kGain:
      if (v >= 0 && v <= 12)
        s.gainFactor.store(kGainFactors[v], relaxed);
      break;
    case kOutput:
      if (value >= -24.0 && value <= 24.0)
        s.outputGain.store(std::pow(10.0, value / 20.0), relaxed);
      break;
    case kHighpass:
      if (v >= 0 && v <= 4)
        s.hpfPosition.store(kHpfPositions[v], relaxed);
      break;
    case kLowpass:
      if (v >= 0 && v <= 4)
      {
        s.lpfPosition.store(kLpfPositions[v], relaxed);
        s.lpfLatency.store(v == 0 ? 0 : kLowpassLatency, relaxed);
      }
      break;
    case kFilterBypass:
      if (v == 0 || v == 1)
        s.filterOn.store(v, relaxed);
      break;
    case kPreampBypass:
      if (v == 0 || v == 1)
        s.preampOn.store(v, relaxed);
      break;
    case kMicPre:
      if (v == 0 || v == 1)
        s.micPre.store(v, relaxed);
      break;
    case kPhase:
      if (v == 0 || v == 1)
        s.phaseInvert.store(v, relaxed);
      break;
    case kOversampling:
      if (v == 0 || v == 1)
      {
        s.oversampling.store(v == 1 ? 2 : 0, relaxed);
        s.osLatency.store(v == 1 ? kOversamplingLatency : 0, relaxed);
      }
      break;
    default:
      break;
  }
}

CorvaneEngine::Settings CorvaneEngine::GetSettings() const
{
  const AtomicSettings& a = mSettings;
  Settings s;
  s.gainFactor = a.gainFactor.load(relaxed);
  s.outputGain = a.outputGain.load(relaxed);
  s.hpfPosition = a.hpfPosition.load(relaxed);
  s.lpfPosition = a.lpfPosition.load(relaxed);
  s.lpfLatency = a.lpfLatency.load(relaxed);
  s.filterOn = a.filterOn.load(relaxed);
  s.preampOn = a.preampOn.load(relaxed);
  s.micPre = a.micPre.load(relaxed);
  s.phaseInvert = a.phaseInvert.load(relaxed);
  s.oversampling = a.oversampling.load(relaxed);
  s.osLatency = a.osLatency.load(relaxed);
  return s;
}

void CorvaneEngine::SetSampleRate(double fs)
{
  if (fs > 0.0 && std::isfinite(fs))
    mSampleRate = fs;
}

int CorvaneEngine::Latency() const
{
  const Settings s = GetSettings();
  return s.preampOn * s.osLatency + s.filterOn * s.lpfLatency;
}

void CorvaneEngine::Reset()
{
  mF.up.clear();
  mF.down.clear();
  mF.dec.clear();
  const Settings s = GetSettings();
  mSmooth.drive.z = kDrive;
  mSmooth.output.z = s.outputGain;
  mSmooth.gain.z = static_cast<double>(s.gainFactor);
  mSmooth.hpf.z = s.hpfPosition;
  mSmooth.lpf.z = s.lpfPosition;
}

void CorvaneEngine::SetUpBlock(const Settings& s)
{
  const double fs = mSampleRate;
  const double a = std::exp(-2.0 * std::numbers::pi / (0.001 * fs));
  const double b = 1.0 - a;
  for (Smoother* sm : {&mSmooth.drive, &mSmooth.output, &mSmooth.gain, &mSmooth.lpf, &mSmooth.hpf})
  {
    sm->a = a;
    sm->b = b;
  }

  // The console filters run at twice the rate; their controls glide per block.
  const double T = 2.0 * fs;
  // Left takes the first step of each smoother, right the second.
  const double lpfL = mSmooth.lpf.Process(s.lpfPosition);
  const double lpfR = mSmooth.lpf.Process(s.lpfPosition);
  mF.lpf.Calc(T, Pair{lpfL, lpfR});
  const double hpfL = mSmooth.hpf.Process(s.hpfPosition);
  const double hpfR = mSmooth.hpf.Process(s.hpfPosition);
  mF.hpf.Calc(T, Pair{hpfL, hpfR});
  mF.sub.Calc(T, Pair{0.0, 0.0});

  mF.band.setBiquad(Biquad::kBandpass, 5000.0 / fs, 0.0004, 0.0);
  mF.preLow.setBiquad(Biquad::kLowshelf, 100.0 / fs, 0.8, -3.0);
  mF.postLow.setBiquad(Biquad::kLowshelf, 110.0 / fs, 0.8, 3.1);
  mF.prePeak.setBiquad(Biquad::kPeak, 850.0 / fs, 0.28, 2.0);
  mF.postPeak.setBiquad(Biquad::kPeak, 830.0 / fs, 0.28, -1.7);
  mF.preHigh.setBiquad(Biquad::kHighshelf, 4030.0 / fs, 0.28, -1.5);
  mF.postHigh.setBiquad(Biquad::kHighshelf, 4000.0 / fs, 0.28, 1.7);
}

// One evaluation of the preamp stage on a stereo pair: the curve is driven by
// the sample times drive and gain, and the result divided by both again, so
// the small-signal gain is k. The gain smoother advances four times.
static inline void PreampStage(Pair& x, double k, double D, BlockGlide& gain, bool mic)
{
  const double G1 = gain.Next();
  const double fL = SaturationCurve(mic, k * x[0] * D * G1);
  const double G2 = gain.Next();
  const double G3 = gain.Next();
  const double fR = SaturationCurve(mic, k * x[1] * D * G3);
  const double G4 = gain.Next();
  x = Pair{fL, fR} / Pair{G2, G4} / D;
}

template <bool kOversample, bool kBaseCurve, bool kLowpass>
void CorvaneEngine::Run(const Settings& s, const double* inL, const double* inR, double* outL,
                        double* outR, int nFrames)
{
  const bool mic = s.micPre == 1;
  const bool preampOn = s.preampOn == 1;
  const bool filterOn = s.filterOn == 1;
  const bool invert = s.phaseInvert == 1;
  const bool fullBypass = s.preampOn == 0 && s.filterOn == 0;
  BlockGlide drive(mSmooth.drive, kDrive);
  BlockGlide gain(mSmooth.gain, static_cast<double>(s.gainFactor));
  BlockGlide output(mSmooth.output, s.outputGain);
  Filters& F = mF;
  double offset = mDenormalOffset;

  for (int i = 0; i < nFrames; ++i)
  {
    const double D = drive.Next();
    const double d = offset;
    offset = -d;

    const Pair x{Sanitized(inL[i]), inR ? Sanitized(inR[i]) : 0.0};
    const Pair e = PreEmphasis(F.preLow, F.prePeak, F.preHigh, x - d);

    Pair p = e;
    if constexpr (kOversample)
    {
      // Zero-stuffed 2x: the first of each pair of outputs is kept.
      Pair up = F.up.process(e);
      PreampStage(up, 2.0, D, gain, mic);
      p = F.down.process(up);

      up = F.up.process(Pair{});
      PreampStage(up, 2.0, D, gain, mic);
      F.down.process(up);

      gain.Skip4();  // the base-rate evaluation
    }
    else if constexpr (kBaseCurve)
      PreampStage(p, 1.0, D, gain, mic);
    else
      gain.Skip4();

    Pair sel = preampOn ? p : e;
    if (invert)
      sel = -sel;

    // The subsonic filter sits in the path while the filter section is out.
    const Pair f = filterOn ? sel : F.sub.Process(sel);

    // High-pass and low-pass keep running while switched out so their state
    // stays current.
    Pair l = F.hpf.Process(f);
    if constexpr (kLowpass)
    {
      const Pair a = F.lpf.Process(l);
      l = F.dec.process(a, F.lpf.Process(Pair{}));
    }

    Pair o = filterOn ? l : f;
    const double gL = output.Next();
    const double gR = output.Next();
    o *= Pair{gL, gR};

    const Pair q = DeEmphasis(F.postLow, F.postPeak, F.postHigh, F.band, o);

    // Subtracting the flipped offset restores the one taken off the input.
    const Pair y = (fullBypass ? x : q) - offset;
    outL[i] = y[0];
    if (outR)
      outR[i] = y[1];
  }

  mDenormalOffset = offset;
}

void CorvaneEngine::ProcessBlock(double** inputs, double** outputs, int nFrames, int nChans)
{
  const Settings s = GetSettings();
  SetUpBlock(s);
  if (nFrames <= 0 || nChans <= 0)
    return;

  const double* inL = inputs[0];
  const double* inR = nChans > 1 ? inputs[1] : nullptr;
  double* outL = outputs[0];
  double* outR = nChans > 1 ? outputs[1] : nullptr;

  const bool oversample = s.oversampling == 2;
  const bool lowpass = s.lpfPosition != 1.0;
  const bool baseCurve = !oversample && s.preampOn == 1;
  if (oversample)
    lowpass ? Run<true, false, true>(s, inL, inR, outL, outR, nFrames)
            : Run<true, false, false>(s, inL, inR, outL, outR, nFrames);
  else if (baseCurve)
    lowpass ? Run<false, true, true>(s, inL, inR, outL, outR, nFrames)
            : Run<false, true, false>(s, inL, inR, outL, outR, nFrames);
  else
    lowpass ? Run<false, false, true>(s, inL, inR, outL, outR, nFrames)
            : Run<false, false, false>(s, inL, inR, outL, outR, nFrames);

  // Finite input keeps every state finite; only absurdly large samples can
  // overflow a filter. Then start the filters afresh rather than emit NaN
  // from now on, and silence the samples of this block that went bad.
  if (!StateIsFinite())
  {
    ClearAllState();
    for (int c = 0; c < (nChans > 1 ? 2 : 1); ++c)
      for (int i = 0; i < nFrames; ++i)
        if (!std::isfinite(outputs[c][i]))
          outputs[c][i] = 0.0;
  }
}

bool CorvaneEngine::StateIsFinite() const
{
  // x * 0 is zero for finite x and NaN otherwise, so one sum tests them all.
  Pair probe{};
  for (const Pair& v : mF.up.ring)
    probe += v * 0.0;
  for (const Pair& v : mF.down.ring)
    probe += v * 0.0;
  for (const Pair& v : mF.dec.ring)
    probe += v * 0.0;
  for (const BasicHPF73<Pair>* h : {&mF.hpf, &mF.sub})
    probe += (h->x1 + h->x2 + h->x3 + h->y1 + h->y2 + h->y3) * 0.0;
  probe += (mF.lpf.x1 + mF.lpf.x2 + mF.lpf.y1 + mF.lpf.y2) * 0.0;
  for (const PairBiquad* b : {&mF.band, &mF.preLow, &mF.postLow, &mF.prePeak, &mF.postPeak,
                              &mF.preHigh, &mF.postHigh})
    probe += (b->z1 + b->z2) * 0.0;
  const Smoothers& m = mSmooth;
  const double smoothers = (m.drive.z + m.output.z + m.gain.z + m.lpf.z + m.hpf.z) * 0.0;
  return probe[0] == 0.0 && probe[1] == 0.0 && smoothers == 0.0;
}

void CorvaneEngine::ClearAllState()
{
  mF.lpf.ClearState();
  mF.hpf.ClearState();
  mF.sub.ClearState();
  for (PairBiquad* b : {&mF.band, &mF.preLow, &mF.postLow, &mF.prePeak, &mF.postPeak, &mF.preHigh,
                        &mF.postHigh})
    b->z1 = b->z2 = Pair{};
  Reset();
}

} // namespace iplug
