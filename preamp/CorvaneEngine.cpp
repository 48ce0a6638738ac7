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

// Emphasis sections take and return single-precision samples.
inline double PreEmphasis(Biquad& low, Biquad& peak, Biquad& high, double x)
{
  return high.process(peak.process(low.process(static_cast<float>(x))));
}

inline double DeEmphasis(Biquad& low, Biquad& peak, Biquad& high, Biquad& band, double x)
{
  return band.process(high.process(peak.process(low.process(static_cast<float>(x)))));
}

// One evaluation of the preamp stage on a stereo pair: the curve is driven by
// the sample times drive and gain, and the result divided by both again, so
// the small-signal gain is k. The gain smoother advances four times.
inline void PreampStage(Smoother& gain, double target, bool mic, double k, double D, double& sL,
                        double& sR)
{
  const double G1 = gain.Process(target);
  const double fL = SaturationCurve(mic, k * sL * D * G1);
  const double G2 = gain.Process(target);
  sL = fL / G2 / D;
  const double G3 = gain.Process(target);
  const double fR = SaturationCurve(mic, k * sR * D * G3);
  const double G4 = gain.Process(target);
  sR = fR / G4 / D;
}

// An evaluation whose result is thrown away: its curves are skipped, but the
// gain smoother still glides exactly as if they had run.
inline void SkippedPreampStage(Smoother& gain, double target)
{
  gain.Process(target);
  gain.Process(target);
  gain.Process(target);
  gain.Process(target);
}

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
  for (Channel* c : {&mL, &mR})
  {
    c->up.clear();
    c->down.clear();
    c->dec.clear();
  }
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
  mL.lpf.Calc(T, mSmooth.lpf.Process(s.lpfPosition));
  mR.lpf.Calc(T, mSmooth.lpf.Process(s.lpfPosition));
  mL.hpf.Calc(T, mSmooth.hpf.Process(s.hpfPosition));
  mR.hpf.Calc(T, mSmooth.hpf.Process(s.hpfPosition));
  mL.sub.Calc(T, 0.0);
  mR.sub.Calc(T, 0.0);

  for (Channel* c : {&mL, &mR})
  {
    c->band.setBiquad(Biquad::kBandpass, 5000.0 / fs, 0.0004, 0.0);
    c->preLow.setBiquad(Biquad::kLowshelf, 100.0 / fs, 0.8, -3.0);
    c->postLow.setBiquad(Biquad::kLowshelf, 110.0 / fs, 0.8, 3.1);
    c->prePeak.setBiquad(Biquad::kPeak, 850.0 / fs, 0.28, 2.0);
    c->postPeak.setBiquad(Biquad::kPeak, 830.0 / fs, 0.28, -1.7);
    c->preHigh.setBiquad(Biquad::kHighshelf, 4030.0 / fs, 0.28, -1.5);
    c->postHigh.setBiquad(Biquad::kHighshelf, 4000.0 / fs, 0.28, 1.7);
  }
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
  const double gainTarget = static_cast<double>(s.gainFactor);
  const double outputTarget = s.outputGain;

  // Local copies keep the hot state in registers across the loop.
  Smoother drive = mSmooth.drive, gain = mSmooth.gain, output = mSmooth.output;
  double offset = mDenormalOffset;
  Channel& L = mL;
  Channel& R = mR;

  for (int i = 0; i < nFrames; ++i)
  {
    const double D = drive.Process(kDrive);
    const double d = offset;
    offset = -d;

    const double xL = Sanitized(inL[i]);
    const double xR = inR ? Sanitized(inR[i]) : 0.0;

    const double eL = PreEmphasis(L.preLow, L.prePeak, L.preHigh, xL - d);
    const double eR = PreEmphasis(R.preLow, R.prePeak, R.preHigh, xR - d);

    double pL = eL, pR = eR;
    if constexpr (kOversample)
    {
      // Zero-stuffed 2x: the first of each pair of outputs is kept.
      double sL = L.up.process(eL), sR = R.up.process(eR);
      PreampStage(gain, gainTarget, mic, 2.0, D, sL, sR);
      pL = L.down.process(sL);
      pR = R.down.process(sR);

      sL = L.up.process(0.0);
      sR = R.up.process(0.0);
      PreampStage(gain, gainTarget, mic, 2.0, D, sL, sR);
      L.down.process(sL);
      R.down.process(sR);

      SkippedPreampStage(gain, gainTarget);  // the base-rate evaluation
    }
    else if constexpr (kBaseCurve)
      PreampStage(gain, gainTarget, mic, 1.0, D, pL, pR);
    else
      SkippedPreampStage(gain, gainTarget);

    double selL = preampOn ? pL : eL, selR = preampOn ? pR : eR;
    if (invert)
    {
      selL = -selL;
      selR = -selR;
    }

    // The subsonic filter sits in the path while the filter section is out.
    const double fL = filterOn ? selL : L.sub.Process(selL);
    const double fR = filterOn ? selR : R.sub.Process(selR);

    // High-pass and low-pass keep running while switched out so their state
    // stays current.
    double lL = L.hpf.Process(fL), lR = R.hpf.Process(fR);
    if constexpr (kLowpass)
    {
      const double aL = L.lpf.Process(lL);
      lL = L.dec.process(aL, L.lpf.Process(0.0));
      const double aR = R.lpf.Process(lR);
      lR = R.dec.process(aR, R.lpf.Process(0.0));
    }

    double oL = filterOn ? lL : fL, oR = filterOn ? lR : fR;
    oL *= output.Process(outputTarget);
    oR *= output.Process(outputTarget);

    const double qL = DeEmphasis(L.postLow, L.postPeak, L.postHigh, L.band, oL);
    const double qR = DeEmphasis(R.postLow, R.postPeak, R.postHigh, R.band, oR);

    // Subtracting the flipped offset restores the one taken off the input.
    outL[i] = (fullBypass ? xL : qL) - offset;
    if (outR)
      outR[i] = (fullBypass ? xR : qR) - offset;
  }

  mSmooth.drive = drive;
  mSmooth.gain = gain;
  mSmooth.output = output;
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
  double probe = 0.0;
  for (const Channel* c : {&mL, &mR})
  {
    for (double v : c->up.ring)
      probe += v * 0.0;
    for (double v : c->down.ring)
      probe += v * 0.0;
    for (double v : c->dec.ring)
      probe += v * 0.0;
    for (const HPF73* h : {&c->hpf, &c->sub})
      probe += (h->x1 + h->x2 + h->x3 + h->y1 + h->y2 + h->y3) * 0.0;
    probe += (c->lpf.x1 + c->lpf.x2 + c->lpf.y1 + c->lpf.y2) * 0.0;
    for (const Biquad* b : {&c->band, &c->preLow, &c->postLow, &c->prePeak, &c->postPeak,
                            &c->preHigh, &c->postHigh})
      probe += (b->z1 + b->z2) * 0.0;
  }
  const Smoothers& m = mSmooth;
  probe += (m.drive.z + m.output.z + m.gain.z + m.lpf.z + m.hpf.z) * 0.0;
  return probe == 0.0;
}

void CorvaneEngine::ClearAllState()
{
  for (Channel* c : {&mL, &mR})
  {
    c->up.clear();
    c->down.clear();
    c->dec.clear();
    c->lpf.x0 = c->lpf.x1 = c->lpf.x2 = c->lpf.y0 = c->lpf.y1 = c->lpf.y2 = 0.0;
    for (HPF73* h : {&c->hpf, &c->sub})
      h->x0 = h->x1 = h->x2 = h->x3 = h->y0 = h->y1 = h->y2 = h->y3 = 0.0;
    for (Biquad* b : {&c->band, &c->preLow, &c->postLow, &c->prePeak, &c->postPeak, &c->preHigh,
                      &c->postHigh})
      b->z1 = b->z2 = 0.0;
  }
  Reset();
}

} // namespace iplug
